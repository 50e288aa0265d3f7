// A topic's "page#place", split and joined the one way the viewer knows.
#include "help/topicpath.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct Form
{
    const char *text;
    const char *page;
    const char *place;
};

class TopicPaths : public testing::TestWithParam<Form>
{
};

TEST_P(TopicPaths, splitAtTheFirstHashAndJoinAgain)
{
    const TopicPath topic = TopicPath::parse(QString::fromUtf8(GetParam().text));
    EXPECT_EQ(topic.page, QString::fromUtf8(GetParam().page));
    EXPECT_EQ(topic.place, QString::fromUtf8(GetParam().place));
    EXPECT_EQ(topic.toString(), QString::fromUtf8(GetParam().text).remove(QRegularExpression(QStringLiteral("#$"))));
    EXPECT_EQ(TopicPath::fromUrl(topic.toUrl(QStringLiteral("chm"))), topic);
}

INSTANTIATE_TEST_SUITE_P(TopicPath, TopicPaths,
                         testing::Values(Form{"/rules.htm", "/rules.htm", ""}, Form{"/rules.htm#date", "/rules.htm", "date"},
                                         Form{"/a b/c.htm#x#y", "/a b/c.htm", "x#y"}, Form{"/c.htm#", "/c.htm", ""},
                                         Form{"/caf\xc3\xa9.htm#\xc3\xa9t\xc3\xa9", "/caf\xc3\xa9.htm", "\xc3\xa9t\xc3\xa9"}));

TEST(TopicPath, urlOfATopicKeepsItsPlaceApartFromThePath)
{
    const QUrl url = TopicPath::parse(QStringLiteral("rules.htm#date")).toUrl(QStringLiteral("chm"));
    EXPECT_EQ(url, QUrl(QStringLiteral("chm:/rules.htm#date")));
    EXPECT_EQ(TopicPath::fromUrl(QUrl(QStringLiteral("chm:/a%23b.htm#c"))), (TopicPath{QStringLiteral("/a#b.htm"), QStringLiteral("c")}));
}

} // namespace

// Each input is taken as a whole help file, and as a sitemap, a page and a #SYSTEM object on its
// own. The help file either opens, with every object it offers read within the caps, or is not
// opened; a file that opened has no refusal. Every page is also cleaned as the viewer cleans it
// before layout. What the parsers and the cleaner make of any bytes is not judged here, only that
// they come back: the sanitizers judge the rest.

#include "help/compiledhelp.h"
#include "help/htmldocument.h"
#include "help/pagecleaner.h"
#include "help/searchindex.h"
#include "help/sitemap.h"
#include "help/topicpath.h"
#include "fuzzsample.h"

#include <cstdint>
#include <string>

namespace {

using fuzzsample::require;

void readPage(const QByteArray &html)
{
    const HtmlDocument document(html);
    (void)document.title();
    (void)SearchIndex::wordsOf(document.text());
    (void)cleanPage(html);
}

void readHelpFile(const QString &path)
{
    const CompiledHelp help(path);
    if (!help.isOpen())
        return;
    require(help.refusal().isEmpty(), "a file that opened is not refused");
    (void)help.title();
    const QString home = help.defaultTopic();
    for (const QString &sitemap : {help.contentsFile(), help.indexFile()}) {
        if (const std::optional<QByteArray> html = sitemap.isEmpty() ? std::nullopt : help.read(sitemap)) {
            require(html->size() <= CompiledHelp::largestObject, "a sitemap is read within the cap");
            (void)parseSitemap(*html, sitemap);
        }
    }
    QStringList pages = help.pages();
    pages << home << QStringLiteral("/#SYSTEM");
    for (const QString &page : pages) {
        if (const std::optional<QByteArray> bytes = help.read(page)) {
            require(bytes->size() <= CompiledHelp::largestObject, "an object is read within the cap");
            readPage(*bytes);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string &path = fuzzsample::samplePath("fuzz_help", ".chm");
    fuzzsample::writeSample(path, data, size);
    const int lowestFree = fuzzsample::lowestFreeDescriptor();
    readHelpFile(QString::fromStdString(path));
    require(fuzzsample::lowestFreeDescriptor() == lowestFree, "no descriptor stays open");

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)parseSystemEntries(bytes);
    for (const SitemapEntry &entry : parseSitemap(bytes, QStringLiteral("/sub/contents.hhc")))
        for (const SitemapTopic &topic : entry.topics)
            (void)TopicPath::parse(topic.path).toUrl(QStringLiteral("chm"));
    readPage(bytes);
    return 0;
}

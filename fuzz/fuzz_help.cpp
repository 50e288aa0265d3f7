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

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

void require(bool condition, const char *promise)
{
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

std::string g_path;

void removeSampleFile()
{
    ::unlink(g_path.c_str());
}

const std::string &samplePath()
{
    if (g_path.empty()) {
        const char *folder = std::getenv("TMPDIR");
        if (!folder || !*folder)
            folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(folder) + "/fuzz_help-XXXXXX.chm";
        const int fd = ::mkstemps(pattern.data(), 4);
        require(fd >= 0, "a sample file can be made");
        ::close(fd);
        g_path = pattern;
        std::atexit(removeSampleFile);
    }
    return g_path;
}

void writeSample(const std::string &path, const std::uint8_t *data, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    require(fd >= 0, "the sample file opens for writing");
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        require(written > 0, "the sample file takes the input");
        done += static_cast<std::size_t>(written);
    }
    require(::ftruncate(fd, static_cast<off_t>(size)) == 0, "the sample file is cut to size");
    ::close(fd);
}

int lowestFreeDescriptor()
{
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(fd);
    return fd;
}

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
    const std::string &path = samplePath();
    writeSample(path, data, size);
    const int lowestFree = lowestFreeDescriptor();
    readHelpFile(QString::fromStdString(path));
    require(lowestFreeDescriptor() == lowestFree, "no descriptor stays open");

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)parseSystemEntries(bytes);
    for (const SitemapEntry &entry : parseSitemap(bytes, QStringLiteral("/sub/contents.hhc")))
        for (const SitemapTopic &topic : entry.topics)
            (void)TopicPath::parse(topic.path).toUrl(QStringLiteral("chm"));
    readPage(bytes);
    return 0;
}

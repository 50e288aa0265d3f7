#include "help/viewer/helpbrowser.h"

#include "help/compiledhelp.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QImageReader>
#include <algorithm>

namespace {

// A help page's pictures are small; these bound what a crafted one can cost to decode and draw.
constexpr int largestImageSide = 4096;
constexpr int imageAllocationLimitMegabytes = 64;
// More marks than this help no reader, and cost memory on a long page.
constexpr int mostMarks = 1000;

HelpBrowser::DesktopHandOff &desktopHandOff()
{
    static HelpBrowser::DesktopHandOff handOff = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    return handOff;
}

QImage decodedImage(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(imageAllocationLimitMegabytes);
    // Plain raster formats only: a vector picture may name other files to draw.
    static const QList<QByteArray> rasterFormats = {"png", "jpeg", "jpg", "gif", "bmp", "ico"};
    if (!rasterFormats.contains(reader.format()))
        return {};
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > largestImageSide || size.height() > largestImageSide)
        return {};
    QImage image;
    reader.read(&image);
    return image;
}

// The document takes a missing or null answer as leave to read the name as a path of its own, so
// whatever the file cannot give is answered by something empty of the kind asked for.
QImage placeholderImage()
{
    QImage image(1, 1, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

HelpBrowser::HelpBrowser(QWidget *parent) : QTextBrowser(parent)
{
    // Links are followed here, on a click only, never by the browser itself.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::follow);
    // A screen reader names the pane and tells which topic it shows.
    setAccessibleName(QStringLiteral("Topic"));
    const auto describe = [this] {
        if (accessibleDescription() != documentTitle())
            setAccessibleDescription(documentTitle());
    };
    connect(this, &QTextBrowser::sourceChanged, this, describe);
    connect(document(), &QTextDocument::contentsChanged, this, describe);
}

void HelpBrowser::setHelp(const CompiledHelp *help)
{
    m_help = help;
    // The document keeps the pictures it loaded by URL; another file may hold others at the same paths.
    document()->clear();
    clearHistory();
}

HelpBrowser::DesktopHandOff HelpBrowser::setDesktopHandOff(DesktopHandOff handOff)
{
    return std::exchange(desktopHandOff(), std::move(handOff));
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    if (m_recorder)
        m_recorder(type, name);
    // The document hands over names already resolved against the page's own URL. Of a page, only
    // what the cleaner reads is decompressed, and a byte more to tell that there was more.
    const qint64 atMost = type == QTextDocument::HtmlResource ? PageLimits().pageBytes + 1 : CompiledHelp::largestObject;
    const std::optional<QByteArray> bytes =
        m_help && name.scheme() == helpScheme ? m_help->read(name.path(), atMost) : std::nullopt;
    switch (type) {
    case QTextDocument::HtmlResource: {
        CleanedPage page = bytes ? cleanPage(*bytes) : CleanedPage{QString(QLatin1String(""))};
        m_styles = page.styles;
        return std::move(page.html);
    }
    case QTextDocument::StyleSheetResource: {
        const QString sheet = bytes ? QString::fromUtf8(*bytes) : QString();
        return m_styles.take(sheet) ? sheet : QString(QLatin1String(""));
    }
    case QTextDocument::ImageResource: {
        const QImage image = bytes ? decodedImage(*bytes) : QImage();
        return image.isNull() ? placeholderImage() : image;
    }
    default:
        return QByteArray("");
    }
}

void HelpBrowser::doSetSource(const QUrl &name, QTextDocument::ResourceType type)
{
    if (!name.isRelative() && name.scheme() != helpScheme)
        return;
    setExtraSelections({});
    QTextBrowser::doSetSource(name, type);
}

// `link` comes resolved against the shown page.
void HelpBrowser::follow(const QUrl &link)
{
    const QString scheme = link.scheme().toLower();
    if (scheme == helpScheme) {
        if (m_help && m_help->contains(link.path()))
            setSource(link);
        else
            emit noted(QStringLiteral("The page this link leads to is not in the help file."));
    } else if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto")) {
        desktopHandOff()(link);
    } else {
        emit noted(QStringLiteral("Links of the kind \"%1:\" are not opened by the help viewer.")
                       .arg(scheme.left(20)));
    }
}

void HelpBrowser::highlight(const QStringList &words)
{
    QTextCharFormat marked;
    marked.setBackground(palette().color(QPalette::Highlight));
    marked.setForeground(palette().color(QPalette::HighlightedText));
    QList<ExtraSelection> marks;
    for (const QString &word : words) {
        if (word.isEmpty())
            continue;
        for (QTextCursor found = document()->find(word, 0, QTextDocument::FindWholeWords);
             !found.isNull() && marks.size() < mostMarks;
             found = document()->find(word, found, QTextDocument::FindWholeWords))
            marks.append({found, marked});
    }
    std::sort(marks.begin(), marks.end(), [](const ExtraSelection &a, const ExtraSelection &b) {
        return a.cursor.selectionStart() < b.cursor.selectionStart();
    });
    setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor first(document());
        first.setPosition(marks.first().cursor.selectionStart());
        setTextCursor(first);
        ensureCursorVisible();
    }
}

#include "help/viewer/helpbrowser.h"

#include "help/compiledhelp.h"

#include <QDesktopServices>
#include <algorithm>

namespace {

const QString helpScheme = QStringLiteral("chm");

} // namespace

HelpBrowser::HelpBrowser(QWidget *parent) : QTextBrowser(parent)
{
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

void HelpBrowser::setHelp(const CompiledHelp *help)
{
    m_help = help;
    // The document keeps the pictures it loaded by URL; another file may hold others at the same paths.
    document()->clear();
    clearHistory();
}

QUrl HelpBrowser::urlOf(const QString &objectPath)
{
    QUrl url;
    url.setScheme(helpScheme);
    url.setPath(objectPath.startsWith(QLatin1Char('/')) ? objectPath : QLatin1Char('/') + objectPath);
    return url;
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    // The document hands over names already resolved against the page's own URL.
    if (!m_help || name.scheme() != helpScheme)
        return {};
    const std::optional<QByteArray> bytes = m_help->read(name.path());
    if (!bytes)
        return {};
    if (type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(*bytes);
    return *bytes;
}

void HelpBrowser::doSetSource(const QUrl &name, QTextDocument::ResourceType type)
{
    if (!name.isRelative() && name.scheme() != helpScheme) {
        QDesktopServices::openUrl(name);
        return;
    }
    setExtraSelections({});
    QTextBrowser::doSetSource(name, type);
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
        for (QTextCursor found = document()->find(word, 0, QTextDocument::FindWholeWords); !found.isNull();
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

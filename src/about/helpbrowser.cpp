#include "about/helpbrowser.h"

#include "about/compiledhelp.h"

#include <QDesktopServices>

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
    QTextBrowser::doSetSource(name, type);
}

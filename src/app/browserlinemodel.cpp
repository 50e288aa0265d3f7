#include "app/browserlinemodel.h"

#include <QKeyEvent>
#include <QFile>

namespace {

QString displayText(const std::string &bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

} // namespace

void BrowserLineModel::resetLines(std::vector<BrowserLine> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

int BrowserLineModel::findPrefix(const QString &prefix) const
{
    for (std::size_t row = 0; row < m_lines.size(); ++row)
        if (displayText(m_lines[row].text).startsWith(prefix, Qt::CaseInsensitive))
            return int(row);
    return -1;
}

int BrowserLineModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant BrowserLineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_lines.size()))
        return {};
    const BrowserLine &line = m_lines[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return displayText(line.text);
    case GlyphRole:
        return int(line.glyph);
    default:
        return {};
    }
}

void SearchPrefix::startAfreshWhenIdle()
{
    if (!m_sinceLastKey.isValid() || m_sinceLastKey.elapsed() >= IntervalMs)
        m_prefix.clear();
    m_sinceLastKey.start();
}

QString SearchPrefix::type(const QString &text)
{
    startAfreshWhenIdle();
    m_prefix += text;
    return m_prefix;
}

QString SearchPrefix::backspace()
{
    startAfreshWhenIdle();
    m_prefix.chop(1);
    return m_prefix;
}

std::optional<QString> SearchPrefix::takeKey(const QKeyEvent *event)
{
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const QString text = event->text();
    if (plain && !text.isEmpty() && text.at(0).isPrint())
        return type(text);
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier)
        return backspace();
    return std::nullopt;
}

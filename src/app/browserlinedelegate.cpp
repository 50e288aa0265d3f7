#include "app/browserlinedelegate.h"

#include "browser/lineglyph.h"
#include "app/browserlinemodel.h"
#include "app/glyphs.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

namespace {

QPixmap glyphPixmap(LineGlyph kind)
{
    switch (kind) {
    case LineGlyph::OpenFolder: return glyph(QStringLiteral("openfolder"));
    case LineGlyph::CurrentFolder: return glyph(QStringLiteral("currentfolder"));
    case LineGlyph::ClosedFolder: return glyph(QStringLiteral("closedfolder"));
    case LineGlyph::UnknownFile: return glyph(QStringLiteral("unknownfile"));
    case LineGlyph::Executable: return glyph(QStringLiteral("executable"));
    }
    return {};
}

} // namespace

BrowserLineDelegate::BrowserLineDelegate(Indent indent, LowerCase lowerCase, QObject *parent)
    : QStyledItemDelegate(parent), m_indent(std::move(indent)), m_lowerCase(std::move(lowerCase))
{
}

void BrowserLineDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const QRect line = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    painter->save();
    painter->fillRect(line, option.palette.brush(group, selected ? QPalette::Highlight : QPalette::Base));

    const int indent = m_indent(index.row());
    const QPixmap glyph = glyphPixmap(LineGlyph(index.data(BrowserLineModel::GlyphRole).toInt()));
    if (!glyph.isNull())
        painter->drawPixmap(line.left() + indent, line.top() + (line.height() - glyph.height()) / 2, glyph);

    QString text = index.data(Qt::DisplayRole).toString();
    if (m_lowerCase && m_lowerCase())
        text = text.toLower();
    const int textLeft = line.left() + indent + (glyph.isNull() ? GlyphWidth : glyph.width()) + 4;
    painter->setFont(option.font);
    painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(QRect(textLeft, line.top(), line.right() - textLeft + 1, line.height()),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        const QWidget *widget = option.widget;
        (widget ? widget->style() : QApplication::style())->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter,
                                                                          widget);
    }
    painter->restore();
}

QSize BrowserLineDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QFontMetrics metrics(option.font);
    const int width = m_indent(index.row()) + GlyphWidth + 4
                      + metrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return {width, std::max(metrics.height(), MinimumLineHeight)};
}

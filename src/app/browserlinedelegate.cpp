#include "app/browserlinedelegate.h"

#include "browser/lineglyph.h"
#include "app/browserlinemodel.h"
#include "app/glyphs.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

namespace {

QString glyphName(LineGlyph kind)
{
    switch (kind) {
    case LineGlyph::OpenFolder: return QStringLiteral("openfolder");
    case LineGlyph::CurrentFolder: return QStringLiteral("currentfolder");
    case LineGlyph::ClosedFolder: return QStringLiteral("closedfolder");
    case LineGlyph::UnknownFile: return QStringLiteral("unknownfile");
    case LineGlyph::Executable: return QStringLiteral("executable");
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
    const QPixmap glyph = ::glyph(glyphName(LineGlyph(index.data(BrowserLineModel::GlyphRole).toInt())),
                                  painter->device()->devicePixelRatioF());
    // Laid out by the glyph's size on screen, which its "@2x" art shares.
    const QSize glyphSize = glyph.deviceIndependentSize().toSize();
    if (!glyph.isNull())
        painter->drawPixmap(line.left() + indent, line.top() + (line.height() - glyphSize.height()) / 2, glyph);

    QString text = index.data(Qt::DisplayRole).toString();
    if (m_lowerCase && m_lowerCase())
        text = text.toLower();
    const int textLeft = line.left() + indent + (glyph.isNull() ? GlyphWidth : glyphSize.width()) + 4;
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

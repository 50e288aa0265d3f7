#pragma once

#include <QStyledItemDelegate>
#include <functional>

/**
 * Draws a line of the folder browser's lists as the program's own: the background in
 * the highlight colour when selected, the glyph vertically centred at the line's indent,
 * the text four pixels after the glyph from the line's top, and a focus rectangle.
 */
class BrowserLineDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    /** The width a glyph takes, also while a line is drawn without one. */
    static constexpr int GlyphWidth = 16;
    /** The line height the glyphs need: their height plus one. */
    static constexpr int MinimumLineHeight = 16;

    using Indent = std::function<int(int row)>;
    using LowerCase = std::function<bool()>;

    BrowserLineDelegate(Indent indent, LowerCase lowerCase, QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    Indent m_indent;
    LowerCase m_lowerCase;
};

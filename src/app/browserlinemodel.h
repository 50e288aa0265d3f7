#pragma once

#include "browser/lineglyph.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <optional>
#include <string>
#include <vector>

/** A line of the folder browser's lists: a name's exact bytes and its glyph. */
struct BrowserLine
{
    std::string text;
    LineGlyph glyph;
};

/**
 * The lines of a folder browser list. Names stay bytes; the display text is
 * decoded as the locale decodes file names, only when a line is drawn or searched.
 */
class BrowserLineModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { GlyphRole = Qt::UserRole + 1 };

    using QAbstractListModel::QAbstractListModel;

    /** Replaces every line at once. */
    void resetLines(std::vector<BrowserLine> lines);
    const BrowserLine &line(int row) const { return m_lines[std::size_t(row)]; }
    const std::vector<BrowserLine> &lines() const { return m_lines; }

    /** The first line whose display text begins with prefix, ignoring case; -1 when none does. */
    int findPrefix(const QString &prefix) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    std::vector<BrowserLine> m_lines;
};

class QKeyEvent;

/**
 * The typed prefix of a list's incremental search: each character adds to it, and it
 * starts afresh when half a second or more has passed since the previous key.
 */
class QKeyEvent;

class SearchPrefix
{
public:
    static constexpr qint64 IntervalMs = 500;

    /** Adds typed text; gives the prefix to look for. */
    QString type(const QString &text);
    /** Takes the last character off; gives what is left (empty: go to the first line). */
    QString backspace();
    /**
     * The prefix after a key when the key belongs to the search (printable text without
     * Ctrl, Alt or Meta, or a plain Backspace); nothing for any other key.
     */
    std::optional<QString> takeKey(const QKeyEvent *event);
    void clear() { m_prefix.clear(); }

private:
    void startAfreshWhenIdle();

    QString m_prefix;
    QElapsedTimer m_sinceLastKey;
};

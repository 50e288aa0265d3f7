#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

class CompiledHelp;

/** A page found by a search: its path inside the help file and its title. */
struct FoundPage
{
    QString path;
    QString title;

    bool operator==(const FoundPage &) const = default;
};

/** The words of every page of a help file in memory, for full-text search: runs of letters and digits, in any case. */
class SearchIndex
{
public:
    /** Told after each page how many of all are read; false stops the reading, keeping the pages read. */
    using Progress = std::function<bool(int read, int total)>;

    /** Reads every page of `help`; a page without a title is known by its path. */
    explicit SearchIndex(const CompiledHelp &help, const Progress &progress = {});
    SearchIndex() = default;

    /** The pages that hold every word of `query`, ordered by title; none for a query without words. */
    QList<FoundPage> find(const QString &query) const;

    int pageCount() const { return int(m_pages.size()); }

    /** The words of `text`, case-folded, in order. */
    static QStringList wordsOf(const QString &text);

private:
    QList<FoundPage> m_pages;
    QHash<QString, QSet<int>> m_pagesByWord;
};

#include "help/searchindex.h"

#include "help/compiledhelp.h"
#include "help/htmldocument.h"
#include "help/pagecleaner.h"

#include <algorithm>

// Only what the viewer would show of a page is searched, which bounds the memory a page can take.
SearchIndex::SearchIndex(const CompiledHelp &help, const Progress &progress)
{
    const QStringList pages = help.pages();
    for (int read = 0; read < pages.size(); ++read) {
        if (const std::optional<QByteArray> html = help.read(pages.at(read), PageLimits().pageBytes)) {
            const HtmlDocument document(*html);
            const QString title = document.title();
            m_pages.append({pages.at(read), title.isEmpty() ? pages.at(read) : title});
            for (const QString &word : wordsOf(document.text()))
                m_pagesByWord[word].insert(int(m_pages.size()) - 1);
        }
        if (progress && !progress(read + 1, int(pages.size())))
            break;
    }
}

QStringList SearchIndex::wordsOf(const QString &text)
{
    QStringList words;
    QString word;
    for (const QChar c : text) {
        // Combining marks belong to the letter before them ("e" and an accent typed apart).
        if (c.isLetterOrNumber() || (c.isMark() && !word.isEmpty())) {
            word += c;
        } else if (!word.isEmpty()) {
            words.append(word.toCaseFolded());
            word.clear();
        }
    }
    if (!word.isEmpty())
        words.append(word.toCaseFolded());
    return words;
}

QList<FoundPage> SearchIndex::find(const QString &query) const
{
    const QStringList words = wordsOf(query);
    if (words.isEmpty())
        return {};
    QSet<int> pages = m_pagesByWord.value(words.first());
    for (const QString &word : words) {
        if (pages.isEmpty())
            break;
        pages.intersect(m_pagesByWord.value(word));
    }
    QList<FoundPage> found;
    for (const int page : pages)
        found.append(m_pages.at(page));
    std::sort(found.begin(), found.end(), [](const FoundPage &a, const FoundPage &b) {
        const int byTitle = a.title.compare(b.title, Qt::CaseInsensitive);
        return byTitle != 0 ? byTitle < 0 : a.path < b.path;
    });
    return found;
}

#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

struct _xmlDoc;
struct _xmlNode;

/** What a walk over a parsed page does after it has entered a node: skips or goes into those below it, or ends. */
enum class Walk { over, into, stop };

/**
 * Goes through `first`, the nodes after it and all below them, in order and without recursion: a page
 * may nest as deep as the parser lets it. `leave` is told of every node `enter` went into, after the
 * nodes below it; not of those still open when the walk stops.
 */
void walkNodes(const _xmlNode *first, const std::function<Walk(const _xmlNode *)> &enter,
               const std::function<void(const _xmlNode *)> &leave = {});

/**
 * An HTML page or sitemap read with libxml2's forgiving HTML parser: missing end tags, stray
 * tags and unknown elements are repaired the way browsers repair them, and nothing is fetched.
 */
class HtmlDocument
{
public:
    explicit HtmlDocument(const QByteArray &html);
    ~HtmlDocument();
    HtmlDocument(const HtmlDocument &) = delete;
    HtmlDocument &operator=(const HtmlDocument &) = delete;

    /** nullptr when nothing could be read. */
    _xmlNode *root() const;

    /** The text of the page's <title>, white space collapsed; empty when it has none. */
    QString title() const;

    /**
     * What a reader sees of the page, title included, without scripts and style sheets. Elements that
     * break the line stand apart by a space; inline markup inside a word ("ca<b>mera</b>") does not split it.
     */
    QString text() const;

private:
    _xmlDoc *m_document = nullptr;
};

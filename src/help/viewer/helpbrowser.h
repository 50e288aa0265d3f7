#pragma once

#include "help/pagecleaner.h"
#include "help/topicpath.h"

#include <QTextBrowser>
#include <functional>

class CompiledHelp;

/**
 * A text browser whose pages, style sheets and pictures come from a compiled help file and nowhere else,
 * as URLs "chm:/rules.htm#date", so relative links resolve inside the file. Pages are cleaned before they
 * are laid out. A clicked link opens a page of the file, goes to the desktop (web, mail), or is refused.
 */
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    /** What takes web and mail links to the desktop's own programs. */
    using DesktopHandOff = std::function<void(const QUrl &)>;
    /** Told of every object the page asks for, with its kind (a QTextDocument::ResourceType). */
    using RequestRecorder = std::function<void(int type, const QUrl &name)>;

    explicit HelpBrowser(QWidget *parent = nullptr);

    /** Takes its pages from `help` from now on (not owned; nullptr for none). */
    void setHelp(const CompiledHelp *help);

    /** The URL of an object inside the help file, or of a topic, whose place is the fragment. */
    static QUrl urlOf(const QString &objectPath) { return urlOf(TopicPath{objectPath, {}}); }
    static QUrl urlOf(const TopicPath &topic) { return topic.toUrl(helpScheme); }

    /** Marks every whole word of `words` on the shown page, in any case, and scrolls to the first; until another page shows. */
    void highlight(const QStringList &words);

    /** Replaces the hand-off to the desktop (QDesktopServices); gives back the one it replaces. */
    static DesktopHandOff setDesktopHandOff(DesktopHandOff handOff);

    void setRequestRecorder(RequestRecorder recorder) { m_recorder = std::move(recorder); }

signals:
    /** A short note for the status line, such as why a link was not followed. */
    void noted(const QString &note);

protected:
    QVariant loadResource(int type, const QUrl &name) override;
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override;

private:
    static inline const QString helpScheme = QStringLiteral("chm");

    void follow(const QUrl &link);

    const CompiledHelp *m_help = nullptr;
    RequestRecorder m_recorder;
    /** What the page laid out last leaves for the style sheets it links. */
    StyleBudget m_styles;
};

#pragma once

#include "help/pagecleaner.h"

#include <QTextBrowser>
#include <functional>

class CompiledHelp;
struct TopicPath;

/**
 * A text browser whose pages, style sheets and pictures come from a compiled help file and from
 * nowhere else. Objects of the file have URLs of the scheme "chm" ("chm:/rules.htm#date"), so
 * relative links resolve inside the file. Pages are cleaned before they are laid out. A click on a
 * link opens a page of the file, hands a web or mail link to the desktop, and does nothing else but
 * say so for any other link.
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

    /** The URL of the object at `objectPath` inside the help file. */
    static QUrl urlOf(const QString &objectPath);
    /** The URL of a topic: its page's, with the place as the fragment. */
    static QUrl urlOf(const TopicPath &topic);

    /**
     * Marks every whole-word occurrence of `words` on the shown page, without regard to case, and
     * scrolls to the first one. The marks go when another page is shown.
     */
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
    void follow(const QUrl &link);

    const CompiledHelp *m_help = nullptr;
    RequestRecorder m_recorder;
    /** What the page laid out last leaves for the style sheets it links. */
    StyleBudget m_styles;
};

#pragma once

#include <QTextBrowser>

class CompiledHelp;

/**
 * A text browser whose pages, style sheets and pictures come from a compiled help file.
 * Objects of the file have URLs of the scheme "chm" ("chm:/rules.htm#date"), so relative
 * links resolve inside the file; links of any other scheme open in the desktop's own program.
 */
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit HelpBrowser(QWidget *parent = nullptr);

    /** Takes its pages from `help` from now on (not owned; nullptr for none). */
    void setHelp(const CompiledHelp *help);

    /** The URL of the object at `objectPath` inside the help file. */
    static QUrl urlOf(const QString &objectPath);

    /**
     * Marks every whole-word occurrence of `words` on the shown page, without regard to case, and
     * scrolls to the first one. The marks go when another page is shown.
     */
    void highlight(const QStringList &words);

protected:
    QVariant loadResource(int type, const QUrl &name) override;
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override;

private:
    const CompiledHelp *m_help = nullptr;
};

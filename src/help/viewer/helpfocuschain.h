#pragma once

#include <QObject>
#include <QPointer>

class QTabWidget;
class QTextBrowser;
class QWidget;

/**
 * The help viewer's keyboard walk. Tab and Shift+Tab go through the topic's links and past the ends on to
 * the window's next control, so the keyboard is never held in the topic. F6 (and Shift+F6) moves between
 * the side pane and the topic, back to the pane's control that had the keyboard last.
 */
class HelpFocusChain : public QObject
{
    Q_OBJECT

public:
    HelpFocusChain(QTextBrowser *topic, QTabWidget *pane);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /** Whether the topic holds a link after (`forward`) or before the one the keyboard is on. */
    bool hasLinkBeyond(bool forward) const;
    void leaveTopic(bool forward);
    void switchPanes();

    QTextBrowser *m_topic;
    QTabWidget *m_pane;
    QPointer<QWidget> m_lastInPane;
};

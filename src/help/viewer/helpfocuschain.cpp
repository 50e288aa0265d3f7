#include "help/viewer/helpfocuschain.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <algorithm>

namespace {

// As Qt walks the chain itself: the next control that takes Tab, shown and enabled, in the same window.
QWidget *neighbour(QWidget *from, bool forward)
{
    QWidget *window = from->window();
    for (QWidget *candidate = forward ? from->nextInFocusChain() : from->previousInFocusChain(); candidate != from;
         candidate = forward ? candidate->nextInFocusChain() : candidate->previousInFocusChain()) {
        if ((candidate->focusPolicy() & Qt::TabFocus) && !candidate->focusProxy() && candidate->window() == window
            && candidate->isVisibleTo(window) && candidate->isEnabled())
            return candidate;
    }
    return from;
}

} // namespace

HelpFocusChain::HelpFocusChain(QTextBrowser *topic, QTabWidget *pane) : QObject(topic), m_topic(topic), m_pane(pane)
{
    m_topic->installEventFilter(this);

    auto *switchKey = new QAction(this);
    switchKey->setObjectName(QStringLiteral("switchPanes"));
    switchKey->setShortcuts({QKeySequence(Qt::Key_F6), QKeySequence(Qt::SHIFT | Qt::Key_F6)});
    switchKey->setShortcutContext(Qt::WindowShortcut);
    m_topic->window()->addAction(switchKey);
    connect(switchKey, &QAction::triggered, this, &HelpFocusChain::switchPanes);

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && m_pane->isAncestorOf(now))
            m_lastInPane = now;
    });
}

bool HelpFocusChain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_topic && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
        const bool otherModifiers = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (tab && !otherModifiers && !hasLinkBeyond(forward)) {
            leaveTopic(forward);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// The browser walks its links from the one selected, or from the page's start (Tab) or end
// (Shift+Tab) when none is. Left to itself it finds a link at the very start of the page again
// and again on Shift+Tab, so the ends are decided here.
bool HelpFocusChain::hasLinkBeyond(bool forward) const
{
    const QTextCursor cursor = m_topic->textCursor();
    const QTextDocument *page = m_topic->document();
    const int from = cursor.hasSelection() ? (forward ? cursor.selectionEnd() : cursor.selectionStart())
                                           : (forward ? 0 : page->characterCount());
    // Only the blocks from the starting point on, in the walk's direction: a page may be long.
    for (QTextBlock block = page->findBlock(std::max(0, std::min(from, page->characterCount() - 1))); block.isValid();
         block = forward ? block.next() : block.previous()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty())
                continue;
            if (forward ? fragment.position() >= from : fragment.position() + fragment.length() <= from)
                return true;
        }
    }
    return false;
}

void HelpFocusChain::leaveTopic(bool forward)
{
    // The walk through the links starts afresh when the keyboard comes back.
    QTextCursor cursor = m_topic->textCursor();
    cursor.clearSelection();
    m_topic->setTextCursor(cursor);
    neighbour(m_topic, forward)->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void HelpFocusChain::switchPanes()
{
    QWidget *focus = QApplication::focusWidget();
    const bool inTopic = focus && (focus == m_topic || m_topic->isAncestorOf(focus));
    if (!inTopic || !m_pane->isVisible()) {
        m_topic->setFocus(Qt::OtherFocusReason);
        return;
    }
    QWidget *page = m_pane->currentWidget();
    QWidget *target = m_lastInPane && m_lastInPane->isVisible() ? m_lastInPane.data() : nullptr;
    if (!target && page)
        target = page->focusPolicy() & Qt::TabFocus ? page : neighbour(page, true);
    if (!target || !m_pane->isAncestorOf(target))
        target = m_pane->tabBar();
    target->setFocus(Qt::OtherFocusReason);
}

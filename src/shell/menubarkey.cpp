#include "shell/menubarkey.h"

#include <QAction>
#include <QMenuBar>
#include <QWidget>

void openMenuBarOnF10(QWidget *window, QMenuBar *bar)
{
    auto *key = new QAction(window);
    key->setObjectName(QStringLiteral("openMenuBar"));
    key->setShortcut(QKeySequence(Qt::Key_F10));
    key->setShortcutContext(Qt::WindowShortcut);
    window->addAction(key);
    QObject::connect(key, &QAction::triggered, bar, [bar] {
        for (QAction *menu : bar->actions()) {
            if (menu->isVisible() && menu->isEnabled() && !menu->isSeparator()) {
                bar->setActiveAction(menu);
                return;
            }
        }
    });
}

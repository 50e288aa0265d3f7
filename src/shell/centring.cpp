#include "shell/centring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void centreOnPrimaryScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame is only known once the system window exists; asking for the id creates it.
    window->winId();
    const QSize screenSize = screen->geometry().size();
    const QSize outer = window->frameGeometry().size();
    // C++ division truncates toward zero, as the centring wants for a window larger than the screen.
    window->move((screenSize.width() - outer.width()) / 2, (screenSize.height() - outer.height()) / 2);
}

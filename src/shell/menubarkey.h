#pragma once

class QMenuBar;
class QWidget;

/**
 * Makes F10 open the first menu of `bar` while `window` is active, as the desktops' own programs
 * do; the arrow keys walk the menus from there and Escape leaves them.
 */
void openMenuBarOnF10(QWidget *window, QMenuBar *bar);

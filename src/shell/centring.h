#pragma once

class QWidget;

/**
 * Moves the window's top-left corner so that its outer frame is centred on the
 * primary screen: ((screen − frame) / 2, truncated toward zero), not clamped, size kept.
 */
void centreOnPrimaryScreen(QWidget *window);

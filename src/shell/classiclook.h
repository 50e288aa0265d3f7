#pragma once

class QApplication;

/**
 * Gives the whole application, every window and message box, the classic desktop controls its
 * fixed pixel layouts were measured for, with their palette and the program's font, whatever
 * the desktop's theme says. Call once, before the first window.
 */
void installClassicLook(QApplication &application);

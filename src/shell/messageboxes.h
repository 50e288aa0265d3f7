#pragma once

#include <functional>
#include <string>

class QString;
class QWidget;

/**
 * The program's title: the program file's name without its folder and without
 * everything from its first "." on, first character kept, the rest in lower case.
 */
QString applicationTitle();
/** The same rule on a given program file path (split out for testing). */
QString applicationTitleFor(const QString &programPath);

/** The error box: stop icon, one OK button, the application title as caption. */
void showErrorBox(QWidget *owner, const std::string &message);

/** The Information box: caption "Information", information icon, one OK button. */
void showInformation(QWidget *owner, const std::string &message);

/** The plain message box: no icon, one OK button, application title, centred on the screen. */
void showPlainMessage(const std::string &message);

/**
 * Every handler runs through here, so a failure ends the handler and is shown in
 * the error box, and the event loop goes on: no exception ever crosses Qt.
 */
void runHandler(QWidget *owner, const std::function<void()> &handler);

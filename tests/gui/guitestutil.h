#pragma once

#include "app/shell/classiclook.h"

#include <QApplication>
#include <QString>
#include <QStringList>
#include <functional>

class QMessageBox;

/**
 * Watches for the next modal message box, records its caption and text and presses
 * OK, so a test can drive a handler that opens one. Use one per expected box.
 */
class MessageBoxCatcher
{
public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();

    /** Caption, text and icon of every box closed so far, as "caption|text|icon". */
    QStringList seen() const;

private:
    struct Impl;
    Impl *m_impl;
};

/** A fresh temporary folder made the working directory for the test's lifetime. */
class TemporaryWorkingFolder
{
public:
    TemporaryWorkingFolder();
    ~TemporaryWorkingFolder();
    QString path() const;
    /** Writes a file of the given bytes in the folder (or a path below it). */
    void writeFile(const QString &relativePath, const QByteArray &bytes = "x") const;

private:
    struct Impl;
    Impl *m_impl;
};

/** QTEST_MAIN with the program's own look, so the windows are tested as the program shows them. */
#define QUARIMO_GUI_TEST_MAIN(TestObject)                                                                      \
    int main(int argc, char *argv[])                                                                           \
    {                                                                                                          \
        QApplication application(argc, argv);                                                                  \
        application.setAttribute(Qt::AA_Use96Dpi, true);                                                       \
        installClassicLook(application);                                                                       \
        TestObject test;                                                                                       \
        return QTest::qExec(&test, argc, argv);                                                                \
    }

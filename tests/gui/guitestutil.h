#pragma once

#include "about/progdetails.h"
#include "app/mainform.h"
#include "shell/classiclook.h"

#include <QApplication>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class HelpViewer;
class QMessageBox;
class QTextBrowser;

/**
 * Watches for modal message boxes, records each one's caption and text and presses OK, so
 * a test can drive a handler that opens them. While no catcher lives, a message box is a
 * failure: the test helpers close it and fail the running test with its caption and text,
 * rather than wait in its modal loop until ctest gives up.
 */
class MessageBoxCatcher
{
public:
    /** onBox, when given, runs with "caption|text|icon" before each box is closed. */
    explicit MessageBoxCatcher(std::function<void(const QString &)> onBox = {});
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

/**
 * The main window over a fresh temporary working folder, as the window tests open it: a test
 * class derives from this, calls makeFolder() in init(), writes its files, start()s the window
 * and calls closeAll() in cleanup().
 */
class MainWindowFixture
{
protected:
    void makeFolder();
    /** Opens the main window in the folder and waits until it is shown. */
    void start();
    /** The same, with the (hidden) About box created before the window shows, as at start-up. */
    void startWithAboutBox();
    /** Closes the windows, then removes the folder. */
    void closeAll();

    QStringList fileLines() const;
    QStringList dirLines() const;
    /** The settings file's text, "<none>" while there is none. */
    QString settingsContent() const;

    std::unique_ptr<TemporaryWorkingFolder> m_folder;
    std::unique_ptr<TMainForm> m_form;
    std::unique_ptr<TProgDetails> m_about;
    Ui::TMainForm *u = nullptr;

private:
    void open(bool withAboutBox);
};

/**
 * Compiles `files` (name, content) with chmcmd in the folder `dir` under the project `options`
 * (lines of its [OPTIONS] section); every file is listed in [FILES]. The path of the compiled
 * "test.chm", or empty when chmcmd is missing or made nothing. `scanPages` has chmcmd read the pages
 * for files they name, which takes it minutes on a page of megabytes.
 */
QString compileHelpFile(const QString &dir, const QMap<QString, QByteArray> &files, const QString &options,
                        bool scanPages = true);

/** A help page of `title` whose body is `body`, for compileHelpFile. */
QByteArray helpPage(const QByteArray &title, const QByteArray &body);

/** A JPEG head whose EXIF data says the photograph was taken at `date` ("YYYY:MM:DD HH:MM:SS"). */
QByteArray exifJpeg(const QByteArray &date);

/** Clicks the middle of the first link whose text holds `linkText`; false when the page has none. */
bool clickLink(QTextBrowser *browser, const QString &linkText);

/**
 * Waits, handling events, until the viewer's search has the words of its file in memory (or knows
 * it cannot have them); whether that came within a minute. The window itself never waits for them.
 */
bool waitForSearchIndex(const HelpViewer *viewer);

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

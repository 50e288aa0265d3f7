#pragma once

#include <QMap>
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

/**
 * Compiles `files` (name, content) with chmcmd in the folder `dir` under the project `options`
 * (lines of its [OPTIONS] section); every file is listed in [FILES]. The path of the compiled
 * "test.chm", or empty when chmcmd is missing or made nothing.
 */
QString compileHelpFile(const QString &dir, const QMap<QString, QByteArray> &files, const QString &options);

#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>

/**
 * Keeps a hostile input of the tests as a seed for the fuzz target, in the folder that
 * QUARIMO_FUZZ_SEEDS names (`make fuzz` sets it); does nothing without it.
 */
inline void writeFuzzSeed(const char *name, const QByteArray &bytes)
{
    const QString folder = qEnvironmentVariable("QUARIMO_FUZZ_SEEDS");
    if (folder.isEmpty())
        return;
    QFile file(QDir(folder).filePath(QString::fromUtf8(name)));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

#pragma once

// Shared by the tests and the benchmarks that compile help files with chmcmd.
#include <QByteArray>
#include <QFile>
#include <QString>

// When a file's directory spans several chunks, chmcmd names chunk 1 as the first listing chunk where
// it is chunk 0, so a reader that walks the listing from the header's word misses every entry of
// chunk 0. The help files made here are put right, as a sound compiler makes them.
// Directory header "ITSP": chunk size at +0x10, first listing chunk at +0x20, chunk count at +0x2C,
// its own length at +0x08; each listing chunk "PMGL" holds the previous chunk's number at +0x0C.
inline void correctFirstListingChunk(const QString &compiled)
{
    const auto littleEndian32 = [](const QByteArray &bytes, qsizetype at) {
        return quint32(quint8(bytes[at])) | quint32(quint8(bytes[at + 1])) << 8 | quint32(quint8(bytes[at + 2])) << 16
               | quint32(quint8(bytes[at + 3])) << 24;
    };
    QFile file(compiled);
    if (!file.open(QIODevice::ReadWrite))
        return;
    const QByteArray head = file.read(4096);
    const qsizetype directory = head.indexOf("ITSP");
    if (directory < 0 || directory + 0x30 > head.size())
        return;
    const quint32 headerLength = littleEndian32(head, directory + 0x08);
    const quint32 chunkSize = littleEndian32(head, directory + 0x10);
    const quint32 chunks = littleEndian32(head, directory + 0x2C);
    for (quint32 chunk = 0; chunk < chunks && chunk < 100000; ++chunk) {
        file.seek(directory + headerLength + qint64(chunk) * chunkSize);
        const QByteArray start = file.read(16);
        if (start.size() == 16 && start.startsWith("PMGL") && littleEndian32(start, 0x0C) == 0xFFFFFFFF) {
            const char number[4] = {char(chunk), char(chunk >> 8), char(chunk >> 16), char(chunk >> 24)};
            file.seek(directory + 0x20);
            file.write(number, 4);
            return;
        }
    }
}


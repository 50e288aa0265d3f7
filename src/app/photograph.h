#pragma once

#include <QImage>

/** Decodes a baseline JPEG with libjpeg; a null image when the data is no JPEG. */
QImage decodeJpeg(const QByteArray &data);

/** The decorative photograph embedded in the program, decoded. */
QImage decodedPhotograph();

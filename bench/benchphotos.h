#pragma once

// The photographs the rename benchmarks work on: each a JPEG head with its own EXIF capture date.

#include <cstdio>
#include <string>

namespace benchphotos {

// A JPEG head with an APP1 EXIF segment whose DateTimeOriginal is `date`: big-endian TIFF
// header at 12, IFD0 at 12 + 8 with one entry (the EXIF pointer, to 12 + 26), the EXIF
// directory with one entry (DateTimeOriginal, its text at 12 + 44), then a page of image bytes.
inline std::string photograph(const std::string &date)
{
    static const unsigned char head[] = {
        0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x48, 'E', 'x', 'i', 'f', 0, 0,         // SOI, APP1, identifier
        0x4D, 0x4D, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,                      // TIFF header
        0x00, 0x01, 0x87, 0x69, 0x00, 0x04, 0, 0, 0, 1, 0, 0, 0, 0x1A, 0, 0, 0, 0, // IFD0
        0x00, 0x01, 0x90, 0x03, 0x00, 0x02, 0, 0, 0, 0x14, 0, 0, 0, 0x2C, 0, 0, 0, 0}; // EXIF directory
    std::string bytes(reinterpret_cast<const char *>(head), sizeof head);
    bytes += date;
    bytes.push_back('\0');
    bytes.append(4096, '\x5A');
    return bytes;
}

/** The EXIF date text of photograph i, "YYYY:MM:DD HH:MM:SS", one second apart. */
inline std::string exifDate(int i)
{
    char date[32];
    std::snprintf(date, sizeof date, "2015:09:%02d %02d:%02d:%02d", 1 + i / 3600 % 28, i / 3600 % 24, i / 60 % 60,
                  i % 60);
    return date;
}

/** The date stamp the program makes of exifDate(i). */
inline std::string dateStamp(int i)
{
    std::string stamp = exifDate(i);
    stamp[4] = stamp[7] = stamp[13] = stamp[16] = '-';
    return stamp;
}

/** Photograph i's name as the camera gave it. */
inline std::string originalName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "DSC%06d.jpg", i);
    return name;
}

} // namespace benchphotos

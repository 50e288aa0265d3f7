#pragma once

#include <string>
#include <vector>

enum class ByteOrder { LittleEndian, BigEndian };

struct ExifDetails
{
    ByteOrder byteOrder = ByteOrder::BigEndian;
    std::string make;
    std::string model;
    /** "YYYY:MM:DD HH:MM:SS", written as DateTime, DateTimeOriginal and DateTimeDigitized. */
    std::string dateTime;
    int width = 0;
    int height = 0;
};

/**
 * The payload of an APP1 segment as cameras write it, written by libexif: "Exif", two zero
 * bytes, then a TIFF structure whose first directory (IFD0) points through tag 8769 to the
 * EXIF directory, which holds the capture date under tag 9003.
 */
std::vector<unsigned char> exifSegment(const ExifDetails &details);

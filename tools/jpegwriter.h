#pragma once

#include <string>
#include <vector>

struct JpegOptions
{
    int quality = 90;
    /** Writes the 16-byte JFIF APP0 segment right after the start-of-image marker. */
    bool jfifHeader = true;
    /** Resolution stored in the JFIF header, in dots per inch. */
    int dotsPerInch = 72;
    /** When not empty, written as an APP1 segment: right after SOI, or right after the JFIF header. */
    std::vector<unsigned char> app1;
};

/** A baseline (sequential, Huffman) JPEG of 8-bit RGB rows, top row first. */
std::vector<unsigned char> encodeJpeg(int width, int height, const std::vector<unsigned char> &rgb,
                                      const JpegOptions &options);

/** Writes bytes to a file, replacing it; throws std::runtime_error with the reason on failure. */
void writeFile(const std::string &path, const std::vector<unsigned char> &bytes);

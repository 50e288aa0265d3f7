#include "jpegwriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <jpeglib.h>
#include <stdexcept>

std::vector<unsigned char> encodeJpeg(int width, int height, const std::vector<unsigned char> &rgb,
                                      const JpegOptions &options)
{
    if (rgb.size() != size_t(width) * size_t(height) * 3)
        throw std::invalid_argument("encodeJpeg: pixel data does not match the size");
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    // The library's own error exit prints its message and ends the tool, which is all a generator needs.
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    info.optimize_coding = FALSE;
    info.write_JFIF_header = options.jfifHeader ? TRUE : FALSE;
    info.density_unit = 1;
    info.X_density = UINT16(options.dotsPerInch);
    info.Y_density = UINT16(options.dotsPerInch);
    jpeg_start_compress(&info, TRUE);
    if (!options.app1.empty())
        jpeg_write_marker(&info, JPEG_APP0 + 1, options.app1.data(), unsigned(options.app1.size()));
    while (info.next_scanline < info.image_height) {
        auto row = const_cast<JSAMPROW>(&rgb[size_t(info.next_scanline) * size_t(width) * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<unsigned char> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

void writeFile(const std::string &path, const std::vector<unsigned char> &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

// Writes every sample file of the unit tests into the folder given, one file per sample.

#include "exifsamples.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    int written = 0;
    for (const exifsamples::Sample &sample : exifsamples::samples()) {
        std::ofstream out(folder / (sample.name + ".jpg"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(sample.bytes.data()), static_cast<std::streamsize>(sample.bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", sample.name.c_str());
            return 1;
        }
        ++written;
    }
    std::printf("%d seed files in %s\n", written, folder.c_str());
    return 0;
}

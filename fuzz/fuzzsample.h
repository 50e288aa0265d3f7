#pragma once

// What both fuzz targets need around one input: the file it is written to, the promise check,
// and the count of open descriptors.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace fuzzsample {

inline void require(bool condition, const char *promise)
{
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

inline std::string &pathStore()
{
    static std::string path;
    return path;
}

inline void removeSampleFile()
{
    ::unlink(pathStore().c_str());
}

/** The one file each input is written to, made on first use with `suffix` and removed at exit. */
inline const std::string &samplePath(const char *prefix, const char *suffix)
{
    std::string &path = pathStore();
    if (path.empty()) {
        // Memory-backed when the machine has it: the file is rewritten for every input.
        const char *folder = std::getenv("TMPDIR");
        if (!folder || !*folder)
            folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(folder) + "/" + prefix + "-XXXXXX" + suffix;
        const int fd = ::mkstemps(pattern.data(), int(std::string(suffix).size()));
        require(fd >= 0, "a sample file can be made");
        ::close(fd);
        path = pattern;
        std::atexit(removeSampleFile);
    }
    return path;
}

// Written over in place and cut to size: truncating to nothing first would have ext4 flush
// the file to disk at every close, which costs a hundred times the reading.
inline void writeSample(const std::string &path, const std::uint8_t *data, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    require(fd >= 0, "the sample file opens for writing");
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        require(written > 0, "the sample file takes the input");
        done += static_cast<std::size_t>(written);
    }
    require(::ftruncate(fd, static_cast<off_t>(size)) == 0, "the sample file is cut to size");
    ::close(fd);
}

// The descriptor the next open would get: a reading that leaves one open moves it.
inline int lowestFreeDescriptor()
{
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(fd);
    return fd;
}

} // namespace fuzzsample

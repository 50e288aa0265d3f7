// Each input becomes the content of one file whose capture date is then read. Beyond the
// sanitizers' own findings, every reading must keep the reader's promises: a stamp of 19
// characters fit for a file name, a refusal told once with the stamp untouched, a failure
// with the stamp untouched, and no descriptor left open. And reading through the head block
// must give what reading each piece on its own gives, whatever the block's size, by the
// folder's descriptor or by the whole path: the same stamp, refusal, or failure with its code
// and message.

#include "capture/filedate.h"
#include "capture/filedate_p.h"
#include "capture/headblock.h"
#include "platform/errors.h"
#include "platform/folder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

void require(bool condition, const char *promise)
{
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

class CountingNotice : public RefusalNotice
{
public:
    void refused(const std::string &message) override
    {
        ++count;
        last = message;
    }
    int count = 0;
    std::string last;
};

std::string g_path;

void removeSampleFile()
{
    ::unlink(g_path.c_str());
}

const std::string &samplePath()
{
    if (g_path.empty()) {
        // Memory-backed when the machine has it: the file is rewritten for every input.
        const char *folder = std::getenv("TMPDIR");
        if (!folder || !*folder)
            folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(folder) + "/fuzz_capture-XXXXXX.jpg";
        const int fd = ::mkstemps(pattern.data(), 4);
        require(fd >= 0, "a sample file can be made");
        ::close(fd);
        g_path = pattern;
        std::atexit(removeSampleFile);
    }
    return g_path;
}

// Written over in place and cut to size: truncating to nothing first would have ext4 flush
// the file to disk at every close, which costs a hundred times the reading.
void writeSample(const std::string &path, const std::uint8_t *data, std::size_t size)
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
int lowestFreeDescriptor()
{
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(fd);
    return fd;
}

// One reading's whole outcome as text: answer, stamp, notices, or the failure.
template <typename Read>
std::string outcomeOf(Read &&read)
{
    std::string stamp = "untouched";
    CountingNotice notice;
    std::string answer;
    try {
        answer = read(stamp, notice) ? "stamped" : "refused";
    } catch (const EInOutError &e) {
        answer = "EInOutError " + std::to_string(e.code()) + " " + e.what();
    } catch (const EConvertError &e) {
        answer = std::string("EConvertError ") + e.what();
    }
    return answer + "|" + stamp + "|" + std::to_string(notice.count) + "|" + notice.last;
}

void requireSameOutcomes(const std::string &path)
{
    const std::pair<std::string, std::string> parts = platform::splitPath(path);
    const platform::Folder folder(parts.first);
    const std::string &name = parts.second;
    const auto withBlock = [&](std::size_t size) {
        return outcomeOf([&](std::string &stamp, RefusalNotice &notice) {
            return filedate_detail::readCaptureDate(folder, name, stamp, notice, size);
        });
    };
    const std::string pieceByPiece = withBlock(0);
    require(withBlock(filedate_detail::HeadBlock::Capacity) == pieceByPiece, "the head block reads as the pieces");
    require(withBlock(23) == pieceByPiece, "a small head block reads as the pieces");

    require(outcomeOf([&](std::string &stamp, RefusalNotice &notice) {
                return ReadCaptureDate(folder, name, stamp, notice);
            }) == pieceByPiece,
            "reading by the folder's descriptor reads as the pieces");
    require(outcomeOf([&](std::string &stamp, RefusalNotice &notice) { return ReadCaptureDate(path, stamp, notice); })
                == pieceByPiece,
            "reading by the whole path reads as by the folder's descriptor");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string &path = samplePath();
    writeSample(path, data, size);
    const int lowestFree = lowestFreeDescriptor();

    std::string stamp = "untouched";
    CountingNotice notice;
    bool answered = false, stamped = false;
    try {
        stamped = ReadCaptureDate(path, stamp, notice);
        answered = true;
    } catch (const EInOutError &) {
    } catch (const EConvertError &) {
    }

    if (stamped) {
        require(stamp.size() == 19, "a stamp has 19 characters");
        require(stamp[4] == '-' && stamp[7] == '-' && stamp[13] == '-' && stamp[16] == '-',
                "a stamp has its separators");
        for (const char c : stamp)
            require(c != '/' && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, "a stamp fits in a file name");
        require(notice.count == 0, "a stamped file is not refused");
    } else {
        require(stamp == "untouched", "a refused or failed reading leaves the stamp");
        require(notice.count == (answered ? 1 : 0), "a refusal is told once, a failure never");
        if (answered)
            require(notice.last == "Not a valid JPEG image", "the refusal says what it is");
    }
    require(lowestFreeDescriptor() == lowestFree, "no descriptor stays open");

    requireSameOutcomes(path);
    require(lowestFreeDescriptor() == lowestFree, "no descriptor stays open");
    return 0;
}

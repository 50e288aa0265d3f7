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
#include "fuzzsample.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

using fuzzsample::require;

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
    const std::string &path = fuzzsample::samplePath("fuzz_capture", ".jpg");
    fuzzsample::writeSample(path, data, size);
    const int lowestFree = fuzzsample::lowestFreeDescriptor();

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
    require(fuzzsample::lowestFreeDescriptor() == lowestFree, "no descriptor stays open");

    requireSameOutcomes(path);
    require(fuzzsample::lowestFreeDescriptor() == lowestFree, "no descriptor stays open");
    return 0;
}

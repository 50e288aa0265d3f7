#pragma once

// The reader's inner pieces, open to the tests; the program calls ReadCaptureDate only.

#include <cstddef>
#include <cstdint>
#include <string>

class RefusalNotice;

namespace platform {
class Folder;
}

namespace filedate_detail {

inline constexpr char NotValidJpeg[] = "Not a valid JPEG image";
inline constexpr char InvalidDateEncode[] = "Invalid argument to date encode";

/** Order in which the bytes of one read are joined into hex text. */
enum class ByteOrder { BigEndian, LittleEndian };

/**
 * Two upper-case hex digits per delivered byte, in file order (big-endian) or last byte
 * first (little-endian): 2A 00 gives "2A00" and "002A". Nothing delivered gives "".
 */
std::string BytesToHex(const unsigned char *buffer, std::size_t delivered, ByteOrder order);

/**
 * The hex text of an offset or count as a signed 32-bit number: "80000000" upward is
 * negative. An empty text raises EConvertError "'$' is not a valid integer value".
 */
std::int32_t hexNumber(const std::string &hex);

/**
 * "yyyy-mm-dd hh-mm-ss" made from the last-write time of the entry `name` of a held folder,
 * in local time down to an even second. Raises EConvertError "Invalid argument to date
 * encode" when there is no such time in 1980..2107.
 */
std::string FileTimeStamp(const platform::Folder &folder, const std::string &name);

/**
 * ReadCaptureDate with the size of the head block chosen (at most HeadBlock::Capacity):
 * 0 reads every piece on its own. Every size gives the same outcome.
 */
bool readCaptureDate(const platform::Folder &folder, const std::string &name, std::string &stamp,
                     RefusalNotice &notice, std::size_t blockSize);

} // namespace filedate_detail

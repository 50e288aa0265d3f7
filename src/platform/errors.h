#pragma once

#include <stdexcept>
#include <string>

/**
 * A failed file operation. The code is the program's I/O failure code: the small
 * table codes (2, 3, 4, 5, 100, 101, 106) carry their table message; any other
 * code is the operating system's own error number, shown as "I/O error <n>".
 */
class EInOutError : public std::runtime_error
{
public:
    explicit EInOutError(int code);

    /** Maps an errno value onto the failure table; path lets ENOENT tell 2 from 3. */
    static EInOutError fromErrno(int errnum, const std::string &path = {});

    int code() const noexcept { return m_code; }

private:
    EInOutError(int code, const std::string &message);
    int m_code;
};

/** A failed number or date conversion; what() is the conversion's message. */
class EConvertError : public std::runtime_error
{
public:
    explicit EConvertError(const std::string &message) : std::runtime_error(message) {}

    /** "'<text>' is not a valid integer value". */
    static EConvertError notAnInteger(const std::string &text);
};

/** The I/O failure codes that have a message of their own. */
namespace IoCode {
inline constexpr int FileNotFound = 2;
inline constexpr int InvalidFilename = 3;
inline constexpr int TooManyOpenFiles = 4;
inline constexpr int AccessDenied = 5;
inline constexpr int ReadBeyondEnd = 100;
inline constexpr int DiskFull = 101;
inline constexpr int InvalidNumericInput = 106;
}

/** The message the error box shows: a "." is appended when the last character sorts after ".". */
std::string errorBoxText(const std::string &message);

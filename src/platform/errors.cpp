#include "platform/errors.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

const char *tableMessage(int code)
{
    switch (code) {
    case IoCode::FileNotFound: return "File not found";
    case IoCode::InvalidFilename: return "Invalid filename";
    case IoCode::TooManyOpenFiles: return "Too many open files";
    case IoCode::AccessDenied: return "File access denied";
    case IoCode::ReadBeyondEnd: return "Read beyond end of file";
    case IoCode::DiskFull: return "Disk full";
    case IoCode::InvalidNumericInput: return "Invalid numeric input";
    default: return nullptr;
    }
}

std::string messageFor(int code)
{
    if (const char *text = tableMessage(code))
        return text;
    return "I/O error " + std::to_string(code);
}

// ENOENT means "file not found" when the folder that should hold it exists,
// and "invalid filename" when a folder on the way is missing.
bool parentFolderMissing(const std::string &path)
{
    if (path.empty())
        return false;
    std::string::size_type cut = path.find_last_of('/');
    while (cut != std::string::npos && cut > 0 && cut + 1 == path.size()) // trailing slashes
        cut = path.find_last_of('/', cut - 1);
    if (cut == std::string::npos)
        return false; // a bare name lives in the working directory, which exists
    const std::string parent = cut == 0 ? "/" : path.substr(0, cut);
    struct stat st {};
    return ::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode);
}

} // namespace

EInOutError::EInOutError(int code) : EInOutError(code, messageFor(code)) {}

EInOutError::EInOutError(int code, const std::string &message)
    : std::runtime_error(message), m_code(code)
{
}

EInOutError EInOutError::fromErrno(int errnum, const std::string &path)
{
    switch (errnum) {
    case ENOENT:
        return EInOutError(parentFolderMissing(path) ? IoCode::InvalidFilename : IoCode::FileNotFound);
    case ENOTDIR:
        return EInOutError(IoCode::InvalidFilename);
    case EMFILE:
    case ENFILE:
        return EInOutError(IoCode::TooManyOpenFiles);
    case EACCES:
    case EPERM:
    case EROFS:
        return EInOutError(IoCode::AccessDenied);
    case ENOSPC:
    case EDQUOT:
        return EInOutError(IoCode::DiskFull);
    default:
        // Never a table message the number does not mean: EIO is 5 here, but not "access denied".
        return EInOutError(errnum, "I/O error " + std::to_string(errnum));
    }
}

EConvertError EConvertError::notAnInteger(const std::string &text)
{
    return EConvertError("'" + text + "' is not a valid integer value");
}

std::string errorBoxText(const std::string &message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

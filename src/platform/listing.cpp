#include "platform/listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

class DirStream
{
public:
    explicit DirStream(const std::string &folder) : m_dir(::opendir(folder.c_str())) {}
    ~DirStream()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    DirStream(const DirStream &) = delete;
    DirStream &operator=(const DirStream &) = delete;
    DIR *get() const { return m_dir; }

private:
    DIR *m_dir;
};

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

void forEachEntry(const std::string &folder, const std::function<void(const DirEntry &)> &visit,
                  EntryDetail detail)
{
    DirStream stream(folder);
    if (!stream.get())
        return;
    const int dirFd = ::dirfd(stream.get());
    DirEntry entry;
    while (const dirent *raw = ::readdir(stream.get())) {
        if (isDotOrDotDot(raw->d_name))
            continue;
        entry.name.assign(raw->d_name);
        entry.hidden = raw->d_name[0] == '.';
        entry.isFolder = raw->d_type == DT_DIR;
        entry.readOnly = false;
        // Most file systems tell the kind for free; links and the rest need a stat, which
        // follows the link, so a link to a folder counts as a folder and a dangling link as a file.
        const bool needStat = raw->d_type == DT_UNKNOWN || raw->d_type == DT_LNK
                              || detail == EntryDetail::WithReadOnly;
        if (needStat) {
            struct stat st {};
            if (::fstatat(dirFd, raw->d_name, &st, 0) == 0) {
                entry.isFolder = S_ISDIR(st.st_mode);
                if (detail == EntryDetail::WithReadOnly)
                    entry.readOnly = ::faccessat(dirFd, raw->d_name, W_OK, AT_EACCESS) != 0
                                     || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
            }
        }
        visit(entry);
    }
}

std::vector<DirEntry> listEntries(const std::string &folder, EntryDetail detail)
{
    std::vector<DirEntry> entries;
    forEachEntry(folder, [&entries](const DirEntry &entry) { entries.push_back(entry); }, detail);
    return entries;
}

} // namespace platform

#pragma once

// The unit tests' one temporary folder: made fresh, removed with everything in it afterwards,
// and the working directory put back as it was, whatever the test did with it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

/** What a test may need of the volume its temporary folder is on, beyond plain files and folders. */
enum class VolumeNeed { Symlinks, HardLinks, RenameNoReplace, Fifos, Modes, CaseDistinction, AnyNameBytes, NameLimitAtLookup };

class TemporaryFolder
{
public:
    /** A new folder under the temporary directory, named after `prefix`; its path has links resolved. */
    explicit TemporaryFolder(const std::string &prefix = "quarimo")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = std::filesystem::canonical(pattern).string();
        std::error_code unknown;
        m_previous = std::filesystem::current_path(unknown).string();
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(m_previous.empty() ? std::string("/") : m_previous, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    const std::string &path() const { return m_path; }
    std::string path(const std::string &relative) const { return m_path + "/" + relative; }
    std::string operator/(const std::string &relative) const { return path(relative); }

    /** Makes the folder the working directory (until the object goes). */
    void enter() const
    {
        if (::chdir(m_path.c_str()) != 0)
            throw std::runtime_error("chdir failed");
    }

    /** Makes a folder below this one, with those above it; gives its full path. */
    std::string folder(const std::string &relative) const
    {
        std::filesystem::create_directories(path(relative));
        return path(relative);
    }
    /** Writes a file below this folder (folders on the way made); gives its full path. */
    std::string file(const std::string &relative, const std::string &bytes = "x") const
    {
        const std::filesystem::path full(path(relative));
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << bytes;
        return full.string();
    }
    std::string read(const std::string &relative) const
    {
        std::ifstream in(path(relative), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    /** Every entry of the folder (or of a folder below it), sorted byte-wise. */
    std::vector<std::string> entries(const std::string &below = {}) const
    {
        std::vector<std::string> names;
        std::error_code unreadable;
        for (const auto &entry : std::filesystem::directory_iterator(below.empty() ? m_path : path(below), unreadable))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    /**
     * Why the temporary directory's volume cannot hold what `need` asks, or "" when it can: tried once per
     * run in a folder of its own. Local folders hold all of it; cards and shares may not (make test-volumes).
     */
    static std::string volumeLacks(VolumeNeed need)
    {
        static std::map<VolumeNeed, std::string> answers;
        if (auto known = answers.find(need); known != answers.end())
            return known->second;
        const TemporaryFolder probe("quarimo-probe");
        return answers[need] = probe.lacks(need);
    }

private:
    std::string lacks(VolumeNeed need) const
    {
        const std::string scratch = path("probe");
        struct stat st {};
        switch (need) {
        case VolumeNeed::Symlinks:
            return ::symlink("gone", scratch.c_str()) == 0 ? "" : "this volume holds no symbolic links";
        case VolumeNeed::HardLinks:
            file("probe");
            return ::link(scratch.c_str(), path("probe-linked").c_str()) == 0 ? "" : "this volume holds no hard links";
        case VolumeNeed::RenameNoReplace:
            file("probe");
            return ::renameat2(AT_FDCWD, scratch.c_str(), AT_FDCWD, path("probe-moved").c_str(), RENAME_NOREPLACE) == 0
                       ? ""
                       : "this volume refuses a rename that may not replace";
        case VolumeNeed::Fifos:
            return ::mkfifo(scratch.c_str(), 0600) == 0 ? "" : "this volume holds no FIFOs";
        case VolumeNeed::Modes:
            file("probe");
            return ::chmod(scratch.c_str(), 0604) == 0 && ::stat(scratch.c_str(), &st) == 0 && (st.st_mode & 0777) == 0604
                       ? ""
                       : "this volume does not keep the modes it is given";
        case VolumeNeed::CaseDistinction:
            file("probe");
            return ::access(path("PROBE").c_str(), F_OK) != 0 ? "" : "this volume does not tell names apart by case";
        case VolumeNeed::AnyNameBytes:
            file("probe-\xff");
            return entries() == std::vector<std::string>{"probe-\xff"} ? ""
                                                                       : "this volume does not keep every byte of a name";
        case VolumeNeed::NameLimitAtLookup:
            return ::access(path(std::string(300, 'x')).c_str(), F_OK) != 0 && errno == ENAMETOOLONG
                       ? ""
                       : "this volume looks up names longer than 255 bytes";
        }
        return "";
    }

    std::string m_path;
    std::string m_previous;
};

// Skips the running test, saying why, where the temporary directory's volume lacks what it needs.
#define SKIP_WHERE_VOLUME_LACKS(need)                                                                            \
    if (const std::string lack = TemporaryFolder::volumeLacks(need); !lack.empty())                              \
    GTEST_SKIP() << lack

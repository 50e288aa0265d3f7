#pragma once

// A real temporary folder tree for the folder browser's tests, removed afterwards, and the
// working directory and locale put back as they were.
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

class TempTree
{
public:
    TempTree()
    {
        char pattern[] = "/tmp/quarimo-browser-XXXXXX";
        const char *made = ::mkdtemp(pattern);
        m_root = std::filesystem::canonical(made ? made : "/tmp").string();
        m_saved = std::filesystem::current_path().string();
    }
    ~TempTree()
    {
        std::error_code ignored;
        std::filesystem::current_path(m_saved, ignored);
        std::filesystem::remove_all(m_root, ignored);
    }
    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

    const std::string &root() const { return m_root; }
    std::string path(const std::string &relative) const { return m_root + "/" + relative; }

    /** Makes the folder (and those above it) below the root; gives its full path. */
    std::string folder(const std::string &relative) const
    {
        std::filesystem::create_directories(path(relative));
        return path(relative);
    }
    /** Writes a file below the root (folders on the way made); gives its full path. */
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

private:
    std::string m_root;
    std::string m_saved;
};

/** Switches the C library's locale for one test; false when the system lacks it. */
class ScopedLocale
{
public:
    explicit ScopedLocale(const char *name)
        : m_savedCollate(std::setlocale(LC_COLLATE, nullptr)), m_savedCtype(std::setlocale(LC_CTYPE, nullptr))
    {
        m_ok = std::setlocale(LC_COLLATE, name) && std::setlocale(LC_CTYPE, name);
    }
    ~ScopedLocale()
    {
        std::setlocale(LC_COLLATE, m_savedCollate.c_str());
        std::setlocale(LC_CTYPE, m_savedCtype.c_str());
    }
    bool ok() const { return m_ok; }

private:
    std::string m_savedCollate;
    std::string m_savedCtype;
    bool m_ok = false;
};

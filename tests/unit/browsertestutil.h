#pragma once

// The folder browser's tests work in a TemporaryFolder, and put the locale back as it was.
#include "temporaryfolder.h"

#include <clocale>
#include <string>

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

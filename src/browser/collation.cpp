#include "browser/collation.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <langinfo.h>

namespace {

// In UTF-8 and in every single-byte encoding a byte from 1 to 127 is the character of that
// code, so a listing of thousands of names need not ask the decoder for each of them.
bool asciiStandsForItself()
{
    return MB_CUR_MAX == 1 || std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0;
}

std::wstring foldedWide(const std::string &bytes, bool asciiItself)
{
    std::wstring wide;
    wide.reserve(bytes.size());
    std::mbstate_t state{};
    const char *at = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        wchar_t wc = 0;
        const auto byte = static_cast<unsigned char>(*at);
        if (asciiItself && byte > 0 && byte < 0x80) {
            wide.push_back(static_cast<wchar_t>(std::towlower(byte)));
            ++at;
            --left;
            continue;
        }
        std::size_t used = std::mbrtowc(&wc, at, left, &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2) || used == 0) {
            wc = L'\xFFFD';
            used = 1;
            state = std::mbstate_t{};
        }
        wide.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(wc))));
        at += used;
        left -= used;
    }
    return wide;
}

// `room` is scratch space kept from one key to the next: with room for the usual key, one
// transformation mostly does.
std::wstring keyOf(const std::string &name, bool asciiItself, std::wstring &room)
{
    const std::wstring folded = foldedWide(name, asciiItself);
    room.resize(std::max(room.size(), 4 * folded.size() + 16));
    std::size_t size = std::wcsxfrm(room.data(), folded.c_str(), room.size());
    if (size >= room.size()) {
        room.resize(size + 1);
        size = std::wcsxfrm(room.data(), folded.c_str(), room.size());
    }
    return std::wstring(room.data(), size);
}

} // namespace

std::wstring collationKey(const std::string &name)
{
    std::wstring room;
    return keyOf(name, asciiStandsForItself(), room);
}

void sortNames(std::vector<std::string> &names)
{
    // Each key travels with its name's place, so a comparison reaches the key directly.
    struct Keyed
    {
        std::wstring key;
        std::size_t index;
    };
    const bool asciiItself = asciiStandsForItself();
    std::wstring room;
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        keyed.push_back({keyOf(names[i], asciiItself, room), i});
    std::sort(keyed.begin(), keyed.end(), [&names](const Keyed &a, const Keyed &b) {
        if (const int byKey = a.key.compare(b.key))
            return byKey < 0;
        return names[a.index] < names[b.index];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const Keyed &entry : keyed)
        sorted.push_back(std::move(names[entry.index]));
    names = std::move(sorted);
}

bool equalIgnoringCase(const std::string &a, const std::string &b)
{
    const bool asciiItself = asciiStandsForItself();
    return a == b || foldedWide(a, asciiItself) == foldedWide(b, asciiItself);
}

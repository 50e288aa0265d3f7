#include "app/browser/collation.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <numeric>

namespace {

std::wstring foldedWide(const std::string &bytes)
{
    std::wstring wide;
    wide.reserve(bytes.size());
    std::mbstate_t state{};
    const char *at = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        wchar_t wc = 0;
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

} // namespace

std::wstring collationKey(const std::string &name)
{
    const std::wstring folded = foldedWide(name);
    const std::size_t size = std::wcsxfrm(nullptr, folded.c_str(), 0);
    std::wstring key(size, L'\0');
    std::wcsxfrm(key.data(), folded.c_str(), size + 1);
    return key;
}

void sortNames(std::vector<std::string> &names)
{
    std::vector<std::wstring> keys;
    keys.reserve(names.size());
    for (const std::string &name : names)
        keys.push_back(collationKey(name));
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (const int byKey = keys[a].compare(keys[b]))
            return byKey < 0;
        return names[a] < names[b];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(names[i]));
    names = std::move(sorted);
}

bool equalIgnoringCase(const std::string &a, const std::string &b)
{
    return a == b || foldedWide(a) == foldedWide(b);
}

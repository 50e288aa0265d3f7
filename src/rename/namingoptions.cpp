#include "rename/namingoptions.h"

#include "platform/errors.h"
#include "platform/hexdigit.h"

#include <cstdint>

int32_t modeFromButtonName(const std::string &name)
{
    return strToInt(name.size() >= 2 ? name.substr(name.size() - 2) : name);
}

int32_t strToInt(const std::string &text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        throw EConvertError::notAnInteger(text);

    // A hexadecimal value is an unsigned 32-bit pattern ("$FFFFFFFF" is -1);
    // a decimal one must fit the signed range.
    const uint64_t limit = base == 16 ? UINT32_MAX : (negative ? 2147483648ULL : 2147483647ULL);
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = base == 16 ? hexDigitValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            throw EConvertError::notAnInteger(text);
        value = value * base + digit;
        if (value > limit)
            throw EConvertError::notAnInteger(text);
    }
    const int64_t pattern = base == 16 ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(value)))
                                       : static_cast<int64_t>(value);
    return static_cast<int32_t>(negative ? -pattern : pattern);
}

int32_t startNumberFromPickers(int width, const PickerTexts &pickers)
{
    // Units first, as the pickers are always read: C4, C3, C2, C1.
    static constexpr int64_t weights[4] = {1000, 100, 10, 1};
    int64_t sum = 0;
    for (int picker = 3; picker >= 0; --picker) {
        const int64_t value = strToInt(pickers[picker]);
        if (3 - picker >= width)
            continue; // a place the width does not cover is converted but ignored
        sum += weights[picker] * value;
        if (sum < INT32_MIN || sum > INT32_MAX)
            throw EConvertError::notAnInteger(pickers[picker]);
    }
    return static_cast<int32_t>(sum);
}

std::string heaviestPicker(int width, const PickerTexts &pickers)
{
    static constexpr int64_t weights[4] = {1000, 100, 10, 1};
    int heaviest = 3;
    for (int picker = 2; picker >= 4 - width && picker >= 0; --picker) {
        if (weights[picker] * strToInt(pickers[picker]) >= weights[heaviest] * strToInt(pickers[heaviest]))
            heaviest = picker;
    }
    return pickers[heaviest];
}

#include "rename/namingrules.h"

#include <cstdio>

std::string extensionOf(const std::string &name)
{
    return name.size() <= 4 ? name : name.substr(name.size() - 4);
}

std::string stemOf(const std::string &name)
{
    return name.size() <= 4 ? std::string() : name.substr(0, name.size() - 4);
}

std::string dateOnlyStamp(const std::string &dateStamp)
{
    return dateStamp.substr(0, 10);
}

std::string formatNumber(int32_t number, int width)
{
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.*d", width, static_cast<int>(number));
    return std::string(text, static_cast<std::size_t>(length));
}

int numberWidth(int32_t namingMode)
{
    switch (namingMode) {
    case 4:
    case 7: return 2;
    case 5:
    case 8: return 3;
    case 6:
    case 9: return 4;
    default: return 0;
    }
}

bool modeReadsDate(int32_t namingMode)
{
    return namingMode >= 0 && namingMode <= 3;
}

std::string batchUserText(bool userTextChecked, const std::string &typed)
{
    if (!userTextChecked || typed == " ")
        return {};
    return typed;
}

namespace {

RuleResult renameTo(std::string newName)
{
    return {RuleResult::Rename, std::move(newName)};
}

// Bytes 0 to 32 count as blanks: control characters and the space.
std::string trimBlanks(const std::string &text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32)
        --last;
    return text.substr(first, last - first);
}

} // namespace

RuleResult removeDate(const std::string &oldName, const std::string &dateStamp)
{
    const std::string dateOnly = dateOnlyStamp(dateStamp);
    std::string found = dateStamp;
    std::size_t at = oldName.find(dateStamp);
    if (at == std::string::npos) {
        found = dateOnly;
        at = oldName.find(dateOnly);
    }
    if (at == std::string::npos)
        return {RuleResult::EndBatch, {}};
    if (found + extensionOf(oldName) == oldName)
        return {RuleResult::EndBatchWithMessage, {}};
    return renameTo(trimBlanks(oldName.substr(0, at)) + trimBlanks(oldName.substr(at + found.size())));
}

RuleResult composeNewName(const NamingInput &input)
{
    const std::string &oldName = input.oldName;
    const OptionState &options = input.options;
    const std::string ext = extensionOf(oldName);
    const std::string stamp = options.dateFormat == 1 ? dateOnlyStamp(input.dateStamp) : input.dateStamp;
    const std::string number = formatNumber(input.number, numberWidth(options.namingMode));
    // The date-only stamp begins the full stamp, so finding it finds either.
    const bool alreadyStamped = oldName.find(dateOnlyStamp(input.dateStamp)) != std::string::npos;

    switch (options.namingMode) {
    case 0:
        if (alreadyStamped)
            return {RuleResult::Skip, {}};
        return renameTo(stamp + " " + oldName);
    case 1:
        if (alreadyStamped)
            return {RuleResult::Skip, {}};
        return renameTo(stemOf(oldName) + " " + stamp + ext);
    case 2:
        return renameTo(stamp + ext);
    case 3:
        return removeDate(oldName, input.dateStamp);
    case 4:
    case 5:
    case 6: {
        const std::string sep = input.userText.empty() ? "" : " ";
        if (options.numbersAfterText)
            return renameTo(input.userText + sep + number + ext);
        return renameTo(number + sep + input.userText + ext);
    }
    case 7:
    case 8:
    case 9:
        if (options.numberSuffix)
            return renameTo(stemOf(oldName) + " " + number + ext);
        return renameTo(number + " " + oldName);
    default:
        return {RuleResult::Skip, {}};
    }
}

std::string collisionName(const std::string &newName, int32_t counter, const std::string &oldName)
{
    return stemOf(newName) + "-a" + formatNumber(counter, 2) + extensionOf(oldName);
}

int progressPosition(int index, int count)
{
    const int64_t numerator = int64_t(index) * 100;
    const int64_t denominator = int64_t(count) - 1;
    int64_t position = numerator / denominator;
    const int64_t twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && position % 2 != 0))
        ++position;
    return static_cast<int>(position);
}

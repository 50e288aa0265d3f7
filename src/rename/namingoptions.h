#pragma once

#include <array>
#include <cstdint>
#include <string>

/** The option state the rename engines read; the main window's controls mirror into it. */
struct OptionState
{
    int32_t namingMode = 0;        // 0..9, the number at the end of the checked rule button's name
    int32_t dateFormat = 0;        // 0: date and time, 1: date only
    int32_t startNumber = 1;       // what StartNumber last gave
    int32_t numberSuffix = 0;      // NumSuffix: modes 7-9 put the number after the name
    int32_t numbersAfterText = 0;  // NumSuffix2: modes 4-6 put the number after the user text
};

/** The mode a rule button's name carries in its last two characters: "bname05" gives 5. */
int32_t modeFromButtonName(const std::string &name);

/** The texts of the four digit pickers, C1 (thousands) to C4 (units). */
using PickerTexts = std::array<std::string, 4>;

/**
 * The start number the pickers give for numbers of `width` digits (2, 3 or 4).
 * All four texts are converted, C4 first, then C3, C2, C1; the first text that is no
 * 32-bit integer, or whose weighted place takes the sum out of the 32-bit range,
 * raises EConvertError "'<text>' is not a valid integer value".
 */
int32_t startNumberFromPickers(int width, const PickerTexts &pickers);

/**
 * The integer conversion of a picker's text: leading blanks, an optional sign, then
 * decimal digits to the end, or an unsigned hexadecimal value after "$" or "0x".
 * Anything else, the empty text and trailing blanks included, raises EConvertError.
 */
int32_t strToInt(const std::string &text);

/**
 * The text of the picker that weighs most in the start number for `width` digits (the
 * more significant one on a tie): the one to name when numbers counted on from that start
 * would leave the 32-bit range. The pickers must convert (startNumberFromPickers did).
 */
std::string heaviestPicker(int width, const PickerTexts &pickers);

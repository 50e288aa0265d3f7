#pragma once

#include "rename/namingoptions.h"

#include <cstdint>
#include <string>

// The pieces of a new name. Names are bytes: lengths and positions count bytes.

/** The last four bytes of a name, case kept (the whole name when it is shorter). */
std::string extensionOf(const std::string &name);
/** The name without its last four bytes. */
std::string stemOf(const std::string &name);
/** The first ten bytes of a date stamp: YYYY-MM-DD. */
std::string dateOnlyStamp(const std::string &dateStamp);

/** A number zero-padded on the left to at least `width` digits, as "%.*d" writes it. */
std::string formatNumber(int32_t number, int width);

/** The width of the number a mode writes: 2, 3 or 4 for modes 4-9, 0 for the date modes. */
int numberWidth(int32_t namingMode);
/** Modes 0-3 read every file's capture date. */
bool modeReadsDate(int32_t namingMode);

/** The user text a batch uses: empty unless the box is checked; one space alone counts as empty. */
std::string batchUserText(bool userTextChecked, const std::string &typed);

/** What a naming rule makes of one file. */
struct RuleResult
{
    enum Action {
        Rename,             // move the file to newName (after the collision rule)
        Skip,               // leave the file alone and go on with the next
        EndBatch,           // stop here, silently
        EndBatchWithMessage // stop here after telling the user why (mode 3 only)
    };
    Action action = Skip;
    std::string newName;
};

/** What one file brings to its rule. */
struct NamingInput
{
    std::string oldName;   // name and extension, no folder
    std::string dateStamp; // the 19-byte capture stamp; modes 0-3
    int32_t number = 0;    // start number + index; modes 4-9
    std::string userText;  // as batchUserText gives it; modes 4-6
    OptionState options;   // mode, date format and the two number switches
};

/** The rule of the naming mode applied to one file. */
RuleResult composeNewName(const NamingInput &input);

/** Mode 3: the name with the file's own date taken out, or the end of the batch. */
RuleResult removeDate(const std::string &oldName, const std::string &dateStamp);

/** The message that ends a mode-3 batch on a name made of the date and the extension only. */
inline constexpr const char *DateIsWholeNameMessage =
    "You cannot remove the date when it constitutes the entire filename.";
/** The message of a batch with nothing selected. */
inline constexpr const char *EmptySelectionMessage = "Please select at least one photograph.";

/**
 * The name a colliding file gets instead: the new name without its last four bytes,
 * "-a", the batch's collision counter with at least two digits, and the old name's extension.
 */
std::string collisionName(const std::string &newName, int32_t counter, const std::string &oldName);

/**
 * The progress bar position after file `index` of `count` (count > 1): index * 100 / (count - 1)
 * rounded to the nearest integer, halves to the even neighbour.
 */
int progressPosition(int index, int count);

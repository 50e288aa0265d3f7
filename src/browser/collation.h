#pragma once

#include <string>
#include <vector>

/**
 * Order of names as the user's locale (LC_COLLATE, LC_CTYPE) sorts them, without
 * regard to case. Names are bytes in the locale's encoding; a byte that does not
 * decode counts as U+FFFD, and names that tie are ordered by their bytes, so the
 * order never depends on the order the names came in.
 */
std::wstring collationKey(const std::string &name);

/** Sorts names into the order above. */
void sortNames(std::vector<std::string> &names);

/** True when both texts are the same but for letter case (in the locale's encoding). */
bool equalIgnoringCase(const std::string &a, const std::string &b);

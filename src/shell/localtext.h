#pragma once

#include <QString>
#include <string>

// Names, paths and typed texts are byte strings in the locale's encoding; the widgets hold
// QStrings. These two cross between them, the same way everywhere.

/** The bytes of a text in the locale's encoding. */
std::string localBytes(const QString &text);

/** A byte string in the locale's encoding, as text for a widget. */
QString fromLocalBytes(const std::string &bytes);

#pragma once

/**
 * Lets a screen reader announce a drop-down box by the accessible name the program gives it. On
 * Linux Qt names a drop-down box by its current text, so a box of digits would be heard as "0".
 * Boxes without an accessible name keep Qt's own behaviour. Installed once per application; later
 * calls do nothing.
 */
void installComboBoxNames();

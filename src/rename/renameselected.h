#pragma once

#include "rename/datereadahead.h"

class BatchHost;

/**
 * Renames the files selected in the host's file list by the naming mode of its options,
 * one after another, inside the current folder. Ends early, silently or after an
 * Information box, as the rules say; a failure ends the batch by its exception, and what
 * was renamed before stays renamed.
 */
void RenameSelected(BatchHost &host);

/**
 * The same with the capture-date reader and the read-ahead window given: tests put in a
 * reader of their own.
 */
void RenameSelected(BatchHost &host, const DateReader &reader, int readAheadWindow);

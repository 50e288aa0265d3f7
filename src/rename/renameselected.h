#pragma once

#include "rename/datereadahead.h"

class BatchHost;

/**
 * Renames the files selected in the host's file list by the naming mode of its options,
 * one after another, inside the current folder. Ends early, silently or after an
 * Information box, as the rules say; a failure ends the batch by its exception, and what
 * was renamed before stays renamed. A file whose move fails keeps its name and the batch
 * goes on; however the batch ends, the files that kept their names are reported once, at
 * its end (see runReportedBatch).
 */
void RenameSelected(BatchHost &host);

/**
 * The same with the capture-date reader and the read-ahead window given: tests put in a
 * reader of their own.
 */
void RenameSelected(BatchHost &host, const DateReader &reader, int readAheadWindow);

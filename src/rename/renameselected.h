#pragma once

class BatchHost;

/**
 * Renames the files selected in the host's file list by the naming mode of its options,
 * one after another, inside the current folder. Ends early, silently or after an
 * Information box, as the rules say; a failure ends the batch by its exception, and what
 * was renamed before stays renamed.
 */
void RenameSelected(BatchHost &host);

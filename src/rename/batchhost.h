#pragma once

#include "rename/namingoptions.h"

#include <cstdint>
#include <string>
#include <vector>

class BatchCalls;
class RefusalNotice;
struct BatchOutcome;

/**
 * What a rename batch needs of the window: the file list, the batch list, the progress
 * bar, the message boxes and the naming options. The main window implements it; tests
 * implement it over a plain folder.
 */
class BatchHost
{
public:
    virtual ~BatchHost() = default;

    // The file list, in its own order.
    virtual int lineCount() const = 0;
    /** The exact bytes of line i's file name. */
    virtual std::string lineText(int line) const = 0;
    virtual bool isLineSelected(int line) const = 0;
    /** Re-reads the folder and makes it the working directory. */
    virtual void ListFiles() = 0;
    /**
     * While deferred, ListFiles only marks the list stale (the working directory is set
     * when the deferral begins); flushListing re-reads a stale list. The batch defers while
     * the window cannot paint.
     */
    virtual void setListingDeferred(bool deferred) = 0;
    virtual void flushListing() = 0;

    /** Clears the batch list, which shows the names a batch works on, and fills it with `names`. */
    virtual void showBatchList(const std::vector<std::string> &names) = 0;

    /** The folder the file list shows; also the working directory during a batch. */
    virtual std::string currentFolder() const = 0;
    /** The progress bar, 0 to 100. */
    virtual void setProgress(int position) = 0;

    /** The modal Information box. */
    virtual void showInformation(const std::string &message) = 0;
    /**
     * Told once when a batch that began moving files ends, by any way, after its last box
     * but before an error's box: what it renamed, what kept its name, how it ended.
     */
    virtual void batchEnded(const BatchOutcome &outcome) = 0;
    /** Where the capture-date reader tells of a file it refuses; shows a modal box. */
    virtual RefusalNotice &captureRefusals() = 0;

    /** The system calls the batch moves and syncs with. */
    virtual BatchCalls &batchCalls() = 0;

    /** The start number the digit pickers give for `width` digits; throws EConvertError. */
    virtual int32_t StartNumber(int width) = 0;
    /** The digit pickers' texts, for naming the one to blame when a number outgrows 32 bits. */
    virtual PickerTexts digitPickers() const = 0;
    virtual OptionState options() const = 0;

    /** The "Include user text" box and the text typed beside it, as typed. */
    virtual bool userTextChecked() const = 0;
    virtual std::string userText() const = 0;
};

#pragma once

#include "capture/filedate.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class BatchHost;
class BatchReport;

namespace platform {
class Folder;
class NoReplaceMover;
}

// The steps both batch engines share.

/** The names of the selected files, in file-list order. */
std::vector<std::string> selectedNames(BatchHost &host);

/** Clears the batch list and copies the selected names into it, in file-list order. */
std::vector<std::string> takeBatchSnapshot(BatchHost &host);

/**
 * Keeps the file list's re-reads deferred for one batch: the window cannot paint while a
 * batch runs, so re-reading the folder after every file would only cost time. The list is
 * brought up to date before every modal box and at the end, also when the batch fails.
 */
class DeferredListing
{
public:
    explicit DeferredListing(BatchHost &host);
    ~DeferredListing();
    DeferredListing(const DeferredListing &) = delete;
    DeferredListing &operator=(const DeferredListing &) = delete;

    /** Ends the deferral at the batch's normal end; a failing re-read is passed on. */
    void finish();

private:
    BatchHost &m_host;
    bool m_finished = false;
};

/** The capture-date reader's notice, with the file list brought up to date before the box opens. */
class FlushingRefusalNotice : public RefusalNotice
{
public:
    explicit FlushingRefusalNotice(BatchHost &host) : m_host(host) {}
    void refused(const std::string &message) override;

private:
    BatchHost &m_host;
};

/** The Information box, with the file list brought up to date first. */
void informUser(BatchHost &host, const std::string &message);

/**
 * The number of file `index`: StartNumber for `width`, read afresh, plus the index. When the
 * batch's last number would leave the 32-bit range, EConvertError names the heaviest picker.
 */
int32_t batchNumber(BatchHost &host, int width, int index, int count);

/**
 * The collision rule and the rename step in the batch's folder, through the batch's mover: a
 * taken new name gets the batch's next "-a" suffix (tested once), the move never replaces,
 * its result goes into the report, and the file list is re-read either way.
 */
void renameInFolder(BatchHost &host, platform::NoReplaceMover &mover, const std::string &oldName,
                    const std::string &newName, int32_t &collisions, BatchReport &report);

/** A batch's loop over its files, given the batch's folder, mover and report. */
using BatchBody =
    std::function<std::string(const platform::Folder &, platform::NoReplaceMover &, BatchReport &)>;

/**
 * Opens the current folder once (every file of the batch is read, tested and moved by its
 * descriptor) with a mover through the host's calls, runs `body`, and ends the batch the same
 * way however it ends. When anything moved, the folder is synced. Then the Information box
 * shows the report when a photograph kept its name or the sync failed, then the message `body`
 * returned (a rule's reason to stop early; empty for none); last the host is told the outcome.
 * When `body` throws, the report and the outcome come before the error goes on to its box.
 */
void runReportedBatch(BatchHost &host, const BatchBody &body);

/** The progress rule; a batch of one leaves the bar alone. */
void advanceProgress(BatchHost &host, int index, int count);

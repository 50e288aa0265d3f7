#include "rename/batchsteps.h"

#include "platform/errors.h"
#include "platform/folder.h"
#include "platform/movefile.h"
#include "rename/batchcalls.h"
#include "rename/batchhost.h"
#include "rename/batchreport.h"
#include "rename/namingrules.h"

std::vector<std::string> selectedNames(BatchHost &host)
{
    std::vector<std::string> names;
    const int lines = host.lineCount();
    for (int line = 0; line < lines; ++line) {
        if (host.isLineSelected(line))
            names.push_back(host.lineText(line));
    }
    return names;
}

std::vector<std::string> takeBatchSnapshot(BatchHost &host)
{
    std::vector<std::string> names = selectedNames(host);
    host.showBatchList(names);
    return names;
}

DeferredListing::DeferredListing(BatchHost &host) : m_host(host)
{
    m_host.setListingDeferred(true);
}

DeferredListing::~DeferredListing()
{
    if (m_finished)
        return;
    // The batch is failing: show the list as it is before the error box opens, but let
    // nothing here replace the failure being reported.
    try {
        m_host.flushListing();
    } catch (...) {
    }
    try {
        m_host.setListingDeferred(false);
    } catch (...) {
    }
}

void DeferredListing::finish()
{
    m_finished = true;
    m_host.flushListing();
    m_host.setListingDeferred(false);
}

void FlushingRefusalNotice::refused(const std::string &message)
{
    m_host.flushListing();
    m_host.captureRefusals().refused(message);
}

void informUser(BatchHost &host, const std::string &message)
{
    host.flushListing();
    host.showInformation(message);
}

int32_t batchNumber(BatchHost &host, int width, int index, int count)
{
    const int32_t start = host.StartNumber(width);
    // Tested against the last number, so a batch that would outgrow 32 bits stops at its
    // first file, before anything is moved.
    if (int64_t(start) + (count - 1) > INT32_MAX)
        throw EConvertError::notAnInteger(heaviestPicker(width, host.digitPickers()));
    return start + index;
}

void renameInFolder(BatchHost &host, platform::NoReplaceMover &mover, const std::string &oldName,
                    const std::string &newName, int32_t &collisions, BatchReport &report)
{
    // The name is tested only when the move is refused, which comes to the same as testing
    // first: a name that stands as a file (the old name itself included) refuses every
    // no-replace move, and a refused move leaves the folder as it was. So a batch without
    // collisions moves each file with one call.
    std::string wanted = newName;
    int error = mover.move(oldName, wanted);
    if (error != 0 && platform::fileExistsIn(mover.folder(), wanted)) {
        ++collisions;
        wanted = collisionName(newName, collisions, oldName);
        error = mover.move(oldName, wanted);
    }
    // A failed move leaves the file as it was; the batch goes on, and the report tells of it.
    report.noteMove(oldName, wanted, error);
    host.ListFiles();
}

namespace {

void closeBatch(BatchHost &host, const platform::Folder &folder, BatchReport &report, const std::string &stopMessage)
{
    // Only a sync makes the renames reach a card that is pulled next: without it they may
    // sit in the kernel's cache for seconds.
    if (report.outcome().renamed > 0)
        report.noteSync(host.batchCalls().syncFolder(folder));
    // What kept its name comes first, then why the batch stopped: a rule's message here, an
    // error's box once the handler ends.
    if (report.hasNews())
        informUser(host, report.text());
    if (!stopMessage.empty())
        informUser(host, stopMessage);
    host.batchEnded(report.outcome());
}

} // namespace

void runReportedBatch(BatchHost &host, const BatchBody &body)
{
    const platform::Folder folder(host.currentFolder());
    // Learns the volume's way of moving without replacing as the batch goes.
    platform::NoReplaceMover mover(folder, platform::MoveMethod::RenameNoReplace, host.batchCalls());
    BatchReport report;
    std::string stopMessage;
    try {
        stopMessage = body(folder, mover, report);
    } catch (const std::exception &failure) {
        // Nothing here may replace the error on its way to its box.
        report.noteEnd(BatchOutcome::Ending::Failed, failure.what());
        try {
            closeBatch(host, folder, report, {});
        } catch (...) {
        }
        throw;
    }
    closeBatch(host, folder, report, stopMessage);
}

void advanceProgress(BatchHost &host, int index, int count)
{
    if (count > 1)
        host.setProgress(progressPosition(index, count));
}

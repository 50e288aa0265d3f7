#include "rename/renameselected.h"

#include "capture/filedate.h"
#include "platform/folder.h"
#include "platform/movefile.h"
#include "rename/batchhost.h"
#include "rename/batchreport.h"
#include "rename/batchsteps.h"
#include "rename/namingrules.h"

#include <optional>

namespace {

// The words the announcement gives for a batch that a name without the photograph's date ended.
std::string noDateToRemove(const std::string &name)
{
    return "\"" + name + "\" carries no date of the photograph to remove";
}

// Returns the message that ended the batch early, or nothing.
std::string renameFiles(BatchHost &host, const platform::Folder &folder, platform::NoReplaceMover &mover,
                        const std::vector<std::string> &names, const std::string &userText, const DateReader &reader,
                        int readAheadWindow, BatchReport &report)
{
    const int count = static_cast<int>(names.size());
    int32_t collisions = 0;
    FlushingRefusalNotice notice(host);
    // Only a batch that reads dates reads ahead; leaving the batch, by any way, ends the reading.
    // The first heads are read while the window fills its batch list.
    std::optional<DateReadAhead> readAhead;
    if (modeReadsDate(host.options().namingMode))
        readAhead.emplace(folder, names, reader, readAheadWindow, 0);
    host.showBatchList(names);

    for (int index = 0; index < count; ++index) {
        const OptionState options = host.options();
        NamingInput input{names[index], {}, 0, userText, options};
        if (modeReadsDate(options.namingMode)) {
            if (!readAhead)
                readAhead.emplace(folder, names, reader, readAheadWindow, index);
            if (!readAhead->take(index, input.dateStamp, notice)) {
                advanceProgress(host, index, count);
                continue;
            }
        } else {
            input.number = batchNumber(host, numberWidth(options.namingMode), index, count);
        }

        const RuleResult result = composeNewName(input);
        switch (result.action) {
        case RuleResult::Rename:
            renameInFolder(host, mover, input.oldName, result.newName, collisions, report);
            break;
        case RuleResult::Skip:
            break;
        case RuleResult::EndBatchWithMessage:
            // The box shows once the batch has returned, so nothing is read while it waits.
            report.noteEnd(BatchOutcome::Ending::Stopped, DateIsWholeNameMessage);
            return DateIsWholeNameMessage;
        case RuleResult::EndBatch:
            report.noteEnd(BatchOutcome::Ending::Stopped, noDateToRemove(input.oldName));
            return {};
        }
        advanceProgress(host, index, count);
    }
    return {};
}

} // namespace

void RenameSelected(BatchHost &host)
{
    static const DateReader reader = [](const platform::Folder &folder, const std::string &name, std::string &stamp,
                                        RefusalNotice &notice) { return ReadCaptureDate(folder, name, stamp, notice); };
    RenameSelected(host, reader, DateReadAhead::DefaultWindow);
}

void RenameSelected(BatchHost &host, const DateReader &reader, int readAheadWindow)
{
    DeferredListing listing(host);
    const std::vector<std::string> names = selectedNames(host);
    const std::string userText = batchUserText(host.userTextChecked(), host.userText());
    if (names.empty()) {
        host.showBatchList(names);
        informUser(host, EmptySelectionMessage);
    } else {
        // The batch shows the batch list itself, once its first heads are being read.
        runReportedBatch(host, [&](const platform::Folder &folder, platform::NoReplaceMover &mover, BatchReport &report) {
            return renameFiles(host, folder, mover, names, userText, reader, readAheadWindow, report);
        });
    }
    listing.finish();
}

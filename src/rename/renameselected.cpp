#include "rename/renameselected.h"

#include "capture/filedate.h"
#include "platform/folder.h"
#include "rename/batchhost.h"
#include "rename/batchsteps.h"
#include "rename/namingrules.h"

namespace {

void renameBatch(BatchHost &host, const std::vector<std::string> &names, const std::string &userText)
{
    // Opened once: every file of the batch is read, tested and moved by the descriptor.
    const platform::Folder folder(host.currentFolder());
    const int count = static_cast<int>(names.size());
    int32_t collisions = 0;
    FlushingRefusalNotice notice(host);

    for (int index = 0; index < count; ++index) {
        const OptionState options = host.options();
        NamingInput input{names[index], {}, 0, userText, options};
        if (modeReadsDate(options.namingMode)) {
            if (!ReadCaptureDate(folder, input.oldName, input.dateStamp, notice)) {
                advanceProgress(host, index, count);
                continue;
            }
        } else {
            input.number = batchNumber(host, numberWidth(options.namingMode), index, count);
        }

        const RuleResult result = composeNewName(input);
        switch (result.action) {
        case RuleResult::Rename:
            renameInFolder(host, folder, input.oldName, result.newName, collisions);
            break;
        case RuleResult::Skip:
            break;
        case RuleResult::EndBatchWithMessage:
            informUser(host, DateIsWholeNameMessage);
            return;
        case RuleResult::EndBatch:
            return;
        }
        advanceProgress(host, index, count);
    }
}

} // namespace

void RenameSelected(BatchHost &host)
{
    DeferredListing listing(host);
    const std::vector<std::string> names = takeBatchSnapshot(host);
    const std::string userText = batchUserText(host.userTextChecked(), host.userText());
    if (names.empty())
        informUser(host, EmptySelectionMessage);
    else
        renameBatch(host, names, userText);
    listing.finish();
}

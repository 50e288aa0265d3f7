#include "rename/camerarename.h"

#include "platform/movefile.h"
#include "rename/batchhost.h"
#include "rename/batchreport.h"
#include "rename/batchsteps.h"
#include "rename/namingrules.h"

std::string cameraName(CameraStyle style, int32_t number, const std::string &oldName)
{
    const char *prefix = style == CameraStyle::Canon ? "IMG_" : "P100";
    return prefix + formatNumber(number, 4) + extensionOf(oldName);
}

void CameraRename(BatchHost &host, CameraStyle style)
{
    DeferredListing listing(host);
    const std::vector<std::string> names = takeBatchSnapshot(host);
    if (names.empty()) {
        informUser(host, EmptySelectionMessage);
    } else {
        runReportedBatch(host, [&](const platform::Folder &, platform::NoReplaceMover &mover, BatchReport &report) {
            const int count = static_cast<int>(names.size());
            int32_t collisions = 0;
            for (int index = 0; index < count; ++index) {
                const std::string &oldName = names[index];
                renameInFolder(host, mover, oldName, cameraName(style, batchNumber(host, 4, index, count), oldName),
                               collisions, report);
                advanceProgress(host, index, count);
            }
            return std::string();
        });
    }
    listing.finish();
}

#pragma once

#include <cstdint>
#include <string>

class BatchHost;

enum class CameraStyle { Canon, Lumix };

/** The name a camera of that style gives picture `number`: prefix, four digits or more, the old extension. */
std::string cameraName(CameraStyle style, int32_t number, const std::string &oldName);

/**
 * Gives the selected files camera names numbered from the start number of all four pickers;
 * files that keep their names are reported at the end, as by RenameSelected.
 */
void CameraRename(BatchHost &host, CameraStyle style);

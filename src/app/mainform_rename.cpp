#include "app/mainform.h"
#include "app/renamehost.h"
#include "rename/camerarename.h"
#include "rename/renameselected.h"

// The Rename button and the camera-ready menu.

void TMainForm::RenameClick()
{
    MainFormBatchHost host(*this);
    RenameSelected(host);
}

void TMainForm::Canon1Click()
{
    MainFormBatchHost host(*this);
    CameraRename(host, CameraStyle::Canon);
}

void TMainForm::Lumix1Click()
{
    MainFormBatchHost host(*this);
    CameraRename(host, CameraStyle::Lumix);
}

#include "app/mainform.h"
#include "app/renamehost.h"
#include "rename/batchcalls.h"
#include "rename/camerarename.h"
#include "rename/renameselected.h"

// The Rename button and the camera-ready menu.

BatchCalls &TMainForm::batchCalls() const
{
    return m_batchCalls ? *m_batchCalls : BatchCalls::system();
}

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

#include "about/progdetails.h"
#include "app/mainform.h"

// The Help menu.

void TMainForm::Help1Click()
{
    ProgDetails->show();
    ProgDetails->raise();
    ProgDetails->activateWindow();
}

void TMainForm::OpenHelpfile1Click() {}

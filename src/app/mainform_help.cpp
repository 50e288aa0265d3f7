#include "help/viewer/helpviewer.h"
#include "about/progdetails.h"
#include "app/mainform.h"
#include "shell/localtext.h"

// The Help menu.

void TMainForm::Help1Click()
{
    ProgDetails->show();
    ProgDetails->raise();
    ProgDetails->activateWindow();
}

// The path is built afresh each time: a help file put into the start directory meanwhile is found.
// Whether the viewer can show it is the viewer's to say, in its own window.
void TMainForm::OpenHelpfile1Click()
{
    HelpViewer::displayTopic(this, fromLocalBytes(m_startDirectory + "rename.chm"));
}

#include "app/mainform.h"

// The Rename button and the camera-ready menu.

void TMainForm::RenameClick() {}

void TMainForm::Canon1Click() {}

void TMainForm::Lumix1Click() {}

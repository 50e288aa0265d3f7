#include "browser/settingsfile.h"
#include "app/mainform.h"
#include "ui_mainform.h"

// The folder browser's handlers and the settings file.

void TMainForm::Dir001Change()
{
    m_currentFolder = m_ui->File001->folder();
    SaveLastFolder();
}

void TMainForm::AllPicsClick()
{
    m_ui->File001->selectAllLines();
    m_ui->Rename->setEnabled(true);
}

void TMainForm::File001Click()
{
    m_ui->Rename->setEnabled(true);
}

void TMainForm::LoadLastFolder()
{
    const std::string line = readSettingsLine(m_settingsFilePath);
    if (!line.empty())
        m_currentFolder = line;
}

void TMainForm::SaveLastFolder()
{
    writeSettingsLine(m_settingsFilePath, m_currentFolder);
}

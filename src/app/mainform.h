#pragma once

#include "rename/namingoptions.h"

#include <QMainWindow>
#include <array>
#include <memory>
#include <string>

namespace Ui {
class TMainForm;
}
class BatchCalls;
class QRadioButton;

/** The main window: folder browser above, naming options below, Rename at the foot. */
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    /** The controls, by the names the layout gives them. */
    Ui::TMainForm *ui() const { return m_ui.get(); }

    const OptionState &options() const { return m_options; }
    const std::string &currentFolder() const { return m_currentFolder; }
    const std::string &settingsFilePath() const { return m_settingsFilePath; }
    const std::string &startDirectory() const { return m_startDirectory; }

    /** The system calls the rename batches move and sync with: the real ones unless a test put others in. */
    BatchCalls &batchCalls() const;
    void setBatchCalls(BatchCalls *calls) { m_batchCalls = calls; }

    /** The start number the digit pickers give for numbers of `width` digits; stored as the start number. */
    int32_t StartNumber(int width);

    // Handlers, each wired to its control in the constructor.
    void FormCreate();
    void Dir001Change();
    void AllPicsClick();
    void File001Click();
    void Exit1Click();
    void RenameClick();
    void RadioButton1Click();
    void RadioButton2Click();
    void Button(QRadioButton *sender);
    void OpenHelpfile1Click();
    void StartnumsClick();
    void NumSuffixClick();
    void NumSuffix2Click();
    void Canon1Click();
    void Lumix1Click();
    void Help1Click();

private:
    friend void InitSettings();

    void wireHandlers();
    void LoadLastFolder();
    void SaveLastFolder();
    /** Unchecks a radio button by program, whatever its group's exclusivity; runs no handler. */
    static void uncheckByProgram(QRadioButton *button);

    std::unique_ptr<Ui::TMainForm> m_ui;
    std::array<QRadioButton *, 10> m_ruleButtons{};
    OptionState m_options;
    // The digit pickers' texts as last read, and their bytes: a batch reads them for every
    // file, and converts only a text that changed.
    std::array<QString, 4> m_pickerTexts;
    PickerTexts m_pickerBytes;
    std::string m_settingsFilePath;
    std::string m_startDirectory;
    std::string m_currentFolder;
    BatchCalls *m_batchCalls = nullptr;
};

/** The one main window; assigned before its construction begins so InitSettings reaches it. */
extern TMainForm *MainForm;

/** Gives the option state and the paths their start values and fills the digit pickers. */
void InitSettings();

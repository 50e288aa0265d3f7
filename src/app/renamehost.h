#pragma once

#include "capture/filedate.h"
#include "rename/batchhost.h"

#include <QElapsedTimer>

class TMainForm;

/** The main window as the rename engines see it: its file list, batch list, progress bar and boxes. */
class MainFormBatchHost : public BatchHost, private RefusalNotice
{
public:
    explicit MainFormBatchHost(TMainForm &form) : m_form(form) { m_sincePainted.start(); }

    int lineCount() const override;
    std::string lineText(int line) const override;
    bool isLineSelected(int line) const override;
    void ListFiles() override;
    void setListingDeferred(bool deferred) override;
    void flushListing() override;

    void showBatchList(const std::vector<std::string> &names) override;

    std::string currentFolder() const override;
    void setProgress(int position) override;

    void showInformation(const std::string &message) override;
    /** Tells a screen reader how the batch ended, through the progress bar, with nothing seen. */
    void batchEnded(const BatchOutcome &outcome) override;
    BatchCalls &batchCalls() override;
    RefusalNotice &captureRefusals() override { return *this; }

    int32_t StartNumber(int width) override;
    PickerTexts digitPickers() const override;
    OptionState options() const override;

    bool userTextChecked() const override;
    std::string userText() const override;

private:
    void refused(const std::string &message) override;

    TMainForm &m_form;
    QElapsedTimer m_sincePainted; // since the progress bar's last picture, or the batch's start
};

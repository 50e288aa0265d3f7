#include "app/renamehost.h"

#include "app/mainform.h"
#include "app/shell/messageboxes.h"
#include "ui_mainform.h"

namespace {

std::string bytesOf(const QString &text)
{
    return text.toLocal8Bit().toStdString();
}

} // namespace

int MainFormBatchHost::lineCount() const
{
    return m_form.ui()->File001->lineCount();
}

std::string MainFormBatchHost::lineText(int line) const
{
    return m_form.ui()->File001->lineText(line);
}

bool MainFormBatchHost::isLineSelected(int line) const
{
    return m_form.ui()->File001->isLineSelected(line);
}

void MainFormBatchHost::ListFiles()
{
    m_form.ui()->File001->listFiles();
}

void MainFormBatchHost::setListingDeferred(bool deferred)
{
    m_form.ui()->File001->setListingDeferred(deferred);
}

void MainFormBatchHost::flushListing()
{
    m_form.ui()->File001->flushListing();
}

void MainFormBatchHost::clearBatchList()
{
    m_form.ui()->List2->clear();
}

void MainFormBatchHost::appendToBatchList(const std::string &name)
{
    m_form.ui()->List2->addItem(QString::fromLocal8Bit(name.data(), qsizetype(name.size())));
}

std::string MainFormBatchHost::currentFolder() const
{
    return m_form.currentFolder();
}

void MainFormBatchHost::setProgress(int position)
{
    m_form.ui()->ProgressBar1->setValue(position);
}

void MainFormBatchHost::showInformation(const std::string &message)
{
    ::showInformation(&m_form, message);
}

void MainFormBatchHost::refused(const std::string &message)
{
    showPlainMessage(message);
}

int32_t MainFormBatchHost::StartNumber(int width)
{
    return m_form.StartNumber(width);
}

PickerTexts MainFormBatchHost::digitPickers() const
{
    const Ui::TMainForm &u = *m_form.ui();
    return {bytesOf(u.C1->currentText()), bytesOf(u.C2->currentText()), bytesOf(u.C3->currentText()),
            bytesOf(u.C4->currentText())};
}

OptionState MainFormBatchHost::options() const
{
    return m_form.options();
}

bool MainFormBatchHost::userTextChecked() const
{
    return m_form.ui()->userstring->isChecked();
}

std::string MainFormBatchHost::userText() const
{
    return bytesOf(m_form.ui()->user->text());
}

#include "app/renamehost.h"

#include "app/mainform.h"
#include "rename/batchreport.h"
#include "shell/localtext.h"
#include "shell/messageboxes.h"
#include "ui_mainform.h"

#include <QAccessible>

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

void MainFormBatchHost::showBatchList(const std::vector<std::string> &names)
{
    QStringList lines;
    lines.reserve(qsizetype(names.size()));
    for (const std::string &name : names)
        lines.append(fromLocalBytes(name));
    // One insertion for the whole list: item by item, the list would tell its view of every line.
    m_form.ui()->List2->clear();
    m_form.ui()->List2->addItems(lines);
}

std::string MainFormBatchHost::currentFolder() const
{
    return m_form.currentFolder();
}

void MainFormBatchHost::setProgress(int position)
{
    if (m_form.ui()->ProgressBar1->value() == position)
        return;
    // The bar paints itself at once whenever its value changes visibly, and a batch moves it
    // up to a hundred times in a fraction of a second. Every position is set, but painted at
    // most 25 times a second, smooth to the eye; the last one is painted when the event loop
    // runs again.
    constexpr qint64 PaintIntervalMs = 40;
    QProgressBar *bar = m_form.ui()->ProgressBar1;
    if (m_sincePainted.hasExpired(PaintIntervalMs)) {
        bar->setValue(position);
        m_sincePainted.start();
        return;
    }
    bar->setUpdatesEnabled(false);
    bar->setValue(position);
    bar->setUpdatesEnabled(true); // asks for a paint the event loop makes
}

void MainFormBatchHost::showInformation(const std::string &message)
{
    ::showInformation(&m_form, message);
}

void MainFormBatchHost::batchEnded(const BatchOutcome &outcome)
{
    // The bar's description carries the last batch's end, and setting it sends the change
    // (DescriptionChanged), also when the text is the same as the last batch's: a screen
    // reader hears it as it would a status line, and the window shows nothing new.
    QProgressBar *bar = m_form.ui()->ProgressBar1;
    const QString text = fromLocalBytes(announcementText(outcome));
    bar->setAccessibleDescription(text);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent announcement(bar, text);
    QAccessible::updateAccessibility(&announcement);
#endif
}

BatchCalls &MainFormBatchHost::batchCalls()
{
    return m_form.batchCalls();
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
    return {localBytes(u.C1->currentText()), localBytes(u.C2->currentText()), localBytes(u.C3->currentText()),
            localBytes(u.C4->currentText())};
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
    return localBytes(m_form.ui()->user->text());
}

#include "help/helpreadjob.h"

#include "help/compiledhelp.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {

constexpr int reportInterval = 50;

} // namespace

HelpReadJob::HelpReadJob(const QString &helpFile, Work work, QObject *parent) : QObject(parent)
{
    m_thread = QThread::create([this, helpFile, work = std::move(work)] {
        const CompiledHelp help(helpFile);
        work(help, *this);
    });
    // The thread object lives here, so its end reaches this thread as a queued signal.
    connect(m_thread, &QThread::finished, this, &HelpReadJob::finished);
    m_thread->start(QThread::LowPriority);
}

HelpReadJob::~HelpReadJob()
{
    m_stop = true;
    m_thread->wait();
    delete m_thread;
}

bool HelpReadJob::isFinished() const
{
    return m_thread->isFinished();
}

bool HelpReadJob::waitFor(int milliseconds)
{
    return m_thread->wait(QDeadlineTimer(milliseconds));
}

void HelpReadJob::report(int done, int total)
{
    if (done < total && m_sinceReport.isValid() && m_sinceReport.elapsed() < reportInterval)
        return;
    m_sinceReport.start();
    emit progressed(done, total);
}

#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

class CompiledHelp;
class QThread;

/**
 * Reads a help file on a thread of its own, so the window goes on answering however long that takes.
 * The job opens the file anew on its thread: nothing it reads is shared with the window's thread, and
 * the work touches Qt Core objects only.
 */
class HelpReadJob : public QObject
{
    Q_OBJECT

public:
    /** The work, run on the job's thread: it calls `report()` as it goes and ends early once `stopRequested()`. */
    using Work = std::function<void(const CompiledHelp &help, HelpReadJob &job)>;

    /** Starts `work` on `helpFile` at once. */
    HelpReadJob(const QString &helpFile, Work work, QObject *parent = nullptr);
    /** Asks the work to stop and waits for it to end. */
    ~HelpReadJob() override;

    bool isFinished() const;
    /** Waits at most `milliseconds` for the work to end; whether it has ended. */
    bool waitFor(int milliseconds);

    /** For the work: whether the job's owner has asked it to stop. */
    bool stopRequested() const { return m_stop; }
    /** For the work: how far it has got; passed on as `progressed` at most every 50 ms, and at the end. */
    void report(int done, int total);

signals:
    void progressed(int done, int total);
    /** The work has ended; delivered on the thread that made the job. */
    void finished();

private:
    QThread *m_thread = nullptr;
    std::atomic<bool> m_stop = false;
    QElapsedTimer m_sinceReport;
};

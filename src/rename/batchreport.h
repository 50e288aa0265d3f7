#pragma once

#include <string>
#include <vector>

/** One move of a batch that did not happen: the file keeps `oldName`. */
struct FailedMove
{
    std::string oldName;
    std::string wantedName;
    int error = 0; // the errno value the move gave
};

/** How a batch ended, as the window announces it. */
struct BatchOutcome
{
    enum class Ending {
        Finished, // every file of the batch was handled
        Stopped,  // a naming rule ended the batch early
        Failed    // an error ended it; its box follows
    };
    Ending ending = Ending::Finished;
    std::string why; // Stopped and Failed: in the program's words, or the error's message
    int renamed = 0;
    int keptNames = 0; // moves that failed; a file the rules skip is not counted
    int syncError = 0; // errno of the folder's sync at the end, 0 when synced or nothing moved
};

/**
 * What a batch did, kept as it runs: the files renamed, each failed move, the folder's sync
 * at the end and how the batch ended. Its text is the one Information box a batch shows when
 * a photograph kept its name or the renames may not have reached the medium.
 */
class BatchReport
{
public:
    /** The most failed moves the text lists by name; the rest are counted. */
    static constexpr int ListedFailures = 10;

    /** Notes one move's result: 0 counts a renamed file, an errno a failed move. */
    void noteMove(const std::string &oldName, const std::string &wantedName, int error);
    void noteSync(int error) { m_outcome.syncError = error; }
    void noteEnd(BatchOutcome::Ending ending, const std::string &why);

    const BatchOutcome &outcome() const { return m_outcome; }

    /** True when the user must be told: a photograph kept its name, or the sync failed. */
    bool hasNews() const { return m_outcome.keptNames > 0 || m_outcome.syncError != 0; }

    /** The text of the Information box (see hasNews). */
    std::string text() const;

private:
    std::vector<FailedMove> m_failures; // the first ListedFailures only
    BatchOutcome m_outcome;
};

/** Why a move failed with `error`, in plain words without a final full stop. */
std::string moveFailureReason(int error);

/** What the window tells a screen reader when a batch ends: files renamed, or why it stopped. */
std::string announcementText(const BatchOutcome &outcome);

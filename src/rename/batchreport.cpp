#include "rename/batchreport.h"

#include <cerrno>
#include <system_error>

void BatchReport::noteMove(const std::string &oldName, const std::string &wantedName, int error)
{
    if (error == 0) {
        ++m_outcome.renamed;
        return;
    }
    // Only the listed ones are kept: a batch of 100,000 on a full card counts the rest.
    if (m_failures.size() < std::size_t(ListedFailures))
        m_failures.push_back({oldName, wantedName, error});
    ++m_outcome.keptNames;
}

void BatchReport::noteEnd(BatchOutcome::Ending ending, const std::string &why)
{
    m_outcome.ending = ending;
    m_outcome.why = why;
}

namespace {

// A removed card, a lost share or a failing device: the data did not reach the medium.
bool mediumLost(int error)
{
    switch (error) {
    case EIO:
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
    case EREMOTEIO:
    case ESTALE:
    case ENOTCONN:
    case ECONNRESET:
    case ECONNABORTED:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
    case ESHUTDOWN:
        return true;
    default:
        return false;
    }
}

std::string keptNamesLine(int count)
{
    return count == 1 ? "1 photograph kept its name." : std::to_string(count) + " photographs kept their names.";
}

std::string asSentence(const std::string &words)
{
    return !words.empty() && words.back() == '.' ? words : words + ".";
}

} // namespace

std::string moveFailureReason(int error)
{
    if (mediumLost(error))
        return "the medium could not be written (was it removed?)";
    switch (error) {
    case EINVAL:
        return "this volume cannot hold that name (no / : ? * \" < > | \\ in it, and no dot or space at its end)";
    case ENAMETOOLONG:
        return "the name is too long for this volume";
    case ENOSPC:
    case EDQUOT:
        return "the volume is full";
    case EEXIST:
        return "the name is already taken";
    case EROFS:
        return "the volume is read-only";
    // A card pulled out of a FAT reader answers some later moves this way too.
    case ENOENT:
        return "the photograph is no longer in the folder (was the medium removed?)";
    case EACCES:
    case EPERM:
        return "no permission to rename files in this folder";
    default:
        return "the system said: " + std::system_category().message(error);
    }
}

std::string BatchReport::text() const
{
    std::string text;
    const int failed = m_outcome.keptNames;
    if (failed > 0) {
        text = keptNamesLine(failed) + "\n";
        for (const FailedMove &move : m_failures)
            text += "\"" + move.oldName + "\" could not become \"" + move.wantedName + "\": "
                    + moveFailureReason(move.error) + ".\n";
        if (failed > ListedFailures)
            text += "and " + std::to_string(failed - ListedFailures) + " more.\n";
    }
    if (m_outcome.syncError != 0)
        text += "The renames may not have reached the medium: " + moveFailureReason(m_outcome.syncError) + ".\n";
    if (failed > 0)
        text += "Those photographs are unchanged. Put right what the reasons say (another text for the names, "
                "room on the volume, the card back in place) and rename them again.";
    if (m_outcome.syncError != 0)
        text += std::string(failed > 0 ? "\n" : "")
                + "Check the renamed photographs on the medium before you remove it or switch it off.";
    return text;
}

std::string announcementText(const BatchOutcome &outcome)
{
    std::string text;
    switch (outcome.ending) {
    case BatchOutcome::Ending::Finished:
        text = "Rename finished. ";
        break;
    case BatchOutcome::Ending::Stopped:
        text = "Rename stopped: " + asSentence(outcome.why) + " ";
        break;
    case BatchOutcome::Ending::Failed:
        text = "Rename stopped by an error: " + asSentence(outcome.why) + " ";
        break;
    }
    text += outcome.renamed == 1 ? "1 file renamed." : std::to_string(outcome.renamed) + " files renamed.";
    if (outcome.keptNames > 0)
        text += " " + keptNamesLine(outcome.keptNames);
    if (outcome.syncError != 0)
        text += " The renames may not have reached the medium.";
    return text;
}

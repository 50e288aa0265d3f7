#pragma once

// A real temporary folder, photographs with EXIF capture dates written byte by byte, and a
// batch host that plays the window over that folder.

#include "capture/filedate.h"
#include "rename/batchcalls.h"
#include "rename/batchhost.h"
#include "rename/batchreport.h"
#include "temporaryfolder.h"
#include "watchdog.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fnmatch.h>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <stdexcept>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace batchtest {

/** A fresh folder, made the working directory for the object's lifetime, removed afterwards. */
class TempFolder : public TemporaryFolder
{
public:
    TempFolder() : TemporaryFolder("quarimo-rename") { enter(); }
    void write(const std::string &name, const std::string &bytes = "x") const { file(name, bytes); }
};

/**
 * A big-endian JPEG head whose EXIF data carries `dateText` (19 bytes, stored as given) as
 * DateTimeOriginal. Not a decodable image: the capture-date reader needs nothing more.
 */
inline std::string exifJpeg(const std::string &dateText)
{
    std::string bytes;
    const auto put = [&bytes](std::initializer_list<int> values) {
        for (int value : values)
            bytes.push_back(static_cast<char>(value));
    };
    put({0xFF, 0xD8});                                     // start of image
    put({0xFF, 0xE1, 0x00, 0x48});                         // APP1, 72 bytes from its length field on
    bytes += std::string("Exif\0\0", 6);                   // identifier; the TIFF header follows at 12
    put({0x4D, 0x4D, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08}); // MM, 42, IFD0 at 12 + 8
    put({0x00, 0x01});                                     // IFD0: one entry
    put({0x87, 0x69, 0x00, 0x04, 0, 0, 0, 1, 0, 0, 0, 0x1A}); // EXIF directory at 12 + 26
    put({0, 0, 0, 0});                                     // no next directory
    put({0x00, 0x01});                                     // EXIF directory: one entry
    put({0x90, 0x03, 0x00, 0x02, 0, 0, 0, 0x14, 0, 0, 0, 0x2C}); // DateTimeOriginal at 12 + 44
    put({0, 0, 0, 0});
    std::string date = dateText;
    date.resize(19, ' ');
    bytes += date;
    put({0x00, 0xFF, 0xD9});
    return bytes;
}

/** A file whose first segment is neither APP0 nor APP1: the reader refuses it. */
inline std::string notAJpeg()
{
    return "\x89PNG\r\n\x1a\n not a photograph";
}

/**
 * Plays the main window over the working folder: the file list holds the folder's "*.jpg"
 * files in case-blind order, and its re-reads honour deferral as the real list does. Every
 * box records what the window would have shown, and checks that the list was up to date.
 * A window is never held for ever: a test whose window lives past the watchdog's limit fails.
 */
class FakeBatchHost : public BatchHost, public RefusalNotice
{
public:
    explicit FakeBatchHost(std::string folder) : m_folder(std::move(folder)) { reread(); }

    // Setup.
    void select(const std::vector<std::string> &names) { m_selected = {names.begin(), names.end()}; }
    void selectAll() { m_selected = {m_lines.begin(), m_lines.end()}; }
    void setMode(int mode) { m_options.namingMode = mode; }
    OptionState &optionState() { return m_options; }
    PickerTexts pickers{"0", "0", "0", "1"};
    bool userChecked = false;
    std::string typedUserText;

    // What the window would show.
    std::vector<std::string> batchList;
    std::vector<int> progress;
    std::vector<std::string> informations;
    std::vector<std::string> refusals;
    std::vector<BatchOutcome> outcomes;
    /** The calls the batch moves and syncs with. */
    BatchCalls *calls = &BatchCalls::system();
    int rereads = 0;
    int listFilesCalls = 0;
    int startNumberCalls = 0;
    bool deferred = false;
    bool stale = false;
    std::vector<std::string> lines() const { return m_lines; }
    std::set<std::string> selected() const { return m_selected; }

    // BatchHost.
    int lineCount() const override { return static_cast<int>(m_lines.size()); }
    std::string lineText(int line) const override { return m_lines.at(line); }
    bool isLineSelected(int line) const override { return m_selected.count(m_lines.at(line)) != 0; }
    void ListFiles() override
    {
        ++listFilesCalls;
        EXPECT_EQ(::chdir(m_folder.c_str()), 0);
        if (deferred)
            stale = true;
        else
            reread();
    }
    void setListingDeferred(bool on) override
    {
        deferred = on;
        if (!on)
            flushListing();
    }
    void flushListing() override
    {
        if (stale)
            reread();
    }
    void showBatchList(const std::vector<std::string> &names) override { batchList = names; }
    std::string currentFolder() const override { return m_folder; }
    void setProgress(int position) override { progress.push_back(position); }
    void showInformation(const std::string &message) override
    {
        EXPECT_FALSE(stale) << "a box opened over a list that was not re-read";
        informations.push_back(message);
    }
    void batchEnded(const BatchOutcome &outcome) override { outcomes.push_back(outcome); }
    BatchCalls &batchCalls() override { return *calls; }
    RefusalNotice &captureRefusals() override { return *this; }
    int32_t StartNumber(int width) override
    {
        ++startNumberCalls;
        m_options.startNumber = startNumberFromPickers(width, pickers);
        return m_options.startNumber;
    }
    PickerTexts digitPickers() const override { return pickers; }
    OptionState options() const override { return m_options; }
    bool userTextChecked() const override { return userChecked; }
    std::string userText() const override { return typedUserText; }

    // RefusalNotice.
    void refused(const std::string &message) override
    {
        EXPECT_FALSE(stale) << "a box opened over a list that was not re-read";
        refusals.push_back(message);
    }

private:
    void reread()
    {
        ++rereads;
        stale = false;
        m_lines.clear();
        m_selected.clear(); // a re-read list has nothing selected
        if (DIR *dir = ::opendir(m_folder.c_str())) {
            while (const dirent *entry = ::readdir(dir)) {
                if (entry->d_type != DT_DIR && ::fnmatch("*.jpg", entry->d_name, FNM_CASEFOLD | FNM_PERIOD) == 0)
                    m_lines.push_back(entry->d_name);
            }
            ::closedir(dir);
        }
        std::sort(m_lines.begin(), m_lines.end(),
                  [](const std::string &a, const std::string &b) { return ::strcasecmp(a.c_str(), b.c_str()) < 0; });
    }

    std::string m_folder;
    std::vector<std::string> m_lines;
    std::set<std::string> m_selected;
    OptionState m_options;
    Watchdog m_watchdog; // a batch that never ends fails its test
};

} // namespace batchtest

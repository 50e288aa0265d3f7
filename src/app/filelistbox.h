#pragma once

#include "app/browserlinemodel.h"

#include <QListView>
#include <string>

/**
 * The file list: the folder's files that match the mask ("*.jpg"), hidden files left out,
 * in the locale's order without regard to case, with extended selection. Listing makes the
 * folder the working directory, so that a bare file name refers to a file in it.
 */
class FileListBox : public QListView
{
    Q_OBJECT

public:
    explicit FileListBox(QWidget *parent = nullptr);

    /** The folder shown, in the working-directory form. */
    const std::string &folder() const { return m_folder; }

    /** The file-name patterns listed, separated by ";". */
    const std::string &mask() const { return m_mask; }
    void setMask(const std::string &mask);

    /**
     * Shows another folder (nothing happens when it is the one shown). Throws EInOutError
     * when the folder cannot be entered; the list then keeps its folder.
     */
    void showFolder(const std::string &path);
    /**
     * Re-reads the folder and makes it the working directory. Lines are read once the
     * window has been shown; a folder that cannot be entered or read gives no lines.
     */
    void listFiles();

    /**
     * While deferred, listFiles() only marks the lines stale (the working directory is set
     * once, when the deferral begins); flushListing() then re-reads them. A batch defers its
     * many re-reads this way and flushes before anything the user sees:
     * setListingDeferred(false) flushes too.
     */
    void setListingDeferred(bool deferred);
    void flushListing();

    int lineCount() const;
    /** The exact bytes of line i's file name. */
    std::string lineText(int line) const;
    bool isLineSelected(int line) const;
    /** Selects every line; this is the program's doing, so userClicked() is not raised. */
    void selectAllLines();

signals:
    /** The user changed the selection (mouse, keys or incremental search). */
    void userClicked();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void readFolder();
    void searchFor(const QString &prefix);

    BrowserLineModel *m_model;
    std::string m_folder;
    std::string m_mask = "*.jpg";
    SearchPrefix m_search;
    bool m_windowShown = false;
    bool m_deferred = false;
    bool m_stale = true;
    bool m_programSelection = false;
};

// What the window tells when photographs keep their names (moves made to fail through the
// batch's system calls, on a local folder), and how a screen reader hears a batch end.
#include "guitestutil.h"
#include "ui_mainform.h"
#include "unit/failingmoves.h"

#include <QAccessible>
#include <QDir>
#include <QMessageBox>
#include <QtTest>

namespace {

const QString Information = QString::number(int(QMessageBox::Information));
const QString WhatToDo = "Those photographs are unchanged. Put right what the reasons say (another text for the "
                         "names, room on the volume, the card back in place) and rename them again.";

} // namespace

class RenameReportTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void failedMovesAreReportedOnce_data();
    void failedMovesAreReportedOnce();
    void aBatchWithoutFailuresShowsNothingNewAndIsAnnounced();

private:
    void startWithPhotographs();
    QStringList onDisk() const { return QDir(m_folder->path()).entryList(QDir::Files, QDir::Name); }
    QString progressDescription() const;

    std::unique_ptr<batchtest::FailingCalls> m_calls;
};

void RenameReportTest::init()
{
    makeFolder();
    m_calls = std::make_unique<batchtest::FailingCalls>();
}

void RenameReportTest::cleanup()
{
    closeAll();
}

void RenameReportTest::startWithPhotographs()
{
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        m_folder->writeFile(name, name);
    start();
    m_form->setBatchCalls(m_calls.get());
    QTest::mouseClick(u->AllPics, Qt::LeftButton);
}

QString RenameReportTest::progressDescription() const
{
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(u->ProgressBar1);
    return bar ? bar->text(QAccessible::Description) : QString();
}

void RenameReportTest::failedMovesAreReportedOnce_data()
{
    QTest::addColumn<QString>("command"); // the Rename button or a camera-ready menu item
    QTest::addColumn<QStringList>("wanted");

    QTest::newRow("Rename") << "Rename" << QStringList{"001.jpg", "002.jpg", "003.jpg"};
    QTest::newRow("Canon") << "Canon1" << QStringList{"IMG_0001.jpg", "IMG_0002.jpg", "IMG_0003.jpg"};
}

void RenameReportTest::failedMovesAreReportedOnce()
{
    QFETCH(QString, command);
    QFETCH(QStringList, wanted);

    startWithPhotographs();
    m_calls->failMovesOf("a.jpg", EINVAL);
    m_calls->failMovesOf("c.jpg", ENOSPC);
    MessageBoxCatcher catcher;
    if (command == "Rename")
        QTest::mouseClick(u->Rename, Qt::LeftButton);
    else
        u->Canon1->trigger();
    QTRY_COMPARE(catcher.seen().size(), 1);
    QCOMPARE(catcher.seen().first(),
             "Information|2 photographs kept their names.\n\"a.jpg\" could not become \"" + wanted[0]
                 + "\": this volume cannot hold that name (no / : ? * \" < > | \\ in it, and no dot or space at its "
                   "end).\n\"c.jpg\" could not become \"" + wanted[2] + "\": the volume is full.\n" + WhatToDo + "|"
                 + Information);
    QCOMPARE(onDisk(), (QStringList{wanted[1], "a.jpg", "c.jpg"}));
    QCOMPARE(fileLines().size(), 3);
    QCOMPARE(progressDescription(), QString("Rename finished. 1 file renamed. 2 photographs kept their names."));
}

void RenameReportTest::aBatchWithoutFailuresShowsNothingNewAndIsAnnounced()
{
    startWithPhotographs();
    // No box may open: outside a catcher, the fixture fails the test on any box.
    QTest::mouseClick(u->Rename, Qt::LeftButton);
    QCOMPARE(onDisk(), (QStringList{"001.jpg", "002.jpg", "003.jpg"}));
    QCOMPARE(m_calls->syncs, 1);
    QCOMPARE(progressDescription(), QString("Rename finished. 3 files renamed."));
}

QUARIMO_GUI_TEST_MAIN(RenameReportTest)
#include "tst_renamereport.moc"

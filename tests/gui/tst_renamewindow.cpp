// Renaming from the main window as a user would: select photographs, pick a rule, press
// Rename or a camera-ready menu item, and find the files renamed and the window up to date.
#include "app/filelistbox.h"
#include "app/mainform.h"
#include "guitestutil.h"
#include "ui_mainform.h"

#include <QAbstractButton>
#include <QDir>
#include <QMessageBox>
#include <QRadioButton>
#include <QtTest>

namespace {

/** Presses OK on every message box, noting "caption|text|icon" and the file list's lines as the box opened. */
class BoxWatcher
{
public:
    explicit BoxWatcher(FileListBox *list)
        : m_catcher([this, list](const QString &box) {
              boxes << box;
              QStringList lines;
              for (int i = 0; i < list->lineCount(); ++i)
                  lines << QString::fromStdString(list->lineText(i));
              linesAtBox << lines;
          })
    {
    }
    QStringList boxes;
    QList<QStringList> linesAtBox;

private:
    MessageBoxCatcher m_catcher;
};

const QString Information = QString::number(int(QMessageBox::Information));

} // namespace

class RenameWindowTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void renamesTheSelectedFiles_data();
    void renamesTheSelectedFiles();
    void cameraReadyMenuRenamesTheSelection();
    void nothingSelectedShowsTheInformationBox();
    void removingTheWholeDateIsRefusedWithAMessage();
    void aNonJpegFileIsToldOfOverAnUpToDateList();
    void aBadPickerShowsTheErrorBoxAndRenamesNothing();
    void aFailureMidBatchKeepsTheEarlierRenames();
    void oneFileLeavesTheProgressBarAlone();

private:
    void write(const QString &name, const QByteArray &bytes = "x") { m_folder->writeFile(name, bytes); }
    QStringList onDisk() const;
    void selectRows(const QList<int> &rows);
    bool anySelected() const;
};

void RenameWindowTest::init()
{
    makeFolder();
}

void RenameWindowTest::cleanup()
{
    closeAll();
}

QStringList RenameWindowTest::onDisk() const
{
    QStringList names = QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

void RenameWindowTest::selectRows(const QList<int> &rows)
{
    for (int i = 0; i < rows.size(); ++i) {
        const QModelIndex index = u->File001->model()->index(rows[i], 0);
        u->File001->scrollTo(index);
        QTest::mouseClick(u->File001->viewport(), Qt::LeftButton, i == 0 ? Qt::NoModifier : Qt::ControlModifier,
                          u->File001->visualRect(index).center());
    }
}

bool RenameWindowTest::anySelected() const
{
    for (int i = 0; i < u->File001->lineCount(); ++i)
        if (u->File001->isLineSelected(i))
            return true;
    return false;
}

void RenameWindowTest::renamesTheSelectedFiles_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QStringList>("options"); // check boxes to tick
    QTest::addColumn<QString>("userText");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("numbers with user text") << "bname05" << QStringList{"userstring"} << "Rome" << QList<int>{0, 2}
                                            << QStringList{"001 Rome.jpg", "002 Rome.JPG", "b.jpg", "d.jpg"};
    QTest::newRow("numbers after the text") << "bname04" << QStringList{"userstring", "NumSuffix2"} << "Rome"
                                            << QList<int>{1, 2, 3}
                                            << QStringList{"Rome 01.jpg", "Rome 02.JPG", "Rome 03.jpg", "a.jpg"};
    QTest::newRow("number suffixes") << "Bname09" << QStringList{"NumSuffix"} << "" << QList<int>{0, 1, 2, 3}
                                     << QStringList{"C 0003.JPG", "a 0001.jpg", "b 0002.jpg", "d 0004.jpg"};
    QTest::newRow("capture date prefix") << "bname00" << QStringList{} << "" << QList<int>{0, 3}
                                         << QStringList{"2015-09-27 15-05-30 a.jpg", "2016-01-02 03-04-05 d.jpg",
                                                        "C.JPG", "b.jpg"};
    QTest::newRow("capture date only as name") << "bname02" << QStringList{"RadioButton2"} << "" << QList<int>{1, 3}
                                               << QStringList{"2015-09-27.jpg", "2016-01-02.jpg", "C.JPG", "a.jpg"};
}

void RenameWindowTest::renamesTheSelectedFiles()
{
    QFETCH(QString, rule);
    QFETCH(QStringList, options);
    QFETCH(QString, userText);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, after);

    write("a.jpg", exifJpeg("2015:09:27 15:05:30"));
    write("b.jpg", exifJpeg("2015:09:27 15:05:30"));
    write("C.JPG", exifJpeg("2015:09:27 15:05:30"));
    write("d.jpg", exifJpeg("2016:01:02 03:04:05"));
    start();
    QCOMPARE(fileLines(), (QStringList{"a.jpg", "b.jpg", "C.JPG", "d.jpg"}));

    QTest::mouseClick(m_form->findChild<QAbstractButton *>(rule), Qt::LeftButton);
    for (const QString &option : options)
        QTest::mouseClick(m_form->findChild<QAbstractButton *>(option), Qt::LeftButton);
    QTest::keyClicks(u->user, userText);
    selectRows(rows);
    QTest::mouseClick(u->Rename, Qt::LeftButton);

    QCOMPARE(onDisk(), after);
    QStringList listed = fileLines();
    listed.sort(Qt::CaseInsensitive);
    QStringList expected = after;
    expected.sort(Qt::CaseInsensitive);
    QCOMPARE(listed, expected);
    QVERIFY(!anySelected());
    QCOMPARE(u->ProgressBar1->value(), 100);
    QCOMPARE(u->List2->count(), rows.size());
    QCOMPARE(QDir::currentPath(), m_folder->path());
}

void RenameWindowTest::cameraReadyMenuRenamesTheSelection()
{
    write("a.jpg");
    write("b.JPG");
    write("c.jpg");
    write("P1000001.jpg", "taken");
    start();
    selectRows({0, 1, 2});
    u->Lumix1->trigger();
    QCOMPARE(onDisk(), (QStringList{"P1000001-a01.jpg", "P1000001.jpg", "P1000002.JPG", "P1000003.jpg"}));
    QCOMPARE(fileLines().size(), 4);
    QVERIFY(!anySelected());
    QCOMPARE(u->ProgressBar1->value(), 100);

    // The start number comes from all four pickers, whatever the other options.
    QTest::mouseClick(u->Startnums, Qt::LeftButton);
    u->C2->setEditText("1");
    u->C3->setEditText("2");
    u->C4->setEditText("3");
    QTest::mouseClick(u->Bname07, Qt::LeftButton);
    selectRows({int(fileLines().indexOf("P1000002.JPG"))});
    u->Canon1->trigger();
    QCOMPARE(onDisk(), (QStringList{"IMG_0123.JPG", "P1000001-a01.jpg", "P1000001.jpg", "P1000003.jpg"}));
}

void RenameWindowTest::nothingSelectedShowsTheInformationBox()
{
    write("a.jpg");
    start();
    // A click and a Ctrl-click leave nothing selected with Rename enabled.
    selectRows({0});
    QTest::mouseClick(u->File001->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      u->File001->visualRect(u->File001->model()->index(0, 0)).center());
    QVERIFY(!anySelected());
    QVERIFY(u->Rename->isEnabled());
    u->ProgressBar1->setValue(40);

    BoxWatcher watcher(u->File001);
    QTest::mouseClick(u->Rename, Qt::LeftButton);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    u->Canon1->trigger();
    QTRY_COMPARE(watcher.boxes.size(), 2);
    const QString box = "Information|Please select at least one photograph.|" + Information;
    QCOMPARE(watcher.boxes, (QStringList{box, box}));
    QCOMPARE(onDisk(), QStringList{"a.jpg"});
    QCOMPARE(u->ProgressBar1->value(), 40);
}

void RenameWindowTest::removingTheWholeDateIsRefusedWithAMessage()
{
    write("0 2015-09-27.jpg", exifJpeg("2015:09:27 15:05:30"));
    write("2015-09-27 15-05-30.jpg", exifJpeg("2015:09:27 15:05:30"));
    write("x 2015-09-27.jpg", exifJpeg("2015:09:27 15:05:30"));
    start();
    QTest::mouseClick(u->bname03, Qt::LeftButton);
    selectRows({0, 1, 2});
    BoxWatcher watcher(u->File001);
    QTest::mouseClick(u->Rename, Qt::LeftButton);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes.first(),
             "Information|You cannot remove the date when it constitutes the entire filename.|" + Information);
    // The list behind the box already showed the first file's new name.
    QCOMPARE(watcher.linesAtBox.first(), (QStringList{"0.jpg", "2015-09-27 15-05-30.jpg", "x 2015-09-27.jpg"}));
    QCOMPARE(onDisk(), (QStringList{"0.jpg", "2015-09-27 15-05-30.jpg", "x 2015-09-27.jpg"}));
    QCOMPARE(u->ProgressBar1->value(), 0);
}

void RenameWindowTest::aNonJpegFileIsToldOfOverAnUpToDateList()
{
    write("a.jpg", exifJpeg("2015:09:27 15:05:30"));
    write("b.jpg", "\x89PNG\r\n");
    write("c.jpg", exifJpeg("2016:01:02 03:04:05"));
    start();
    QTest::mouseClick(u->bname00, Qt::LeftButton);
    QTest::mouseClick(u->AllPics, Qt::LeftButton);
    BoxWatcher watcher(u->File001);
    QTest::mouseClick(u->Rename, Qt::LeftButton);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes.first(), "tst_renamewindow|Not a valid JPEG image|" + QString::number(int(QMessageBox::NoIcon)));
    QCOMPARE(watcher.linesAtBox.first(), (QStringList{"2015-09-27 15-05-30 a.jpg", "b.jpg", "c.jpg"}));
    QCOMPARE(onDisk(), (QStringList{"2015-09-27 15-05-30 a.jpg", "2016-01-02 03-04-05 c.jpg", "b.jpg"}));
    QCOMPARE(u->ProgressBar1->value(), 100);
}

void RenameWindowTest::aBadPickerShowsTheErrorBoxAndRenamesNothing()
{
    write("a.jpg");
    write("b.jpg");
    write("c.jpg");
    start();
    selectRows({0});
    QTest::mouseClick(u->Rename, Qt::LeftButton);
    QCOMPARE(onDisk(), (QStringList{"001.jpg", "b.jpg", "c.jpg"}));

    QTest::mouseClick(u->Startnums, Qt::LeftButton);
    u->C4->setEditText("x");
    QTest::mouseClick(u->AllPics, Qt::LeftButton);
    BoxWatcher watcher(u->File001);
    QTest::mouseClick(u->Rename, Qt::LeftButton);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes.first(), "tst_renamewindow|'x' is not a valid integer value.|"
                                        + QString::number(int(QMessageBox::Critical)));
    QCOMPARE(onDisk(), (QStringList{"001.jpg", "b.jpg", "c.jpg"}));
    QCOMPARE(u->C4->currentText(), QStringLiteral("x"));

    // A start that numbers beyond 32 bits is refused the same way before anything moves.
    u->C4->setEditText("2147483647");
    QTest::mouseClick(u->AllPics, Qt::LeftButton);
    QTest::mouseClick(u->Rename, Qt::LeftButton);
    QTRY_COMPARE(watcher.boxes.size(), 2);
    QCOMPARE(watcher.boxes.last(), "tst_renamewindow|'2147483647' is not a valid integer value.|"
                                       + QString::number(int(QMessageBox::Critical)));
    QCOMPARE(onDisk(), (QStringList{"001.jpg", "b.jpg", "c.jpg"}));
}

void RenameWindowTest::aFailureMidBatchKeepsTheEarlierRenames()
{
    write("a.jpg", exifJpeg("2015:09:27 15:05:30"));
    write("b.jpg", exifJpeg("2015:09:27 15:05:30").left(30)); // cut inside its EXIF data
    write("c.jpg", exifJpeg("2015:09:27 15:05:30"));
    start();
    QTest::mouseClick(u->bname01, Qt::LeftButton);
    QTest::mouseClick(u->AllPics, Qt::LeftButton);
    BoxWatcher watcher(u->File001);
    QTest::mouseClick(u->Rename, Qt::LeftButton);
    QTRY_COMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes.first(), "tst_renamewindow|'$' is not a valid integer value.|"
                                        + QString::number(int(QMessageBox::Critical)));
    QCOMPARE(watcher.linesAtBox.first(), (QStringList{"a 2015-09-27 15-05-30.jpg", "b.jpg", "c.jpg"}));
    QCOMPARE(onDisk(), (QStringList{"a 2015-09-27 15-05-30.jpg", "b.jpg", "c.jpg"}));
    QCOMPARE(u->ProgressBar1->value(), 0);
}

void RenameWindowTest::oneFileLeavesTheProgressBarAlone()
{
    write("a.jpg");
    write("b.jpg");
    start();
    u->ProgressBar1->setValue(37);
    selectRows({1});
    QTest::mouseClick(u->Rename, Qt::LeftButton);
    QCOMPARE(onDisk(), (QStringList{"001.jpg", "a.jpg"}));
    QCOMPARE(u->ProgressBar1->value(), 37);
    QCOMPARE(fileLines(), (QStringList{"001.jpg", "a.jpg"}));
}

QUARIMO_GUI_TEST_MAIN(RenameWindowTest)
#include "tst_renamewindow.moc"

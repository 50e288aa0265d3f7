// The main window at start-up and its naming options, driven as a user would.
#include "about/progdetails.h"
#include "app/mainform.h"
#include "shell/messageboxes.h"
#include "guitestutil.h"
#include "platform/errors.h"
#include "ui_mainform.h"

#include <QMessageBox>

#include <QGroupBox>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QMenuBar>
#include <QRadioButton>
#include <QtTest>

class MainFormTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsInItsDocumentedState();
    void layoutMatchesTheDesign_data();
    void layoutMatchesTheDesign();
    void clientAreaFillsTheWindowBelowTheMenuBar();
    void menuCaptionsKeepTheirSpaces();
    void ruleButtonsActAsOneGroupAcrossBoxes();
    void clickingTheCheckedRuleChangesNothing();
    void dateFormatAndSwitchesFollowTheirControls();
    void startnumsResetsAndShowsThePickers();
    void startNumberReadsThePickers_data();
    void startNumberReadsThePickers();
    void aFailingHandlerShowsTheErrorBoxAndTheProgramGoesOn();
    void exitClosesTheWindow();
    void applicationTitleComesFromTheProgramFile_data();
    void applicationTitleComesFromTheProgramFile();
    void aFailureInFormCreateEndsItThereAndTheWindowStillOpens();

};

void MainFormTest::init()
{
    makeFolder();
    startWithAboutBox();
}

void MainFormTest::cleanup()
{
    closeAll();
}

void MainFormTest::startsInItsDocumentedState()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Quarimo Version 1.39"));
    QVERIFY(u->bname05->isChecked());
    QVERIFY(u->RadioButton1->isChecked());
    QVERIFY(!u->RadioButton2->isChecked());
    for (QCheckBox *box : {u->NumSuffix, u->NumSuffix2, u->Startnums, u->userstring})
        QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    QVERIFY(!u->Panel4->isVisible());
    QVERIFY(u->user->text().isEmpty());
    QVERIFY(!u->Rename->isEnabled());
    QVERIFY(!u->List2->isVisible());
    QCOMPARE(u->ProgressBar1->value(), 0);
    QCOMPARE(m_form->options().namingMode, 5);
    QCOMPARE(m_form->options().dateFormat, 0);
    QCOMPARE(m_form->options().startNumber, 1);

    const std::string folder = m_folder->path().toStdString();
    QCOMPARE(m_form->currentFolder(), folder);
    QCOMPARE(m_form->startDirectory(), folder + "/");
    QCOMPARE(m_form->settingsFilePath(), folder + "/quarimo.txt");
    QVERIFY2(!QFile::exists(m_folder->path() + "/quarimo.txt"), "nothing is written without a folder change");

    const QStringList digits{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (auto [picker, text] : {std::pair{u->C1, "0"}, {u->C2, "0"}, {u->C3, "0"}, {u->C4, "1"}}) {
        QStringList items;
        for (int i = 0; i < picker->count(); ++i)
            items << picker->itemText(i);
        QCOMPARE(items, digits);
        QCOMPARE(picker->currentText(), QString::fromLatin1(text));
    }

    QCOMPARE(u->centralwidget->size(), QSize(446, 637));
    QCOMPARE(u->File001->toolTip(), QStringLiteral("Select the images you wish to rename"));
    for (QWidget *widget : m_form->findChildren<QWidget *>())
        if (widget != u->File001)
            QVERIFY2(widget->toolTip().isEmpty(), qPrintable(widget->objectName()));
    // Centred on the primary screen, not clamped: a screen lower than the window gives a negative top.
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QSize outer = m_form->frameGeometry().size();
    QCOMPARE(m_form->pos(), QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));
    QVERIFY(!u->Image1->pixmap().isNull());
    QCOMPARE(u->Image1->pixmap().size(), QSize(166, 314));
}

void MainFormTest::layoutMatchesTheDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("parentName");
    const struct
    {
        const char *name;
        QRect rect;
        const char *parent;
    } rows[] = {
        {"Image1", {312, 272, 129, 193}, "centralwidget"},   {"Panel1", {4, 3, 438, 209}, "centralwidget"},
        {"File001", {240, 8, 193, 193}, "Panel1"},           {"Dir001", {8, 32, 225, 145}, "Panel1"},
        {"Drive001", {8, 8, 225, 20}, "Panel1"},             {"AllPics", {72, 182, 97, 20}, "Panel1"},
        {"GroupBox1", {4, 214, 438, 41}, "centralwidget"},   {"RadioButton1", {8, 16, 249, 17}, "GroupBox1"},
        {"RadioButton2", {266, 16, 168, 17}, "GroupBox1"},   {"GroupBox2", {4, 264, 301, 97}, "centralwidget"},
        {"bname00", {8, 24, 225, 17}, "GroupBox2"},          {"bname01", {8, 40, 233, 17}, "GroupBox2"},
        {"bname03", {8, 72, 185, 17}, "GroupBox2"},          {"bname02", {8, 56, 249, 17}, "GroupBox2"},
        {"ProgressBar1", {4, 614, 369, 16}, "centralwidget"}, {"List2", {392, 408, 41, 17}, "centralwidget"},
        {"Rename", {384, 610, 57, 25}, "centralwidget"},     {"GroupBox3", {4, 368, 301, 97}, "centralwidget"},
        {"bname05", {8, 40, 289, 17}, "GroupBox3"},          {"bname04", {8, 24, 281, 17}, "GroupBox3"},
        {"bname06", {8, 56, 290, 17}, "GroupBox3"},          {"NumSuffix2", {8, 72, 225, 17}, "GroupBox3"},
        {"Panel2", {4, 468, 438, 37}, "centralwidget"},      {"userstring", {8, 10, 105, 17}, "Panel2"},
        {"user", {116, 7, 313, 22}, "Panel2"},               {"GroupBox4", {4, 510, 254, 95}, "centralwidget"},
        {"Bname07", {8, 24, 238, 17}, "GroupBox4"},          {"Bname08", {8, 40, 238, 17}, "GroupBox4"},
        {"Bname09", {8, 56, 244, 17}, "GroupBox4"},          {"NumSuffix", {8, 72, 169, 17}, "GroupBox4"},
        {"GroupBox5", {264, 510, 177, 95}, "centralwidget"}, {"Panel3", {12, 24, 152, 57}, "GroupBox5"},
        {"Panel4", {4, 22, 145, 33}, "Panel3"},              {"C1", {8, 5, 33, 22}, "Panel4"},
        {"C2", {40, 5, 33, 22}, "Panel4"},                   {"C3", {72, 5, 33, 22}, "Panel4"},
        {"C4", {104, 5, 33, 22}, "Panel4"},                  {"Startnums", {8, 4, 137, 17}, "Panel3"},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.rect << QString::fromLatin1(row.parent);
}

void MainFormTest::layoutMatchesTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, parentName);
    auto *widget = m_form->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    const QFont font = widget->font();
    QCOMPARE(font.pointSize(), 8);
    // Only the group captions are bold; panels show no text.
    if (!name.startsWith(QLatin1String("Panel")))
        QCOMPARE(font.bold(), name.startsWith(QLatin1String("GroupBox")));
}

void MainFormTest::clientAreaFillsTheWindowBelowTheMenuBar()
{
    // 446 x 637 right below the menu bar, whatever height the style gives the bar, and its
    // last row is the window's last row: nothing is cut, nothing is added, and the size is fixed.
    const QRect client = u->centralwidget->geometry();
    QCOMPARE(client.size(), QSize(446, 637));
    QCOMPARE(client.topLeft(), QPoint(0, u->MainMenu1->geometry().bottom() + 1));
    QCOMPARE(client.bottom(), m_form->height() - 1);
    QCOMPARE(m_form->width(), 446);
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    // So Rename's bottom edge keeps the two rows below it that the layout gives (637 - 610 - 25).
    const int renameBottom = u->Rename->mapTo(m_form.get(), QPoint(0, u->Rename->height() - 1)).y();
    QCOMPARE(m_form->height() - 1 - renameBottom, 2);
}

void MainFormTest::menuCaptionsKeepTheirSpaces()
{
    QStringList bar;
    for (QAction *action : u->MainMenu1->actions())
        bar << action->text();
    QCOMPARE(bar, (QStringList{"File            ", "Camera-Ready Rename          ", "Help"}));
    QCOMPARE(u->File1->actions().size(), 2);
    QVERIFY(u->File1->actions().at(0)->isSeparator());
    QCOMPARE(u->File1->actions().at(1)->text(), QStringLiteral("E&xit"));
    QCOMPARE(u->CameraReady->actions().at(0)->text(), QStringLiteral("Canon"));
    QCOMPARE(u->CameraReady->actions().at(1)->text(), QStringLiteral("Lumix"));
    QCOMPARE(u->Help2->actions().at(0)->text(), QStringLiteral("About"));
    QCOMPARE(u->Help2->actions().at(1)->text(), QStringLiteral("Open Helpfile"));
}

void MainFormTest::ruleButtonsActAsOneGroupAcrossBoxes()
{
    QTest::mouseClick(u->Bname08, Qt::LeftButton);
    QCOMPARE(m_form->options().namingMode, 8);
    const QList<QRadioButton *> rules{u->bname00, u->bname01, u->bname02, u->bname03, u->bname04,
                                      u->bname05, u->bname06, u->Bname07, u->Bname08, u->Bname09};
    for (QRadioButton *rule : rules)
        QCOMPARE(rule->isChecked(), rule == u->Bname08);

    QTest::mouseClick(u->bname03, Qt::LeftButton);
    QCOMPARE(m_form->options().namingMode, 3);
    for (QRadioButton *rule : rules)
        QCOMPARE(rule->isChecked(), rule == u->bname03);
    // The date format pair is a group of its own.
    QVERIFY(u->RadioButton1->isChecked());

    // Back into a box whose earlier choice was unchecked by program.
    QTest::mouseClick(u->bname04, Qt::LeftButton);
    QCOMPARE(m_form->options().namingMode, 4);
    QVERIFY(!u->bname05->isChecked() && !u->bname03->isChecked());
}

void MainFormTest::clickingTheCheckedRuleChangesNothing()
{
    int toggles = 0;
    connect(u->bname05, &QRadioButton::toggled, this, [&toggles] { ++toggles; });
    QTest::mouseClick(u->bname05, Qt::LeftButton);
    QVERIFY(u->bname05->isChecked());
    QCOMPARE(toggles, 0);
    QCOMPARE(m_form->options().namingMode, 5);
}

void MainFormTest::dateFormatAndSwitchesFollowTheirControls()
{
    QTest::mouseClick(u->RadioButton2, Qt::LeftButton);
    QCOMPARE(m_form->options().dateFormat, 1);
    QTest::mouseClick(u->RadioButton1, Qt::LeftButton);
    QCOMPARE(m_form->options().dateFormat, 0);

    // A switch set while a rule that ignores it is selected still holds.
    QTest::mouseClick(u->NumSuffix, Qt::LeftButton);
    QCOMPARE(m_form->options().numberSuffix, 1);
    QTest::mouseClick(u->NumSuffix2, Qt::LeftButton);
    QCOMPARE(m_form->options().numbersAfterText, 1);
    QTest::mouseClick(u->NumSuffix, Qt::LeftButton);
    QCOMPARE(m_form->options().numberSuffix, 0);
    QCOMPARE(m_form->options().numbersAfterText, 1);
}

void MainFormTest::startnumsResetsAndShowsThePickers()
{
    QTest::mouseClick(u->Startnums, Qt::LeftButton);
    QVERIFY(u->Panel4->isVisible());
    u->C3->setEditText("7");
    u->C4->setEditText("9");
    QTest::mouseClick(u->Startnums, Qt::LeftButton);
    QVERIFY(!u->Panel4->isVisible());
    QCOMPARE(u->C3->currentText(), QStringLiteral("0"));
    QCOMPARE(u->C4->currentText(), QStringLiteral("1"));
    u->C2->setEditText("5");
    QTest::mouseClick(u->Startnums, Qt::LeftButton);
    QVERIFY(u->Panel4->isVisible());
    QCOMPARE(u->C2->currentText(), QStringLiteral("0"));
    QCOMPARE(m_form->StartNumber(4), 1);
}

void MainFormTest::startNumberReadsThePickers_data()
{
    QTest::addColumn<QStringList>("pickers");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("error");
    QTest::newRow("width 2") << QStringList{"1", "2", "3", "4"} << 2 << 34 << QString();
    QTest::newRow("width 3") << QStringList{"1", "2", "3", "4"} << 3 << 234 << QString();
    QTest::newRow("width 4") << QStringList{"1", "2", "3", "4"} << 4 << 1234 << QString();
    QTest::newRow("two digits in units") << QStringList{"0", "0", "1", "12"} << 2 << 22 << QString();
    QTest::newRow("negative") << QStringList{"0", "0", "0", "-1"} << 3 << -1 << QString();
    QTest::newRow("hex") << QStringList{"0", "0", "0", "$A"} << 4 << 10 << QString();
    QTest::newRow("letters in C1 stop width 2") << QStringList{"x", "0", "0", "1"} << 2 << 0 << "x";
    QTest::newRow("empty C4") << QStringList{"0", "0", "0", ""} << 4 << 0 << "";
    QTest::newRow("trailing blank") << QStringList{"0", "0", "2 ", "1"} << 3 << 0 << "2 ";
}

void MainFormTest::startNumberReadsThePickers()
{
    QFETCH(QStringList, pickers);
    QFETCH(int, width);
    QFETCH(int, expected);
    QFETCH(QString, error);
    QTest::mouseClick(u->Startnums, Qt::LeftButton);
    QComboBox *boxes[] = {u->C1, u->C2, u->C3, u->C4};
    for (int i = 0; i < 4; ++i) {
        boxes[i]->lineEdit()->selectAll();
        QTest::keyClicks(boxes[i]->lineEdit(), pickers[i]);
        if (pickers[i].isEmpty())
            QTest::keyClick(boxes[i]->lineEdit(), Qt::Key_Delete);
    }
    if (error.isNull()) {
        QCOMPARE(m_form->StartNumber(width), expected);
        QCOMPARE(m_form->options().startNumber, expected);
    } else {
        QVERIFY_THROWS_EXCEPTION(EConvertError, m_form->StartNumber(width));
        try {
            m_form->StartNumber(width);
        } catch (const EConvertError &e) {
            QCOMPARE(QString::fromLatin1(e.what()), "'" + error + "' is not a valid integer value");
        }
    }
}

void MainFormTest::aFailingHandlerShowsTheErrorBoxAndTheProgramGoesOn()
{
    // A settings file that is a folder cannot be written: the folder change fails at the save.
    MessageBoxCatcher catcher;
    QDir().mkdir(m_folder->path() + "/quarimo.txt");
    emit u->Dir001->changed();
    QTRY_COMPARE(catcher.seen().size(), 1);
    QVERIFY2(catcher.seen().first().startsWith("tst_mainform|"), qPrintable(catcher.seen().first()));
    QVERIFY2(catcher.seen().first().endsWith(QString("|%1").arg(int(QMessageBox::Critical))),
             qPrintable(catcher.seen().first()));
    // The program goes on: the window still answers.
    QTest::mouseClick(u->Bname07, Qt::LeftButton);
    QCOMPARE(m_form->options().namingMode, 7);
}

void MainFormTest::applicationTitleComesFromTheProgramFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << "/usr/bin/quarimo" << "quarimo";
    QTest::newRow("capitals after the first") << "/opt/QuaRIMO" << "Quarimo";
    QTest::newRow("cut at the first dot") << "/home/u/Quarimo.Beta.bin" << "Quarimo";
    QTest::newRow("one letter") << "/bin/Q" << "Q";
}

void MainFormTest::applicationTitleComesFromTheProgramFile()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(applicationTitleFor(path), title);
}

void MainFormTest::exitClosesTheWindow()
{
    u->Exit1->trigger();
    QVERIFY(!m_form->isVisible());
}

void MainFormTest::aFailureInFormCreateEndsItThereAndTheWindowStillOpens()
{
    cleanup();
    TemporaryWorkingFolder folder;
    // A settings file that exists but cannot be opened for reading: a socket.
    const QByteArray socketPath = QFile::encodeName(folder.path() + "/quarimo.txt");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, socketPath.constData(), sizeof address.sun_path);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);

    MessageBoxCatcher catcher;
    TMainForm form;
    ::close(fd);
    QCOMPARE(catcher.seen().size(), 1);
    QVERIFY2(catcher.seen().first().contains("|I/O error 6.|"), qPrintable(catcher.seen().first()));
    // The steps after the failure were skipped: no date format checked, not centred.
    QVERIFY(form.ui()->bname05->isChecked());
    QVERIFY(!form.ui()->RadioButton1->isChecked());
    QVERIFY(!form.ui()->RadioButton2->isChecked());
    QCOMPARE(form.options().dateFormat, 0);
    QCOMPARE(form.pos(), QPoint(289, 180));
    QCOMPARE(form.currentFolder(), folder.path().toStdString());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
}

QUARIMO_GUI_TEST_MAIN(MainFormTest)
#include "tst_mainform.moc"

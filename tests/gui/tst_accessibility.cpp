// What a screen reader hears of the windows, asked through Qt's accessibility interfaces, and the
// menu bar reached from the keyboard; driven through the real main window as a user would.
#include "about/progdetails.h"
#include "app/mainform.h"
#include "guitestutil.h"
#include "help/viewer/helpviewer.h"
#include "helpfile.h"
#include "ui_mainform.h"

#include <QAccessible>
#include <QMenu>
#include <QMenuBar>
#include <QTextBrowser>
#include <QtTest>

namespace {

QString accessibleText(QObject *object, QAccessible::Text kind)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(kind) : QStringLiteral("<no interface>");
}

// The controls of `window` that Tab can reach, now or once the control around them shows: those
// hidden for good (the batch list), the drop-down lists' own windows and the parts that hand the
// keyboard to another control are left out.
QList<QWidget *> focusableControls(QWidget *window)
{
    QList<QWidget *> controls;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (widget->window() == window && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy()
            && !widget->isHidden())
            controls << widget;
    }
    return controls;
}

} // namespace

class AccessibilityTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyFocusableControlHasAName_data();
    void everyFocusableControlHasAName();
    void controlsAreNamedInTheProgramsWords_data();
    void controlsAreNamedInTheProgramsWords();
    void theTopicIsDescribedByItsTitle();
    void f10OpensTheMenuBar();

private:
    QWidget *window(const QString &which);
    HelpViewer *openHelpfile();
};

void AccessibilityTest::init()
{
    makeFolder();
    // The help the build makes, as if installed: the start folder holds none.
    HelpViewer::setInstalledHelpFile(QStringLiteral(QUARIMO_BUILT_HELP_FILE));
    startWithAboutBox();
}

void AccessibilityTest::cleanup()
{
    closeAll();
}

HelpViewer *AccessibilityTest::openHelpfile()
{
    u->OpenHelpfile1->trigger();
    auto *viewer = m_form->findChild<HelpViewer *>();
    return viewer && QTest::qWaitForWindowExposed(viewer) ? viewer : nullptr;
}

// Each window as the user opens it.
QWidget *AccessibilityTest::window(const QString &which)
{
    if (which == QLatin1String("main window"))
        return m_form.get();
    if (which == QLatin1String("About box")) {
        u->Help1->trigger();
        return QTest::qWaitForWindowExposed(m_about.get()) ? m_about.get() : nullptr;
    }
    return openHelpfile();
}

void AccessibilityTest::everyFocusableControlHasAName_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("fewestControls");
    QTest::newRow("main window") << QStringLiteral("main window") << 25;
    QTest::newRow("About box") << QStringLiteral("About box") << 1;
    QTest::newRow("help viewer") << QStringLiteral("help viewer") << 7;
}

void AccessibilityTest::everyFocusableControlHasAName()
{
    QFETCH(QString, which);
    QFETCH(int, fewestControls);
    QWidget *shown = window(which);
    QVERIFY(shown);
    QVERIFY2(!accessibleText(shown, QAccessible::Name).isEmpty(), qPrintable(which));

    const QList<QWidget *> controls = focusableControls(shown);
    QVERIFY2(controls.size() >= fewestControls, qPrintable(QString::number(controls.size())));
    QStringList unnamed;
    for (QWidget *control : controls) {
        if (accessibleText(control, QAccessible::Name).trimmed().isEmpty())
            unnamed << control->objectName() + QLatin1Char(':') + QLatin1String(control->metaObject()->className());
    }
    QCOMPARE(unnamed, QStringList{});
}

void AccessibilityTest::controlsAreNamedInTheProgramsWords_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::newRow("directory list") << "Dir001" << "Folders";
    QTest::newRow("file list") << "File001" << "Photographs";
    QTest::newRow("drive box") << "Drive001" << "Drive";
    QTest::newRow("user text") << "user" << "User text";
    QTest::newRow("progress bar") << "ProgressBar1" << "Rename progress";
    QTest::newRow("thousands") << "C1" << "Start number, thousands";
    QTest::newRow("hundreds") << "C2" << "Start number, hundreds";
    QTest::newRow("tens") << "C3" << "Start number, tens";
    QTest::newRow("units") << "C4" << "Start number, units";
    QTest::newRow("About box") << "ProgDetails" << "About Quarimo";
}

// A drop-down box keeps telling its value beside its name.
void AccessibilityTest::controlsAreNamedInTheProgramsWords()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    u->Startnums->click();
    QObject *found = m_form->findChild<QObject *>(control);
    QVERIFY(found);
    QCOMPARE(accessibleText(found, QAccessible::Name), name);
    if (auto *box = qobject_cast<QComboBox *>(found)) {
        QVERIFY(!box->currentText().isEmpty());
        QCOMPARE(accessibleText(box, QAccessible::Value), box->currentText());
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
        QCOMPARE(accessible->role(), QAccessible::ComboBox);
        QVERIFY(accessible->childCount() >= 1);
        QCOMPARE(accessible->child(0)->object(), box->view());
    }
}

void AccessibilityTest::theTopicIsDescribedByItsTitle()
{
    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    QTextBrowser *topic = viewer->browser();
    QCOMPARE(accessibleText(topic, QAccessible::Name), QStringLiteral("Topic"));
    const QString home = topic->documentTitle();
    QVERIFY(!home.isEmpty());
    QCOMPARE(accessibleText(topic, QAccessible::Description), home);

    QVERIFY(clickLink(topic, QStringLiteral("Naming rules")));
    QVERIFY(topic->documentTitle() != home);
    QCOMPARE(accessibleText(topic, QAccessible::Description), topic->documentTitle());
    topic->backward();
    QCOMPARE(accessibleText(topic, QAccessible::Description), home);
}

void AccessibilityTest::f10OpensTheMenuBar()
{
    QMenuBar *bar = m_form->menuBar();
    QStringList captions;
    for (const QAction *menu : bar->actions())
        captions << menu->text();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitFor([this] { return m_form->isActiveWindow(); }));
    u->user->setFocus();

    QTest::keyClick(u->user, Qt::Key_F10);
    QTRY_VERIFY(u->File1->isVisible());
    QCOMPARE(bar->activeAction(), u->File1->menuAction());
    // The arrows walk on to the next menu, Escape leaves.
    QTest::keyClick(u->File1, Qt::Key_Right);
    QTRY_VERIFY(u->CameraReady->isVisible());
    QCOMPARE(bar->activeAction(), u->CameraReady->menuAction());
    QTest::keyClick(u->CameraReady, Qt::Key_Escape);
    QTRY_VERIFY(!u->CameraReady->isVisible());

    QStringList after;
    for (const QAction *menu : bar->actions())
        after << menu->text();
    QCOMPARE(after, captions);
}

QUARIMO_GUI_TEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"

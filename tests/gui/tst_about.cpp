// The About box, driven through the main window's Help menu as a user would.
#include "about/progdetails.h"
#include "app/mainform.h"
#include "guitestutil.h"
#include "ui_mainform.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

class AboutTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void createdHiddenWithTheProgramsDetails();
    void layoutMatchesTheDesign_data();
    void layoutMatchesTheDesign();
    void fontsAndColoursMatchTheDesign();
    void everyTextFitsItsLabel();
    void hasAFixedDialogBorder();
    void centredOnceAtCreation();
    void aboutTwiceGivesOneBox();
    void isModeless();
    void closedItShowsAgainWhereTheUserLeftIt_data();
    void closedItShowsAgainWhereTheUserLeftIt();
    void closingTheMainWindowWhileItShowsEndsTheProgram();

private:
    template <typename T = QWidget>
    T *control(const char *name) const
    {
        return m_about->findChild<T *>(QString::fromLatin1(name));
    }
    QList<TProgDetails *> visibleBoxes() const;
};

void AboutTest::init()
{
    makeFolder();
    startWithAboutBox();
}

void AboutTest::cleanup()
{
    closeAll();
}

QList<TProgDetails *> AboutTest::visibleBoxes() const
{
    QList<TProgDetails *> boxes;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<TProgDetails *>(window); box && box->isVisible())
            boxes << box;
    }
    return boxes;
}

void AboutTest::createdHiddenWithTheProgramsDetails()
{
    QCOMPARE(ProgDetails, m_about.get());
    QVERIFY(!m_about->isVisible());
    QCOMPARE(m_about->windowTitle(), QStringLiteral("ProgDetails"));
    QCOMPARE(control<QLabel>("progname")->text(), QStringLiteral("Quarimo"));
    QCOMPARE(control<QLabel>("Date")->text(), QStringLiteral("September 27, 2015"));
    // The box and the main window's caption name the same version.
    const QString version = control<QLabel>("Version")->text();
    QVERIFY2(version.startsWith(QStringLiteral("Version ")), qPrintable(version));
    QCOMPARE(QStringLiteral("Quarimo ") + version, m_form->windowTitle());
    QCOMPARE(control<QPushButton>("Button1")->text(), QStringLiteral("&Close"));

    const QString note = control<QLabel>("compiler")->text();
    QVERIFY2(note.contains(QStringLiteral("Qt " QT_VERSION_STR)), qPrintable(note));
    QVERIFY2(note.contains(QStringLiteral("libjpeg")), qPrintable(note));
    QVERIFY2(note.contains(QStringLiteral("GCC")) || note.contains(QStringLiteral("Clang")), qPrintable(note));
    QVERIFY(!control<QLabel>("Label3")->text().isEmpty());
    QVERIFY(control<QLabel>("Label4")->text().contains(QLatin1Char('@')));

    const QPixmap icon = control<QLabel>("Image1")->pixmap();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(64, 64));
}

void AboutTest::layoutMatchesTheDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("Panel1") << "Panel1" << "ProgDetails" << QRect(7, 7, 282, 154);
    QTest::newRow("Version") << "Version" << "Panel1" << QRect(80, 42, 193, 17);
    QTest::newRow("progname") << "progname" << "Panel1" << QRect(80, 8, 193, 33);
    QTest::newRow("Image1") << "Image1" << "Panel1" << QRect(7, 7, 64, 64);
    QTest::newRow("Label3") << "Label3" << "Panel1" << QRect(7, 83, 266, 13);
    QTest::newRow("Label4") << "Label4" << "Panel1" << QRect(4, 102, 269, 14);
    QTest::newRow("Date") << "Date" << "Panel1" << QRect(80, 56, 193, 14);
    QTest::newRow("compiler") << "compiler" << "Panel1" << QRect(8, 128, 265, 22);
    QTest::newRow("Button1") << "Button1" << "ProgDetails" << QRect(128, 168, 40, 22);
}

void AboutTest::layoutMatchesTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);

    QWidget *widget = m_about->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), geometry);
    if (auto *label = qobject_cast<QLabel *>(widget); label && name != QLatin1String("Image1"))
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

void AboutTest::fontsAndColoursMatchTheDesign()
{
    const auto *panel = control<QFrame>("Panel1");
    QCOMPARE(panel->frameShape(), QFrame::Box); // lowered outer line, raised inner line
    QCOMPARE(panel->frameShadow(), QFrame::Sunken);

    QCOMPARE(m_about->font().pointSize(), 8);
    QVERIFY(control<QLabel>("progname")->font().bold());
    QVERIFY(control<QLabel>("progname")->wordWrap());
    QVERIFY(!control<QLabel>("Version")->font().bold());

    const struct {
        const char *name;
        QColor colour;
    } notes[] = {{"Label4", QColor(0, 0, 128)}, {"compiler", QColor(128, 0, 0)}};
    for (const auto &[name, colour] : notes) {
        const QLabel *label = control<QLabel>(name);
        QVERIFY2(label->font().italic(), name);
        QCOMPARE(label->font().pointSize(), 9);
        QCOMPARE(label->font().family(), QStringLiteral("Arial"));
        QCOMPARE(label->palette().color(QPalette::Active, QPalette::WindowText), colour);
    }
}

void AboutTest::everyTextFitsItsLabel()
{
    for (const QLabel *label : m_about->findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        const QFontMetrics metrics(label->font());
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = metrics.boundingRect(QRect(0, 0, label->width(), 1000), flags, label->text());
        QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                 qPrintable(label->objectName() + QStringLiteral(" needs %1 x %2").arg(needed.width()).arg(needed.height())));
    }
}

void AboutTest::hasAFixedDialogBorder()
{
    QCOMPARE(m_about->size(), QSize(292, 193));
    QCOMPARE(m_about->minimumSize(), QSize(292, 193));
    QCOMPARE(m_about->maximumSize(), QSize(292, 193));
    const Qt::WindowFlags flags = m_about->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
}

void AboutTest::centredOnceAtCreation()
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QSize outer = m_about->frameGeometry().size();
    const QPoint centred((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
    QCOMPARE(m_about->frameGeometry().topLeft(), centred);

    // Not where a dialog would put itself, over its parent, and not moved when first shown.
    m_form->move(0, 0);
    m_form->ui()->Help1->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(m_about.get()));
    QCOMPARE(m_about->frameGeometry().topLeft(), centred);
}

void AboutTest::aboutTwiceGivesOneBox()
{
    m_form->ui()->Help1->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(m_about.get()));
    const QPoint shownAt = m_about->pos();
    m_form->ui()->Help1->trigger();
    QCoreApplication::processEvents();

    QCOMPARE(visibleBoxes(), QList<TProgDetails *>{m_about.get()});
    QCOMPARE(m_form->findChildren<TProgDetails *>().size(), 1);
    QCOMPARE(m_about->pos(), shownAt);
}

void AboutTest::isModeless()
{
    m_form->ui()->Help1->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(m_about.get()));
    QVERIFY(!m_about->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    // The main window goes on taking clicks while the box shows.
    QTest::mouseClick(m_form->ui()->Bname08, Qt::LeftButton);
    QCOMPARE(m_form->options().namingMode, 8);
    QVERIFY(m_about->isVisible());
}

void AboutTest::closedItShowsAgainWhereTheUserLeftIt_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("&Close") << "button";
    QTest::newRow("the title bar's close box") << "close box";
    QTest::newRow("Escape") << "escape";
}

void AboutTest::closedItShowsAgainWhereTheUserLeftIt()
{
    QFETCH(QString, how);

    m_form->ui()->Help1->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(m_about.get()));
    const QPoint movedTo(23, 41);
    m_about->move(movedTo);
    QCOMPARE(m_about->pos(), movedTo);

    if (how == QLatin1String("button"))
        QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    else if (how == QLatin1String("close box"))
        QVERIFY(m_about->close());
    else
        QTest::keyClick(m_about.get(), Qt::Key_Escape);
    QTRY_VERIFY(!m_about->isVisible());
    QCOMPARE(ProgDetails, m_about.get());
    QVERIFY(m_form->isVisible());

    m_form->ui()->Help1->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(m_about.get()));
    QCOMPARE(m_about->pos(), movedTo);
    QCOMPARE(control<QLabel>("progname")->text(), QStringLiteral("Quarimo"));
    QCOMPARE(visibleBoxes().size(), 1);
}

void AboutTest::closingTheMainWindowWhileItShowsEndsTheProgram()
{
    m_form->ui()->Help1->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(m_about.get()));
    QVERIFY(QApplication::quitOnLastWindowClosed());
    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);

    // The program's own event loop, ended by closing the main window the way "E&xit" does; a loop
    // that the open box kept running is ended by the guard with another code.
    QTimer::singleShot(0, m_form.get(), [this] { m_form->ui()->Exit1->trigger(); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    const int exitCode = QApplication::exec();

    QCOMPARE(exitCode, 0);
    QCOMPARE(lastWindowClosed.count(), 1);
    QVERIFY(!m_form->isVisible());
}

QUARIMO_GUI_TEST_MAIN(AboutTest)
#include "tst_about.moc"

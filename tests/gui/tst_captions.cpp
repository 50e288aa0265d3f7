// Every caption of the main window and the About box shows whole in the program's own look, and
// a control that grew for its caption stays inside its parent and clear of what lies to its right.
#include "about/progdetails.h"
#include "app/mainform.h"
#include "guitestutil.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QtTest>

class CaptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyCaptionIsWholeAndItsControlInPlace_data();
    void everyCaptionIsWholeAndItsControlInPlace();

private:
    TemporaryWorkingFolder m_folder;
    TMainForm m_form;
    TProgDetails m_about{&m_form};
};

// The layout's controls are named by it; the toolkit's own parts of a control are not.
static bool isLayoutControl(const QWidget *widget)
{
    return !widget->objectName().isEmpty() && !widget->objectName().startsWith(QLatin1String("qt_"));
}

static QString captionOf(const QWidget *widget)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *box = qobject_cast<const QGroupBox *>(widget))
        return box->title();
    return {};
}

void CaptionsTest::everyCaptionIsWholeAndItsControlInPlace_data()
{
    QTest::addColumn<QWidget *>("control");
    for (QWidget *client : {m_form.centralWidget(), static_cast<QWidget *>(&m_about)}) {
        for (QWidget *widget : client->findChildren<QWidget *>()) {
            if (isLayoutControl(widget) && !captionOf(widget).isEmpty())
                QTest::newRow(qPrintable(widget->objectName())) << widget;
        }
    }
}

void CaptionsTest::everyCaptionIsWholeAndItsControlInPlace()
{
    QFETCH(QWidget *, control);
    const QStyle *style = control->style();
    const QFontMetrics metrics(control->font());
    int needed = metrics.size(Qt::TextShowMnemonic, captionOf(control)).width();
    int room = 0;
    if (auto *box = qobject_cast<QGroupBox *>(control)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        // On the frame line, between the same margins left and right.
        const QRect label = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        needed = label.width();
        room = box->width() - 2 * label.left();
    } else if (auto *label = qobject_cast<QLabel *>(control)) {
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect text = metrics.boundingRect(QRect(0, 0, label->width(), 1000), flags, label->text());
        QVERIFY2(text.height() <= label->height(), qPrintable(QStringLiteral("%1 pixels high").arg(text.height())));
        needed = text.width();
        room = label->width();
    } else {
        QStyleOptionButton option;
        option.initFrom(control);
        if (qobject_cast<QPushButton *>(control)) {
            room = style->subElementRect(QStyle::SE_PushButtonContents, &option, control).width();
        } else {
            // Drawn after the indicator and its spacing, clipped only by the control's right edge.
            const auto contents = qobject_cast<QRadioButton *>(control) ? QStyle::SE_RadioButtonContents
                                                                        : QStyle::SE_CheckBoxContents;
            room = control->width() - style->subElementRect(contents, &option, control).left();
        }
    }
    QVERIFY2(needed + 1 <= room, qPrintable(QStringLiteral("needs %1 + 1 pixels, has %2").arg(needed).arg(room)));

    const QRect place = control->geometry();
    const QWidget *parent = control->parentWidget();
    QVERIFY2(parent->contentsRect().contains(place), qPrintable(parent->objectName() + " is too narrow"));
    // Rows of the layout overlap by a pixel; only what lies to the right on the same line must stay clear.
    for (const QWidget *sibling : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRect other = sibling->geometry();
        if (isLayoutControl(sibling) && other.left() > place.left() && other.top() <= place.bottom()
            && other.bottom() >= place.top())
            QVERIFY2(place.right() < other.left(), qPrintable(sibling->objectName()));
    }
}

QUARIMO_GUI_TEST_MAIN(CaptionsTest)
#include "tst_captions.moc"

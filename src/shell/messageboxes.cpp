#include "shell/messageboxes.h"

#include "shell/centring.h"
#include "shell/localtext.h"
#include "platform/errors.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

QString applicationTitleFor(const QString &programPath)
{
    QString name = QFileInfo(programPath).fileName();
    const int dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString applicationTitle()
{
    return applicationTitleFor(QCoreApplication::applicationFilePath());
}

namespace {

// Every box shows its message as plain text: messages carry file names, and a name that looks like
// markup must neither be laid out as rich text nor load a picture it names.
void runBox(QMessageBox::Icon icon, const QString &title, const std::string &message, const char *objectName,
            QWidget *owner, bool centred)
{
    QMessageBox box(icon, title, QString(), QMessageBox::NoButton, owner);
    box.setObjectName(QLatin1String(objectName));
    box.setTextFormat(Qt::PlainText);
    box.setText(fromLocalBytes(message));
    box.setStandardButtons(QMessageBox::Ok);
    // Named here, not by the desktop's theme (GNOME's gives it a shortcut, "&OK").
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    if (centred) {
        box.adjustSize();
        centreOnPrimaryScreen(&box);
    }
    box.exec();
}

} // namespace

void showErrorBox(QWidget *owner, const std::string &message)
{
    runBox(QMessageBox::Critical, applicationTitle(), errorBoxText(message), "ErrorBox", owner, false);
}

void showInformation(QWidget *owner, const std::string &message)
{
    runBox(QMessageBox::Information, QStringLiteral("Information"), message, "InformationBox", owner, false);
}

void showPlainMessage(const std::string &message)
{
    runBox(QMessageBox::NoIcon, applicationTitle(), message, "PlainMessageBox", nullptr, true);
}

void runHandler(QWidget *owner, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        showErrorBox(owner, e.what());
    } catch (...) {
        showErrorBox(owner, "Unexpected failure");
    }
}

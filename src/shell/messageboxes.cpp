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

void runBox(QMessageBox &box)
{
    box.setStandardButtons(QMessageBox::Ok);
    // Named here, not by the desktop's theme (GNOME's gives it a shortcut, "&OK").
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

} // namespace

void showErrorBox(QWidget *owner, const std::string &message)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), fromLocalBytes(errorBoxText(message)),
                    QMessageBox::NoButton, owner);
    box.setObjectName(QStringLiteral("ErrorBox"));
    runBox(box);
}

void showInformation(QWidget *owner, const std::string &message)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), fromLocalBytes(message),
                    QMessageBox::NoButton, owner);
    box.setObjectName(QStringLiteral("InformationBox"));
    runBox(box);
}

void showPlainMessage(const std::string &message)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), fromLocalBytes(message));
    box.setObjectName(QStringLiteral("PlainMessageBox"));
    box.adjustSize();
    centreOnPrimaryScreen(&box);
    runBox(box);
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

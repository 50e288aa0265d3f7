#include "about/progdetails.h"
#include "app/datamodule1.h"
#include "app/mainform.h"
#include "shell/classiclook.h"

#include <QApplication>
#include <memory>

// Reads no command line and no environment: Qt's own arguments are all it gets.
int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    installClassicLook(application);

    TMainForm mainForm;
    // After the main window, which registers the program's resources.
    application.setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    TProgDetails progDetails(&mainForm);
    auto dataModule1 = std::make_unique<TDataModule1>();

    mainForm.show();
    return application.exec();
}

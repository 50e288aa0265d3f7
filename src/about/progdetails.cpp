#include "about/progdetails.h"

#include "shell/centring.h"
#include "shell/messageboxes.h"
#include "ui_progdetails.h"
#include "version.h"

#include <cstdio> // jpeglib.h uses FILE and size_t without declaring them
#include <jpeglib.h>

TProgDetails *ProgDetails = nullptr;

namespace {

#define QUARIMO_TEXT(x) #x
#define QUARIMO_EXPANDED_TEXT(x) QUARIMO_TEXT(x)

QString compilerName()
{
#if defined(__clang__)
    return QStringLiteral("Clang %1.%2").arg(__clang_major__).arg(__clang_minor__);
#elif defined(__GNUC__)
    return QStringLiteral("GCC %1.%2").arg(__GNUC__).arg(__GNUC_MINOR__);
#else
    return QStringLiteral("an unknown compiler");
#endif
}

QString jpegLibraryName()
{
#if defined(LIBJPEG_TURBO_VERSION)
    return QStringLiteral("libjpeg-turbo " QUARIMO_EXPANDED_TEXT(LIBJPEG_TURBO_VERSION));
#else
    return QStringLiteral("libjpeg %1").arg(JPEG_LIB_VERSION);
#endif
}

QString buildNote()
{
    return QStringLiteral("Built with %1, Qt %2, %3")
        .arg(compilerName(), QStringLiteral(QT_VERSION_STR), jpegLibraryName());
}

} // namespace

TProgDetails::TProgDetails(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::TProgDetails>())
{
    ProgDetails = this;
    m_ui->setupUi(this);
    // A dialog border: a title and a close box, no minimise or maximise box, not resizable.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(292, 193);
    setBackgroundRole(QPalette::Button);
    connect(m_ui->Button1, &QPushButton::clicked, this, [this] { runHandler(this, [this] { Button1Click(); }); });
    runHandler(this, [this] { FormCreate(); });
}

TProgDetails::~TProgDetails()
{
    if (ProgDetails == this)
        ProgDetails = nullptr;
}

void TProgDetails::FormCreate()
{
    m_ui->progname->setText(QStringLiteral("Quarimo"));
    m_ui->Version->setText(QStringLiteral("Version " QUARIMO_VERSION));
    m_ui->Date->setText(QStringLiteral("September 27, 2015"));
    m_ui->compiler->setText(buildNote());
    centreOnPrimaryScreen(this);
}

// Closing a window other than the main window hides it: the box, its texts and its place stay.
void TProgDetails::Button1Click()
{
    close();
}

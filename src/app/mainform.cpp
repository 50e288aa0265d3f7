#include "app/mainform.h"

#include "app/photograph.h"
#include "shell/centring.h"
#include "shell/localtext.h"
#include "shell/menubarkey.h"
#include "shell/messageboxes.h"
#include "shell/namedcombobox.h"
#include "platform/workdir.h"
#include "ui_mainform.h"
#include "version.h"

#include <QLayout>
#include <QRadioButton>

TMainForm *MainForm = nullptr;

// The resources live in a static library, which the linker would drop without this.
static void initResources()
{
    Q_INIT_RESOURCE(quarimo);
}

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent), m_ui(std::make_unique<Ui::TMainForm>())
{
    MainForm = this;
    initResources();
    installComboBoxNames();
    m_ui->setupUi(this);
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    m_ui->Image1->setPixmap(QPixmap::fromImage(decodedPhotograph()));
    m_ui->Panel4->hide();
    m_ui->List2->hide();
    m_ui->Dir001->setVolumes(m_ui->Drive001->volumes());
    // The client area below the menu bar is 446 x 637 and the border is fixed: the layout
    // fixes the window at the client area plus the menu bar's height as the style gives it.
    m_ui->centralwidget->setFixedSize(446, 637);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    // The design position, where the window stays when start-up fails before centring
    // (uic keeps only the size of a top-level window's geometry).
    move(289, 180);
    openMenuBarOnF10(this, m_ui->MainMenu1);
    wireHandlers();
    runHandler(this, [this] { FormCreate(); });
}

TMainForm::~TMainForm()
{
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::wireHandlers()
{
    Ui::TMainForm &u = *m_ui;
    const auto wire = [this](auto *control, auto signal, void (TMainForm::*handler)()) {
        connect(control, signal, this, [this, handler] { runHandler(this, [this, handler] { (this->*handler)(); }); });
    };
    // A radio button's handler runs when it becomes checked, by the user or by program, and only then.
    const auto wireChecked = [this](QRadioButton *button, auto handler) {
        connect(button, &QAbstractButton::toggled, this, [this, button, handler](bool checked) {
            if (checked)
                runHandler(this, [this, button, handler] { handler(this, button); });
        });
    };

    // The folder browser's three widgets know nothing of each other; their news meets here.
    // A volume picked moves the directory list, a folder it enters goes to the file list,
    // and the drive box follows the list onto another volume.
    connect(u.Drive001, &DriveComboBox::drivePicked, this, [this](const std::string &mountPoint) {
        runHandler(this, [this, mountPoint] { m_ui->Dir001->switchDrive(mountPoint); });
    });
    connect(u.Drive001, &DriveComboBox::volumesListed, u.Dir001, &DirectoryListBox::setVolumes);
    connect(u.Dir001, &DirectoryListBox::driveSwitched, u.Drive001, &DriveComboBox::followDrive);
    connect(u.Dir001, &DirectoryListBox::folderEntered, this, [this](const std::string &folder) {
        runHandler(this, [this, folder] { m_ui->File001->showFolder(folder); });
    });
    connect(u.Dir001, &DirectoryListBox::changed, this, [this] { runHandler(this, [this] { Dir001Change(); }); });
    wire(u.File001, &FileListBox::userClicked, &TMainForm::File001Click);
    wire(u.AllPics, &QPushButton::clicked, &TMainForm::AllPicsClick);
    wire(u.Rename, &QPushButton::clicked, &TMainForm::RenameClick);
    wireChecked(u.RadioButton1, [](TMainForm *form, QRadioButton *) { form->RadioButton1Click(); });
    wireChecked(u.RadioButton2, [](TMainForm *form, QRadioButton *) { form->RadioButton2Click(); });
    for (QRadioButton *rule : {u.bname00, u.bname01, u.bname02, u.bname03, u.bname04, u.bname05, u.bname06,
                               u.Bname07, u.Bname08, u.Bname09})
        wireChecked(rule, [](TMainForm *form, QRadioButton *sender) { form->Button(sender); });
    // A check box's handler runs on every change of its state, by the user or by program.
    wire(u.NumSuffix, &QCheckBox::toggled, &TMainForm::NumSuffixClick);
    wire(u.NumSuffix2, &QCheckBox::toggled, &TMainForm::NumSuffix2Click);
    wire(u.Startnums, &QCheckBox::toggled, &TMainForm::StartnumsClick);
    wire(u.Exit1, &QAction::triggered, &TMainForm::Exit1Click);
    wire(u.Canon1, &QAction::triggered, &TMainForm::Canon1Click);
    wire(u.Lumix1, &QAction::triggered, &TMainForm::Lumix1Click);
    wire(u.Help1, &QAction::triggered, &TMainForm::Help1Click);
    wire(u.OpenHelpfile1, &QAction::triggered, &TMainForm::OpenHelpfile1Click);
}

void InitSettings()
{
    TMainForm &form = *MainForm;
    form.m_options = OptionState{};
    form.m_settingsFilePath = platform::currentDirectory() + "/" + "quarimo.txt";
    form.setWindowTitle(QStringLiteral("Quarimo Version " QUARIMO_VERSION));
    form.m_startDirectory = platform::currentDirectory() + "/";
    Ui::TMainForm &u = *form.ui();
    for (auto [picker, text] : {std::pair{u.C1, "0"}, {u.C2, "0"}, {u.C3, "0"}, {u.C4, "1"}}) {
        for (int n = 0; n <= 9; ++n) {
            picker->addItem(QString::number(n));
            picker->setEditText(QString::fromLatin1(text));
        }
    }
}

void TMainForm::FormCreate()
{
    InitSettings();

    for (int i = 0; i <= 9; ++i) {
        const QString wanted = QStringLiteral("bname0") + QString::number(i);
        for (QRadioButton *button : findChildren<QRadioButton *>()) {
            if (button->objectName().compare(wanted, Qt::CaseInsensitive) == 0) {
                m_ruleButtons[i] = button;
                break;
            }
        }
    }
    m_ruleButtons[5]->setChecked(true);

    m_currentFolder = m_ui->File001->folder();
    if (platform::fileExists(m_settingsFilePath)) {
        LoadLastFolder();
        m_ui->Dir001->changeFolder(m_currentFolder);
    }
    m_ui->RadioButton1->setChecked(true);
    centreOnPrimaryScreen(this);
}

void TMainForm::Exit1Click()
{
    close();
}

void TMainForm::RadioButton1Click()
{
    m_options.dateFormat = 0;
}

void TMainForm::RadioButton2Click()
{
    m_options.dateFormat = 1;
}

void TMainForm::Button(QRadioButton *sender)
{
    m_options.namingMode = modeFromButtonName(localBytes(sender->objectName()));
    for (int i = 0; i <= 9; ++i) {
        if (i == m_options.namingMode)
            m_ruleButtons[i]->setChecked(true); // the sender itself: already checked, nothing happens
        else
            uncheckByProgram(m_ruleButtons[i]);
    }
}

void TMainForm::uncheckByProgram(QRadioButton *button)
{
    if (!button->isChecked())
        return;
    // An auto-exclusive button refuses to be unchecked; lift that for the moment. Nothing
    // listens for the change to unchecked, so no handler runs.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

void TMainForm::NumSuffixClick()
{
    m_options.numberSuffix = 0;
    if (m_ui->NumSuffix->isChecked())
        m_options.numberSuffix = 1;
}

void TMainForm::NumSuffix2Click()
{
    m_options.numbersAfterText = 0;
    if (m_ui->NumSuffix2->isChecked())
        m_options.numbersAfterText = 1;
}

void TMainForm::StartnumsClick()
{
    const bool checked = m_ui->Startnums->isChecked();
    m_ui->C1->setEditText(QStringLiteral("0"));
    m_ui->C2->setEditText(QStringLiteral("0"));
    m_ui->C3->setEditText(QStringLiteral("0"));
    m_ui->C4->setEditText(QStringLiteral("1"));
    m_ui->Panel4->setVisible(checked);
}

int32_t TMainForm::StartNumber(int width)
{
    const QComboBox *pickers[4] = {m_ui->C1, m_ui->C2, m_ui->C3, m_ui->C4};
    for (int i = 0; i < 4; ++i) {
        const QString text = pickers[i]->currentText();
        if (text != m_pickerTexts[i]) { // a null and an empty text both have no bytes
            m_pickerBytes[i] = localBytes(text);
            m_pickerTexts[i] = text;
        }
    }
    m_options.startNumber = startNumberFromPickers(width, m_pickerBytes);
    return m_options.startNumber;
}

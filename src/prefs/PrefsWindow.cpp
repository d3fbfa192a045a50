#include "prefs/PrefsWindow.h"

#include "mainwindow/Window1.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "texenv/TexEnv.h"
#include "ui/SingleWindow.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace qlk {

PrefsWindow* PrefsWindow::instance()
{
    return singleWindow<PrefsWindow>();
}

int PrefsWindow::showModal()
{
    return dialogs().runModal(instance());
}

PrefsWindow::PrefsWindow()
{
    setWindowTitle(QStringLiteral("Preferences"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setModal(true);
    setMinimumSize(64, 64);

    CheckBox3 = new QCheckBox(QStringLiteral("Ignore updmap.cfg option settings at start-up."), this);
    CheckBox3->setToolTip(QStringLiteral("Don't check during startup"));

    GroupBox1 = new QGroupBox(QStringLiteral("Preferred font package installation method"), this);
    RadioButton1[0] = new QRadioButton(QStringLiteral("Install in home folder."), GroupBox1);
    RadioButton1[1] = new QRadioButton(QStringLiteral("Systemwide install in texmf-local."), GroupBox1);
    auto* methods = new QVBoxLayout(GroupBox1);
    for (int i = 0; i < 2; ++i) {
        methods->addWidget(RadioButton1[i]);
        connect(RadioButton1[i], &QRadioButton::clicked, this, [this, i] { RadioButton1_Action(i); });
    }

    StaticText5 = new QLabel(
        QStringLiteral("If home folder option is chosen, process using updmap---if you have administrative "
                       "privileges, sudo -H updmap-sys will also be invoked. This may lead to a more complex "
                       "setup.\n"
                       "Systemwide installation is best because it produces the simplest configuration, but "
                       "requires that you install all your font map files in TEXMFLOCAL. Process using sudo -H "
                       "updmap-sys as long as there is no home version of updmap.cfg. If there is, fall back to "
                       "the first option."),
        this);
    StaticText5->setWordWrap(true);

    Label2 = new QLabel(
        QStringLiteral("Choose an external editor. One that can authenticate (eg, Kate) works best."), this);
    TextField1 = new QLineEdit(this);

    GroupBox2 = new QGroupBox(QStringLiteral("Invoking sudo commands"), this);
    RadioButton2[0] =
        new QRadioButton(QStringLiteral("After authentication, run in a non-interactive shell"), GroupBox2);
    RadioButton2[1] = new QRadioButton(
        QStringLiteral("Run interactively in a terminal window, showing each command and its output "
                       "(recommended)"),
        GroupBox2);
    auto* sudo = new QVBoxLayout(GroupBox2);
    sudo->addWidget(RadioButton2[0]);
    sudo->addWidget(RadioButton2[1]);

    CheckBox2 = new QCheckBox(QStringLiteral("Use supplier name Fontsite, not Softmaker"), this);

    Label1 = new QLabel(QStringLiteral("Path to your otftotfm:"), this);
    TextField3 = new QLineEdit(this);
    TextField3->setToolTip(QStringLiteral("normally ") + texProgram(QStringLiteral("otftotfm")));

    PushButton2 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton2->setAutoDefault(false);
    PushButton1 = new QPushButton(QStringLiteral("Save"), this);
    PushButton1->setDefault(true);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });

    auto* editorRow = new QHBoxLayout;
    editorRow->addWidget(Label2, 1);
    editorRow->addWidget(TextField1);
    TextField1->setMinimumWidth(159);

    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(Label1);
    bottomRow->addWidget(TextField3, 1);
    bottomRow->addSpacing(40);
    bottomRow->addWidget(PushButton2);
    bottomRow->addWidget(PushButton1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckBox3);
    layout->addWidget(GroupBox1);
    layout->addWidget(StaticText5);
    layout->addLayout(editorRow);
    layout->addWidget(GroupBox2);
    layout->addWidget(CheckBox2);
    layout->addLayout(bottomRow);
    layout->addStretch();
    // As wide as before, as high as the content at that width (the long
    // text wraps): no empty space below the buttons.
    const int width = 754;
    resize(width, layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : sizeHint().height());

    Event_Open();
}

void PrefsWindow::Event_Open()
{
    load();
}

void PrefsWindow::load()
{
    int method = prefMethod();
    if (!isAdmin) {
        // Only administrators may install systemwide.
        RadioButton1[1]->hide();
        StaticText5->hide();
        method = 0;
    }
    RadioButton1[method]->setChecked(true);
    if (haspref(QStringLiteral("ignoreupdmap")))
        CheckBox3->setChecked(prefInt(QStringLiteral("ignoreupdmap")) == 1);
    TextField1->setText(prefText(QStringLiteral("editor")));
    TextField3->setText(prefText(QStringLiteral("otftotfm")));
    RadioButton2[qBound(0, prefInt(QStringLiteral("sudo")), 1)]->setChecked(true);
    CheckBox2->setChecked(prefInt(QStringLiteral("useFontsite")) == 1);
}

void PrefsWindow::save()
{
    setpref(QStringLiteral("ignoreupdmap"), CheckBox3->isChecked() ? 1 : 0);
    const int method = RadioButton1[0]->isChecked() ? 0 : 1;
    setpref(QStringLiteral("method"), method);
    personalInstall = method == 0;
    setpref(QStringLiteral("editor"), TextField1->text().trimmed());
    setpref(QStringLiteral("otftotfm"), TextField3->text().trimmed());
    setpref(QStringLiteral("sudo"), RadioButton2[0]->isChecked() ? 0 : 1);
    setpref(QStringLiteral("useFontsite"), CheckBox2->isChecked() ? 1 : 0);
    Window1::instance()->Setcaption();
    saveprefs();
}

void PrefsWindow::RadioButton1_Action(int)
{
}

void PrefsWindow::PushButton1_Action()
{
    save();
    accept();
}

void PrefsWindow::PushButton2_Action()
{
    reject();
}

} // namespace qlk

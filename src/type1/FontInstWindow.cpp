#include "type1/FontInstWindow.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/PackageTest.h"
#include "mainwindow/OverwriteConfirm.h"
#include "mainwindow/TdsInstall.h"
#include "mainwindow/TdsLayout.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/DropCheck.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/FinishInstall.h"
#include "platform/Dialogs.h"
#include "prefs/PrefsStore.h"
#include "texenv/TexEnv.h"
#include "type1/FontinstMake.h"
#include "type1/FontinstProcess.h"
#include "ui/SingleWindow.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>

namespace qlk {

namespace {
QPushButton* button(const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    return b;
}

QLabel* label(const QString& caption, QWidget* parent)
{
    return new QLabel(caption, parent);
}
} // namespace

FontInstWindow* FontInstWindow::instance()
{
    return singleWindow<FontInstWindow>();
}

FontInstWindow::FontInstWindow()
{
    setWindowTitle(QStringLiteral("Fontinst Helper"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(64, 64);
    resize(753, 484);

    const QString bullet = QStringLiteral("\u2022 ");
    StaticText1 = label(
        bullet +
            QStringLiteral("The tools available in this window allow you to automate the fontinst \\latinfamily macro, "
                           "which creates virtual fonts and their support files for a sufficiently regular collection "
                           "of text fonts and variant forms. For more complex situations, search your disk for help "
                           "files named \"fontinstallationguide.pdf\", \"typeface.map\" and \"fontinst.pdf\".\n") +
            bullet +
            QStringLiteral("For each typeface (ie, regular font plus some variants like italic, bold, etc), you need "
                           "to have in hand the PostScript font files in .pfb or .pfa format, and the corresponding "
                           "metric .afm files. For Adobe fonts, the AFM files are downloadable using the "
                           "Info > Adobe AFMs menu item.\n") +
            bullet +
            QStringLiteral("Drag fonts (pfb, pfa) and metric AFM files for the fontface into the listbox below. (You "
                           "may alternatively drag one or more folders containing these items---folders are "
                           "flattened before processing.)\n") +
            bullet +
            QStringLiteral("Press Process to prepare and run fontinst, Make to run fontinst utilities and make a "
                           "TDS,  Install to finish.\n"),
        this);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    PushButton1 = button(QStringLiteral("Explain"), this);
    TextField1[1] = new QLineEdit(this);
    StaticText2 = label(QStringLiteral("Font family name"), this);
    PushButton2 = button(QStringLiteral("Install"), this);
    PushButton3 = button(QStringLiteral("Process"), this);
    TextField1[0] = new QLineEdit(this);
    StaticText3 = label(QStringLiteral("Font supplier or foundry"), this);
    TextField2 = new QLineEdit(this);
    TextField2->setReadOnly(true);
    TextField2->setStyleSheet(QStringLiteral("color: #792401"));
    GroupBox1 = new QGroupBox(QStringLiteral("Install Location"), this);
    RadioButton2[1] = new QRadioButton(QStringLiteral("Home texmf"), GroupBox1);
    RadioButton2[1]->setToolTip(texmfHome);
    RadioButton2[0] = new QRadioButton(QStringLiteral("System texmflocal"), GroupBox1);
    RadioButton2[0]->setToolTip(texmfLocal);
    StaticText4 = label(QStringLiteral("Berry family prefix"), this);
    TextField3 = new QLineEdit(this);
    TextField3->setToolTip(QStringLiteral("3 letter code,. Eg, por"));
    Listbox1 = new ExamineList({}, {100}, this);
    Listbox1->onDrop = [this](const QStringList& paths) { Listbox1_DropObject(paths); };
    PushButton4 = button(QStringLiteral("Make"), this);
    CheckBox2 = new QCheckBox(QStringLiteral("Monowidth"), this);
    PushButton5 = button(QStringLiteral("Test"), this);

    for (int i = 0; i < 2; ++i) {
        TextField1[i]->setObjectName(QStringLiteral("TextField1(%1)").arg(i));
        RadioButton2[i]->setObjectName(QStringLiteral("RadioButton2(%1)").arg(i));
    }
    // Positions inside the group box.
    RadioButton2[0]->setGeometry(352 - 347, 415 - 386, 139, 20);
    RadioButton2[1]->setGeometry(495 - 347, 415 - 386, 112, 20);
    PushButton2->setEnabled(false);
    PushButton3->setEnabled(false);
    PushButton4->setEnabled(false);

    QWidget* order[] = {StaticText1, PushButton1, TextField1[1], PushButton2, PushButton3, TextField1[0],
                        TextField2,  RadioButton2[1], RadioButton2[0], TextField3, Listbox1, PushButton4,
                        CheckBox2,   PushButton5};
    for (size_t i = 1; i < sizeof order / sizeof *order; ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Action(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Action(); });
}

void FontInstWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    // The list and the instructions grow with the window; the controls
    // below the list keep their distance from the bottom edge.
    const int b = h - 484;
    StaticText1->setGeometry(6, 5, qMax(20, w - 12), 161);
    Listbox1->setGeometry(14, 172, qMax(20, w - 28), qMax(20, 141 + b));
    TextField2->setGeometry(16, 325 + b, qMax(20, w - 32), 22);
    PushButton1->setGeometry(14, 410 + b, 70, 20);
    TextField1[1]->setGeometry(192, 383 + b, 133, 22);
    StaticText2->setGeometry(14, 385 + b, 158, 20);
    PushButton2->setGeometry(671, 355 + b, 66, 20);
    PushButton3->setGeometry(520, 355 + b, 71, 20);
    TextField1[0]->setGeometry(192, 355 + b, 133, 22);
    StaticText3->setGeometry(14, 357 + b, 166, 20);
    GroupBox1->setGeometry(347, 386 + b, 260, 60);
    StaticText4->setGeometry(344, 355 + b, 118, 20);
    TextField3->setGeometry(470, 354 + b, 40, 22);
    PushButton4->setGeometry(603, 355 + b, 56, 20);
    CheckBox2->setGeometry(192, 413 + b, 133, 20);
    PushButton5->setGeometry(14, 439 + b, 70, 20);
}

void FontInstWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Event_Activate();
}

void FontInstWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Event_Activate();
}

void FontInstWindow::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    initwin();
}

void FontInstWindow::initwin()
{
    Listbox1->deleteAllRows();
    TextField1[0]->clear();
    TextField1[1]->clear();
    TextField2->clear();
    TextField3->clear();
    PushButton2->setEnabled(false);
    PushButton3->setEnabled(false);
    PushButton4->setEnabled(false);
    const int method = prefInt(QStringLiteral("method"));
    if (method == 1) {
        RadioButton2[0]->setEnabled(true);
        RadioButton2[1]->setEnabled(false);
        RadioButton2[0]->setChecked(true);
    } else if (method == 0) {
        RadioButton2[0]->setEnabled(false);
        RadioButton2[1]->setEnabled(true);
        RadioButton2[1]->setChecked(true);
    }
}

QString FontInstWindow::explanation()
{
    return QStringLiteral("Drop a folder of afm and pfb.pfa files (or loose files) onto the listbox. Press Process to "
                          "construct fontinst scripts using the \\latinfamily macro.\n"
                          "For best results, the files should be renamed using correct Berry names so that fontinst "
                          "knows what they contain. Press make if Process was successful---this runs the fontinst "
                          "scripts.\n"
                          "Install copies the files into the tree chosen under Install Location: System texmflocal "
                          "through sudo, followed by sudo mktexlsr; Home texmf as you. The maps are then enabled with "
                          "sudo -H updmap-sys when you are an administrator, and with updmap-user (as you, without "
                          "sudo) when the Preferences choose installing in the home folder.");
}

void FontInstWindow::PushButton1_Action()
{
    msgBox(explanation());
}

void FontInstWindow::PushButton2_Action()
{
    install();
}

void FontInstWindow::PushButton3_Action()
{
    process();
}

void FontInstWindow::PushButton4_Action()
{
    Make();
}

void FontInstWindow::PushButton5_Action()
{
    Test();
}

void FontInstWindow::Listbox1_DropObject(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    // The files' base names become fontinst's and TeX's font names.
    const QString problem = dropProblem(paths, DropRules{{QStringLiteral(".afm"), QStringLiteral(".pfb"),
                                                          QStringLiteral(".pfa"), QStringLiteral(".tfm")},
                                                         true, true});
    if (!problem.isEmpty()) {
        msgBox(problem);
        showWindow(this);
        return;
    }
    for (const QString& path : paths)
        YFolder(job, path);
    PushButton3->setEnabled(true);
    Listbox1->deleteAllRows();
    sortJobLists(job);
    for (const QString& row : jobRows(job))
        Listbox1->addRow({row});
    const NameProposal names = proposeNames(job);
    if (names.ok) {
        TextField3->setText(names.prefix);
        TextField1[0]->setText(names.supplier);
        TextField1[1]->setText(names.family);
    }
    // The drop came from another program: bring this window forward.
    showWindow(this);
}

bool FontInstWindow::process()
{
    ProcessView view;
    view.setStatus = [this](const QString& text) {
        TextField2->setText(text);
        TextField2->repaint();
    };
    view.setFields = [this](const QString& prefix, const QString& supplier, const QString& family) {
        TextField3->setText(prefix);
        TextField1[0]->setText(supplier);
        TextField1[1]->setText(family);
        repaint();
    };
    if (!processFamily(job, TextField3->text(), CheckBox2->isChecked(), view))
        return false;
    PushButton4->setEnabled(true);
    repaint();
    return true;
}

bool FontInstWindow::Make()
{
    MakeView view;
    view.appendStatus = [this](const QString& text) {
        TextField2->setText(TextField2->text() + text);
        TextField2->repaint();
    };
    const MakeInput input{TextField1[0]->text(), TextField1[1]->text(), TextField3->text()};
    if (!makeFamily(job, input, tdsFolder, view))
        return false;
    PushButton2->setEnabled(true);
    return true;
}

bool FontInstWindow::install()
{
    auto status = [this](const QString& text) {
        TextField2->setText(text);
        TextField2->repaint();
    };
    status(QString());
    const QString work = tdsFolder;
    if (work.isEmpty()) {
        msgBox(QStringLiteral("There is no work folder: press Process and Make first."));
        return false;
    }
    if (!QFileInfo(work).isDir()) {
        msgBox(displayPath(work) + QStringLiteral(": No such folder."));
        return false;
    }
    const QString tds = QDir(work).filePath(QStringLiteral("TDS"));
    if (!QFileInfo(tds).isDir()) {
        msgBox(displayPath(work) + QStringLiteral("/TDS: No such folder."));
        return false;
    }
    const bool system = RadioButton2[0]->isChecked();
    if (!system && !RadioButton2[1]->isChecked()) {
        msgBox(QStringLiteral("Choose an install location first: System texmflocal or Home texmf."));
        return false;
    }
    status(QStringLiteral("Starting dry run to check for overwritten items."));
    const QString target = system ? texmfLocal : texmfHome;
    if (!system)
        QDir().mkpath(target); // the personal tree may not have been made yet

    scanTDS();
    if (!checkCopyTree(tds, target)) {
        status(QStringLiteral("Dry run failed"));
        return false;
    }
    if (overwriteFiles.isEmpty()) {
        status(QStringLiteral("No files will be overwritten"));
    } else if (!confirmOverwrite(overwriteFiles)) {
        msgBox(QStringLiteral("No files were copied"));
        status(QStringLiteral("No files installed."));
        return false;
    }

    runShell(zipTreeCommand(tds));
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("Error zipping subfolders of ") + tds + QStringLiteral(". Errorcode=") +
               QString::number(lastShell.errorCode));
        return false;
    }
    const QString unzip = unzipTreeCommand(tds, target, system);
    int code = 0;
    if (system) {
        status(QStringLiteral("Sending copy commands to shell"));
        code = runAsRoot(unzip);
        status(QString());
    } else {
        runShellQuiet(unzip);
        code = lastShell.errorCode;
    }
    if (code != 0) {
        msgBox(QStringLiteral("Error unzipping TDS. Errorcode=") + QString::number(code));
        status(QStringLiteral("Aborting due to unzipping error"));
        return false;
    }
    // The unpack has ended (the root route waits): the tree may go now.
    if (system && askYesNo(QStringLiteral("Delete temporary TDS folder?")))
        runShell(shellQuote(systemProgram(QStringLiteral("rm"))) + QStringLiteral(" -Rf -- ") + shellQuote(tds));
    // Enables the package map and rescans the set-up for both trees. A map
    // that did not take effect is no finished install.
    if (finishInstall(prefInt(QStringLiteral("method"))))
        status(system ? QStringLiteral("Installation finished") : QStringLiteral("Done"));
    else
        status(lastInstallStatus);
    // The rescan brought the main window forward; the outcome is shown here.
    showWindow(this);
    return true;
}

void FontInstWindow::Test()
{
    bool several = false;
    const QString map = testMapName(texmfVar, job.family, &several);
    if (several) {
        msgBox(QStringLiteral("Bailing out---there is more than one map file in texmfvar. Clean out texmfvar and "
                              "start over."));
        return;
    }
    testPackage(job.berryname, job.family, map, 1, false);
}

} // namespace qlk

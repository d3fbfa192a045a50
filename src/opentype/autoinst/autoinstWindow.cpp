#include "opentype/autoinst/autoinstWindow.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/OtfInfo.h"
#include "fontinfo/PackageTest.h"
#include "opentype/autoinst/AutoinstRun.h"
#include "opentype/common/PackageSwap.h"
#include "opentype/common/OtfReaders.h"
#include "opentype/common/OtfTemplate.h"
#include "opentype/common/Postflight.h"
#include "opentype/common/SupportFiles.h"
#include "opentype/otfinst/OtfinstScript.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/DropCheck.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/FinishInstall.h"
#include "texenv/TexEnv.h"
#include "ui/SingleWindow.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

namespace qlk {

autoinstWindow* autoinstWindow::instance()
{
    return singleWindow<autoinstWindow>();
}

autoinstWindow::autoinstWindow()
{
    setWindowTitle(QStringLiteral("autoinst Window"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(64, 64);
    setMaximumSize(32000, 32000);
    designSize = QSize(678, 525);
    resize(designSize);

    StaticText1 = new QLabel(
        QStringLiteral("• This window provides an interface to the autoinst PERL script with which a family of otf or ttf "
                       "fonts may be transformed into a family of TeX fonts, complete with vf, tfm, enc, map, fd and sty "
                       "file. Autoinst is a more capable script than otfinst. This program builds the script's command "
                       "line from the entries made below. \n"
                       "• The scale factor affects only the .sty file. The value -1 will match the XHeight to CMR, -2 to "
                       "Times. \n"
                       "• Create a folder containing only a family of otf or ttf files, drop the folder on the listbox "
                       "below and fill out the required information. After editing, press \"Run autoinst\" to run the "
                       "script in a terminal window, \"Install\" moves the resulting files into your preferred texmf "
                       "tree, and \"updmap\" finishes the job.\n"
                       "• The default setup in the sty file is as the main (usually Roman) text font. Checking Sans "
                       "serif or Typewriter under Usage changes this default."),
        this);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(StaticText1, 4, 4, 670, 169, Left | Top | Right);

    makeFontList(QRect(2, 178, 672, 177), QStringLiteral("Drop folder of otf fonts here"));
    Listbox1->onDrop = [this](const QStringList& paths) { Listbox1_DropObject(paths); };

    auto label = [this](const QString& text, int x, int y, int w, int h) {
        auto* l = new QLabel(text, this);
        place(l, x, y, w, h, Left | Bottom);
        return l;
    };
    auto field = [this](const QString& help, int x, int y, int w, int h) {
        auto* f = new QLineEdit(this);
        f->setToolTip(help);
        place(f, x, y, w, h, Left | Bottom);
        return f;
    };

    PushButton1 = addButton("Run autoinst", 567, 433, 94, 19, Right | Bottom);
    PushButton2 = addButton("Install", 567, 467, 94, 19, Right | Bottom);
    PushButton3 = addButton("updmap", 567, 499, 94, 19, Right | Bottom);
    StaticText2 = label(QStringLiteral("Encoding(s):"), 3, 365, 83, 20);
    const char* encodings[3] = {"OT1", "T1+TS1", "LY1"};
    const QRect boxes[3] = {QRect(83, 366, 51, 20), QRect(135, 365, 74, 20), QRect(214, 365, 50, 20)};
    for (int i = 0; i < 3; ++i) {
        CheckBox1[i] = new QCheckBox(QString::fromLatin1(encodings[i]), this);
        place(CheckBox1[i], boxes[i].x(), boxes[i].y(), boxes[i].width(), boxes[i].height(), Left | Bottom);
    }
    StaticText3 = label(QStringLiteral("Scale factor:"), 279, 365, 83, 20);
    TextField1 = field(QStringLiteral("Will be applied if not blank and different from 1.0"), 359, 362, 48, 22);
    StaticText4 = label(QStringLiteral("Typeface family name:"), 4, 446, 146, 20);
    TextField2 = field(QString(), 153, 444, 256, 22);
    StaticText7 = label(QStringLiteral("Vendor:"), 4, 472, 52, 20);
    TextField5 = field(QStringLiteral("Leave blank to accept value from otf"), 57, 470, 111, 22);
    StaticText8 = label(QStringLiteral("Log: "), 4, 499, 33, 20);
    CheckBox2 = new QCheckBox(QStringLiteral("PostScript flavored"), this);
    place(CheckBox2, 179, 471, 139, 20, Left | Bottom);
    CheckBox2->setEnabled(false);
    StaticText9 = label(QString(), 411, 363, 261, 20);
    StaticText9->setStyleSheet(QStringLiteral("color: #B0006C;"));
    StaticText10 = label(QString(), 41, 499, 366, 20);
    PushButton6 = addButton("Test", 334, 470, 75, 20, Left | Bottom);
    // Once the window has written to the log, its label follows the file.
    connect(&logWatch(), &LogWatch::moved, StaticText10, [this] {
        if (!StaticText10->text().isEmpty())
            StaticText10->setText(logPath());
    });
    // The radio buttons keep their places inside the group box.
    GroupBox1 = new QGroupBox(QStringLiteral("Usage"), this);
    place(GroupBox1, 419, 418, 132, 101, Left | Bottom);
    RadioButton1 = new QRadioButton(QStringLiteral("Roman text"), GroupBox1);
    RadioButton1->setGeometry(11, 21, 100, 20);
    RadioButton2 = new QRadioButton(QStringLiteral("Sans serif"), GroupBox1);
    RadioButton2->setGeometry(11, 48, 100, 20);
    RadioButton3 = new QRadioButton(QStringLiteral("Typewriter"), GroupBox1);
    RadioButton3->setGeometry(11, 74, 100, 20);
    PopupMenu1 = new QComboBox(this);
    PopupMenu1->addItems({QStringLiteral("regular"), QStringLiteral("light"), QStringLiteral("medium")});
    place(PopupMenu1, 109, 417, 88, 20, Left | Bottom);
    PopupMenu2 = new QComboBox(this);
    PopupMenu2->addItems({QStringLiteral("bold"), QStringLiteral("semibold"), QStringLiteral("demibold"),
                          QStringLiteral("extrabold"), QStringLiteral("black"), QStringLiteral("extrablack"),
                          QStringLiteral("heavy"), QStringLiteral("ultrabold"), QStringLiteral("ultrablack")});
    place(PopupMenu2, 309, 417, 101, 20, Left | Bottom);
    Label1 = label(QStringLiteral("Regular means:"), 4, 417, 98, 20);
    Label2 = label(QStringLiteral("Bold means:"), 223, 417, 82, 20);
    Label3 = label(QStringLiteral("Abbreviated prefix for encoding files:"), 4, 392, 237, 20);
    Label3->setToolTip(QStringLiteral("If not blank, replace the prefix in encoding file names with this"));
    TextField6 = field(QString(), 257, 390, 48, 22);
    Label4 = label(QStringLiteral("Replace sty with:"), 317, 392, 113, 20);
    TextField7 = field(QStringLiteral("If not blank, replace generated sty with this file"), 435, 391, 239, 22);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Action(); });

    Event_Open();
}

void autoinstWindow::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    CheckBox1[1]->setChecked(true);
}

// A log this window opened in its font folder goes back to the
// application's own; only what Test copied into TEXMFVAR is removed, not
// updmap-user's maps or other tools' files there.
void autoinstWindow::Event_Close()
{
    if (!fontfolder.isEmpty() && logPath() == QDir(fontfolder).filePath(QStringLiteral("QLKlogfile.txt"))) {
        closeLog();
        openLog(homeFolder());
    }
    if (hasvar)
        removeTestCopy(testCopy_);
    testCopy_.clear();
}

void autoinstWindow::setStatus(const QString& text)
{
    StaticText9->setText(text);
    StaticText9->repaint();
}

bool autoinstWindow::ImportPieces()
{
    if (hasFilesOfType(fontfolder, QStringLiteral("otf")) || hasFilesOfType(fontfolder, QStringLiteral("ttf")))
        return true;
    msgBox(QStringLiteral("There are no .otf or .ttf files in the folder you dropped."));
    return false;
}

void autoinstWindow::Listbox1_DropObject(const QStringList& paths)
{
    StaticText10->setText(QString());
    if (!takeDroppedFolder(paths, autoinstEndings()))
        return;
    if (!acceptOs2Tables({QStringLiteral(".otf"), QStringLiteral(".ttf")})) {
        fontfolder.clear();
        return;
    }

    // Never into another window's work folder.
    returnLog();
    openLog(fontfolder);
    logLine(QStringLiteral("%%%%%% new program run %%%"));
    StaticText10->setText(logPath());
    logLine(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    logLine(QStringLiteral("Dropped font folder ") + fontfolder);

    logLine(QStringLiteral("%%Looking for .otf and .ttf files---"));
    listFontFiles({QStringLiteral(".otf"), QStringLiteral(".ttf")});
    if (!fontfilename.isEmpty())
        isotf = fontfilename.first().endsWith(QLatin1String(".otf"), Qt::CaseInsensitive);

    logLine(QStringLiteral("%% end of font list"));
    if (fontfilename.isEmpty())
        return;

    readFamilyNames();
    if (vendor.isEmpty())
        vendor = QStringLiteral("public");
    TextField2->setText(fontfamily);
    TextField5->setText(vendor);

    isPS = otfHasCff(runShell(otfinfoCommand(fontfolder, QStringLiteral("-qt"), fontfilename.first())));
    CheckBox2->setChecked(isPS);

    PushButton1->setEnabled(true);
    RadioButton1->setChecked(true);
    setStatus(QStringLiteral("Ready to run autoinst"));
}

void autoinstWindow::wipetexmf()
{
    const QString texmf = fontfolder + QStringLiteral("/texmf");
    for (const QFileInfo& entry : QDir(texmf).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.absoluteFilePath()).removeRecursively();
        else
            QFile::remove(entry.absoluteFilePath());
    }
}

void autoinstWindow::PushButton1_Action()
{
    returnLog();
    // The texmf folder is emptied for the new output: until the run has made
    // a whole package there is nothing to install or test.
    PushButton2->setEnabled(false);
    PushButton3->setEnabled(false);
    PushButton6->setEnabled(false);
    if (fontfolder.isEmpty()) {
        msgBox(QStringLiteral("There is no font folder: drop the folder of fonts on the list again."));
        return;
    }
    vendor = TextField5->text().trimmed();
    if (vendor.isEmpty()) {
        msgBox(QStringLiteral("Empty vendor name. Bailing out."));
        return;
    }
    vendor.remove(QLatin1Char(' '));
    if (!isAutoinstName(vendor)) {
        msgBox(QStringLiteral("The vendor name may hold only letters, digits, \"-\" and \"_\"."));
        return;
    }
    logLine(QStringLiteral("Using vendor name: ") + vendor);
    fontfamily = TextField2->text().trimmed();
    if (fontfamily.isEmpty()) {
        msgBox(QStringLiteral("Empty fontfamily name. Bailing out."));
        return;
    }
    fontfamily.remove(QLatin1Char(' '));
    TextField2->setText(fontfamily);
    if (!isAutoinstName(fontfamily)) {
        msgBox(QStringLiteral("The family name may hold only letters, digits, \"-\" and \"_\"."));
        return;
    }
    logLine(QStringLiteral("Using family name: ") + fontfamily);
    shortname = fontfamily;
    AutoinstChoices choices;
    choices.encodings =
        otfinstEncodings(CheckBox1[0]->isChecked(), CheckBox1[1]->isChecked(), CheckBox1[2]->isChecked());
    if (choices.encodings.isEmpty()) {
        msgBox(QStringLiteral("You must select at least one encoding"));
        return;
    }
    logLine(QStringLiteral("Using encodings=") + choices.encodings.join(QLatin1Char(',')));

    // Everything the edits after the run need is checked first, so that no
    // file is left half edited.
    const QString replacement = TextField7->text().trimmed();
    if (!replacement.isEmpty() && !QFileInfo(replacement).isFile()) {
        msgBox(QStringLiteral("The replacement sty file ") + replacement + QStringLiteral(" does not exist."));
        return;
    }
    const QString prefix = TextField6->text().trimmed();
    if (!prefix.isEmpty() && !QRegularExpression(QStringLiteral("^[A-Za-z0-9]+$")).match(prefix).hasMatch()) {
        msgBox(QStringLiteral("The prefix for encoding files may hold only letters and digits."));
        return;
    }
    QString factor = scaleText(TextField1->text().trimmed());
    if (factor == QLatin1String("-1") || factor == QLatin1String("-2")) {
        factor = Computesf(factor.mid(1).toInt());
        TextField1->setText(factor);
    }
    if (!QRegularExpression(QStringLiteral("^(\\d+\\.?\\d*|\\.\\d+)$")).match(factor).hasMatch() ||
        factor.toDouble() <= 0.0) {
        msgBox(QStringLiteral("The scale factor must be a positive decimal number, or -1 or -2."));
        return;
    }

    noteMissingEncodings(choices.encodings);

    PushButton1->setEnabled(true);
    installed = false;
    setStatus(QStringLiteral("Running autoinst"));
    repaint();
    // Every way out below but the last is a failure the status must not hide.
    bool ran = false;
    const auto runStatus = qScopeGuard([&] {
        if (!ran)
            setStatus(QStringLiteral("The autoinst run failed"));
    });

    // The folder may have changed since the drop, and the glob takes
    // whatever it holds now.
    if (const QString problem = dropProblem({fontfolder}, DropRules{autoinstEndings()}); !problem.isEmpty()) {
        logLine(problem);
        msgBox(problem);
        setStatus(QString());
        return;
    }
    wipetexmf();
    choices.vendor = vendor;
    choices.family = fontfamily;
    choices.usage = RadioButton2->isChecked() ? 1 : RadioButton3->isChecked() ? 2 : 0;
    choices.regularWeight = PopupMenu1->currentText();
    choices.boldWeight = PopupMenu2->currentText();
    choices.isotf = isotf;
    logLine(QStringLiteral("Fonts and support files being written to ") + fontfolder + QStringLiteral("/texmf"));
    const int status = sudoterm({QStringLiteral("cd ") + shellQuote(fontfolder) + QStringLiteral(" && ") +
                                 autoinstCommandLine(choices)});
    if (status != 0) {
        QStringList logs = QDir(fontfolder).entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Time);
        const QString text = QStringLiteral("autoinst failed (exit status ") + QString::number(status) +
                             QStringLiteral(").") +
                             (logs.isEmpty() ? QString()
                                             : QStringLiteral(" See its log file ") + fontfolder + QLatin1Char('/') +
                                                   logs.first());
        logLine(text);
        msgBox(text);
        return;
    }

    const QString latex = fontfolder + QStringLiteral("/texmf/tex/latex/") + fontfamily;
    const SupportFiles files = readSupportFolder(latex);
    if (!files.folderHasItems) {
        msgBox(QStringLiteral("Bailing out! No support files found in ") + QFileInfo(fontfolder).fileName() +
               QStringLiteral("/texmf/tex/latex"));
        return;
    }
    QString verdict = judgeSupportFiles(files, shortname, QStringLiteral("font"));
    // autoinst ends with 0 also when otftotfm failed on every font: the
    // package must have what its .fd files name.
    if (verdict.isEmpty())
        verdict = autoinstOutputProblem(fontfolder + QStringLiteral("/texmf"), fontfamily, vendor);
    if (!verdict.isEmpty()) {
        logLine(verdict);
        msgBox(verdict);
        return;
    }

    const QString sty = latex + QLatin1Char('/') + shortname + QStringLiteral(".sty");
    QFile styFile(sty);
    if (!styFile.open(QIODevice::ReadOnly)) {
        msgBox(QStringLiteral("Cannot read ") + sty);
        return;
    }
    QString text = QString::fromUtf8(styFile.readAll());
    styFile.close();
    if (choices.usage != 0)
        text.replace(QStringLiteral("\\renewcommand*{\\familydefault}"), QStringLiteral("%\\renewcommand*{\\familydefault}"),
                     Qt::CaseInsensitive);
    if (factor != QLatin1String("1.0")) {
        bool changed = false;
        text = scaleStyText(text, fontfamily, factor, &changed);
        if (!changed) {
            const QString notice = QStringLiteral("The scale factor could not be put into ") + sty +
                                   QStringLiteral(": it has no scale setting this program knows. The file is left as "
                                                  "autoinst wrote it.");
            logLine(notice);
            msgBox(notice);
        }
    }
    if (!styFile.open(QIODevice::WriteOnly | QIODevice::Truncate) || styFile.write(text.toUtf8()) < 0) {
        msgBox(QStringLiteral("Cannot write ") + sty);
        return;
    }
    styFile.close();

    if (!replacement.isEmpty()) {
        const ProcessResult r = runBash(QStringLiteral("/bin/cp -Rfp -- ") + shellQuote(replacement) +
                                        QLatin1Char(' ') + shellQuote(latex + QLatin1Char('/')));
        if (r.exitCode != 0) {
            msgBox(QStringLiteral("Copying ") + replacement + QStringLiteral(" failed (exit status ") +
                   QString::number(r.exitCode) + QStringLiteral(")."));
            return;
        }
    }
    if (!prefix.isEmpty()) {
        const QString fonts = fontfolder + QStringLiteral("/texmf/fonts/");
        const QString mapFolder = entryNoCase(fonts + QStringLiteral("map/dvips"), fontfamily);
        const QString problem =
            prefixEncodingFiles(entryNoCase(fonts + QStringLiteral("enc/dvips"), fontfamily),
                                mapFolder + QLatin1Char('/') + fontfamily + QStringLiteral(".map"), prefix);
        if (!problem.isEmpty()) {
            msgBox(problem);
            return;
        }
    }

    ran = true;
    PushButton2->setEnabled(true);
    PushButton3->setEnabled(true);
    PushButton6->setEnabled(true);
    setStatus(QStringLiteral("Ready to run 'Test' or 'Install'"));
    repaint();
}

void autoinstWindow::PushButton2_Action()
{
    install();
}

void autoinstWindow::install()
{
    returnLog();
    installed = false;
    // updmap enables what this Install put in place, and nothing else.
    PushButton3->setEnabled(false);
    AutoinstInstallJob job;
    job.fontFolder = fontfolder;
    job.family = fontfamily;
    job.vendor = vendor;
    job.isotf = isotf;
    job.method = prefMethod();
    job.status = [this](const QString& text) { setStatus(text); };
    if (fontfolder.isEmpty()) {
        msgBox(QStringLiteral("There is no font folder: drop the folder of fonts on the list again."));
        return;
    }
    if (installAutoinstOutput(job))
        PushButton3->setEnabled(true);
    else
        setStatus(QStringLiteral("Install failed"));
}

void autoinstWindow::PushButton3_Action()
{
    returnLog();
    // The package came from the font folder's texmf: TEXMFVAR holds nothing
    // of it, and the other fonts' files there stay.
    setStatus(QStringLiteral("Running 'updmap'"));
    hasType1 = true;
    hasMF = false;
    hasTTF = false;
    hasMaps = true;
    tdsMaps = QStringList{shortname};
    if (finishInstall(prefMethod() >= 1 ? 1 : 0))
        setStatus(QStringLiteral("Finished 'updmap'"));
    else
        setStatus(lastInstallStatus);
    postflight();
}

void autoinstWindow::postflight()
{
    // The .sty Install copied, as Run autoinst left it.
    qlk::postflight(shortname, postflightTfmFolder(prefMethod(), vendor, shortname), true,
                    textEncodingOf(CheckBox1[0]->isChecked(), CheckBox1[1]->isChecked(), CheckBox1[2]->isChecked()),
                    fontfolder + QStringLiteral("/texmf/tex/latex/") + shortname + QLatin1Char('/') + shortname +
                        QStringLiteral(".sty"));
    installed = true;
}

void autoinstWindow::PushButton6_Action()
{
    // The new package is tested where autoinst wrote it, in place of the
    // permanent personal tree: nothing is copied into the trees, so that
    // nothing half copied can hide the installed package. An empty TEXMFVAR
    // goes with it: the personal pdftex.map there still names the installed
    // package's fonts with their renamed encodings, which the stage lacks.
    QTemporaryDir var;
    if (!var.isValid()) {
        msgBox(QStringLiteral("Cannot make a temporary folder for the test: ") + var.errorString());
        return;
    }
    const StagedTrees trees(fontfolder + QStringLiteral("/texmf"), var.path());
    int enc = 0;
    for (int i = 0; i < 3; ++i) {
        if (CheckBox1[i]->isChecked()) {
            enc = i;
            break;
        }
    }
    lastTestFolder = testPackage(fontfamily, fontfamily, fontfamily, enc, true);
}

} // namespace qlk

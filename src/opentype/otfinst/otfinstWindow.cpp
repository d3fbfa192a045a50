#include "opentype/otfinst/otfinstWindow.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/OtfInfo.h"
#include "opentype/common/OtfReaders.h"
#include "opentype/common/OtfTemplate.h"
#include "opentype/common/PackageSwap.h"
#include "opentype/otfinst/OtfinstInstall.h"
#include "opentype/otfinst/OtfinstScript.h"
#include "opentype/common/Postflight.h"
#include "fontinfo/PackageTest.h"
#include "texenv/FinishInstall.h"
#include "opentype/otfinst/OtherOptions.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"
#include "textview/TextWindow.h"
#include "ui/SingleWindow.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <memory>

namespace qlk {

otfinstWindow* otfinstWindow::instance()
{
    return singleWindow<otfinstWindow>();
}

otfinstWindow::otfinstWindow()
{
    setWindowTitle(QStringLiteral("oftinst Window"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(64, 64);
    designSize = QSize(676, 445);
    resize(designSize);

    const QString cr(QChar(13));
    StaticText1 = new QLabel(
        QStringLiteral("• This window provides an interface to the otfinst Python script with which a family of otf fonts "
                       "(PostScript flavor only) may be transformed into a family of TeX fonts, complete with vf, tfm, "
                       "enc, map, fd and sty file. This program modifies the script according to the entries made "
                       "below. ") +
            cr +
            QStringLiteral("• The scale factor affects only the .fd files. The value -1 will match the XHeight to CMR, -2 "
                           "to TR. ") +
            cr +
            QStringLiteral("• IMPORTANT: Clear out your impermanent personal tree (TEXMFVAR) first, using \"From "
                           "impermanent to permanent personal tree\" on the Install tab of the main window.") +
            cr +
            QStringLiteral("• Create a folder containing only a family of otf files, drop the folder on the listbox below "
                           "and fill out the required information. If the Berry name of the typeface is blank, you will "
                           "have to provide it to the program. (The menu item Info > Known fonts may be helpful.) After "
                           "editing, create the modified script(s) by pressing Prepare. \"Run otfinst\" causes each "
                           "script to run in a terminal window, \"Install\" moves the resulting files into your "
                           "preferred texmf tree, and \"updmap\" finishes the job."),
        this);
    // QLabel breaks lines at LF only.
    StaticText1->setText(StaticText1->text().replace(cr, QStringLiteral("\n")));
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(StaticText1, 4, 4, 668, 169, Left | Top | Right);

    makeFontList(QRect(2, 178, 670, 127), QStringLiteral("Drop folder of otf fonts above"));
    Listbox1->onDrop = [this](const QStringList& paths) { Listbox1_DropObject(paths); };

    auto label = [this](const QString& text, int x, int y, int w, int h, int edges) {
        auto* l = new QLabel(text, this);
        place(l, x, y, w, h, edges);
        return l;
    };
    auto field = [this](const QString& help, int x, int y, int w, int h, int edges) {
        auto* f = new QLineEdit(this);
        f->setToolTip(help);
        place(f, x, y, w, h, edges);
        return f;
    };

    PushButton1 = addButton("Run otfinst", 565, 364, 94, 19, Right | Bottom);
    PushButton2 = addButton("Install", 565, 391, 94, 19, Right | Bottom);
    PushButton3 = addButton("updmap", 565, 419, 94, 19, Right | Bottom);
    StaticText2 = label(QStringLiteral("Encoding(s):"), 3, 313, 83, 20, Left | Top);
    const char* encodings[3] = {"OT1", "T1+TS1", "LY1"};
    const QRect boxes[3] = {QRect(83, 314, 51, 20), QRect(135, 313, 74, 20), QRect(214, 313, 50, 20)};
    for (int i = 0; i < 3; ++i) {
        CheckBox1[i] = new QCheckBox(QString::fromLatin1(encodings[i]), this);
        place(CheckBox1[i], boxes[i].x(), boxes[i].y(), boxes[i].width(), boxes[i].height(), Left | Top);
    }
    StaticText3 = label(QStringLiteral("Scale factor:"), 279, 313, 83, 20, Left | Top);
    TextField1 = field(QStringLiteral("Will be applied if not blank and different from 1.0"), 359, 310, 48, 22, Left | Top);
    StaticText4 = label(QStringLiteral("Typeface family name:"), 4, 366, 146, 20, Left | Top);
    TextField2 = field(QString(), 153, 364, 256, 22, Left | Top);
    StaticText5 = label(QStringLiteral("Berry name:"), 419, 364, 78, 20, Left | Top);
    TextField3 = field(QStringLiteral("3 letter code"), 499, 364, 46, 22, Left | Top);
    StaticText6 = label(QStringLiteral("Folder (relative to texmfhome) for fd and sty files:"), 4, 339, 312, 20, Left | Top);
    TextField4 = field(QStringLiteral("eg, /tex/latex/<short name of font>/"), 321, 338, 224, 22, Left | Top);
    StaticText7 = label(QStringLiteral("Vendor:"), 4, 392, 52, 20, Left | Bottom);
    TextField5 = field(QStringLiteral("Leave blank to accept value from otf"), 57, 390, 111, 22, Left | Bottom);
    StaticText8 = label(QStringLiteral("Log: "), 4, 419, 33, 20, Left | Bottom);
    PushButton4 = addButton("Prepare", 565, 337, 94, 19, Right | Bottom);
    CheckBox2 = new QCheckBox(QStringLiteral("PostScript flavored"), this);
    place(CheckBox2, 179, 391, 146, 20, Right | Bottom);
    CheckBox2->setEnabled(false);
    StaticText9 = label(QString(), 411, 311, 261, 20, Left | Top);
    StaticText9->setStyleSheet(QStringLiteral("color: #B0006C;"));
    StaticText10 = label(QString(), 41, 419, 456, 20, Left | Bottom);
    PushButton5 = addButton("Other options", 429, 390, 116, 20, Left | Top);
    PushButton5->setVisible(false);
    PushButton6 = addButton("Test", 337, 390, 80, 20, Left | Bottom);
    // Once the window has written to the log, its label follows the file.
    connect(&logWatch(), &LogWatch::moved, StaticText10, [this] {
        if (!StaticText10->text().isEmpty())
            StaticText10->setText(logPath());
    });

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Action(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Action(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Action(); });

    Event_Open();
}

void otfinstWindow::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    CheckBox1[1]->setChecked(true);
    origpy = appFolder() + QStringLiteral("/otfinst.py");
    if (!QFileInfo(origpy).isFile()) {
        msgBox(QStringLiteral("The file otfinst.py was not found in the same file as this application. Cannot continue."));
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

// The log leaves the work folder with the window, back to where Prepare
// took it from: what other tools write goes to the application's own log.
void otfinstWindow::Event_Close()
{
    if (!srcfolder.isEmpty() && logPath() == QDir(srcfolder).filePath(QStringLiteral("QLKlogfile.txt")))
        returnLog();
}

void otfinstWindow::setStatus(const QString& text)
{
    StaticText9->setText(text);
    StaticText9->repaint();
}

bool otfinstWindow::ImportPieces()
{
    if (hasFilesOfType(fontfolder, QStringLiteral("otf")))
        return true;
    msgBox(QStringLiteral("There are no .otf files in the folder you dropped."));
    return false;
}

bool otfinstWindow::parsepy()
{
    QFile file(origpy);
    if (!file.open(QIODevice::ReadOnly)) {
        msgBox(QStringLiteral("Cannot read ") + origpy);
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());
    const TemplateCut cut = cutTemplate(text, breakpts);
    if (!cut.ok()) {
        msgBox(QStringLiteral("Error locating unique ") + cut.badMarker + QStringLiteral(" in otfinst.py"));
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return false;
    }
    pypieces = cut.pieces;
    // A later drop reads the template afresh: a table read twice would give
    // the script the template's Berry code after the typed one.
    fontlist.clear();
    berrylist.clear();
    scalefont.clear();
    scalefactor.clear();
    readTemplateTable(pypieces.at(5), true, fontlist, berrylist);
    readTemplateTable(pypieces.at(7), false, scalefont, scalefactor);
    return true;
}

void otfinstWindow::Listbox1_DropObject(const QStringList& paths)
{
    StaticText10->setText(QString());
    if (!takeDroppedFolder(paths, {QStringLiteral(".otf")}))
        return;
    if (!acceptOs2Tables({QStringLiteral(".otf")})) {
        fontfolder.clear();
        return;
    }

    openLog(docf);
    logLine(QStringLiteral("%%%%%% new program run %%%"));
    StaticText10->setText(logPath());
    logLine(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    logLine(QStringLiteral("Dropped font folder ") + fontfolder);

    logLine(QStringLiteral("%%Looking for .otf files---"));
    listFontFiles({QStringLiteral(".otf")});

    logLine(QStringLiteral("%% end of font list"));
    if (!parsepy())
        return;
    if (fontfilename.isEmpty())
        return;

    readFamilyNames();
    TextField4->setText(QStringLiteral("/tex/latex/") + shortname + QStringLiteral("/"));
    TextField2->setText(fontfamily);
    TextField5->setText(vendor);

    const int berry = indexNoCase(fontlist, fontfamily);
    if (berry >= 0) {
        TextField3->setText(berrylist.at(berry));
    } else {
        const QString text = QStringLiteral("The font family '") + fontfamily +
                             QStringLiteral("' has no berry name specified in otfinst.py") + QChar(lf) +
                             QStringLiteral("You must find this 3 character code and enter it manually.");
        logLine(text);
        msgBox(text);
    }
    const int scale = indexNoCase(scalefont, fontfamily);
    if (scale >= 0)
        TextField1->setText(scalefactor.at(scale));

    isPS = otfHasCff(runShell(otfinfoCommand(fontfolder, QStringLiteral("-qt"), fontfilename.first())));
    CheckBox2->setChecked(isPS);

    checkVendorMap();

    PushButton4->setEnabled(true);
    setStatus(QStringLiteral("Ready to run 'Prepare'"));
}

// An earlier otfinst run of the same vendor may have left a map file that the
// new entries would be appended to. otftotfm of TeX Live 2022 keeps it in a
// folder of the vendor's name.
void otfinstWindow::checkVendorMap()
{
    const QString dvips = texmfVar + QStringLiteral("/fonts/map/dvips");
    QStringList candidates{dvips + QLatin1Char('/') + vendor + QStringLiteral(".map")};
    if (!vendor.isEmpty())
        candidates << dvips + QLatin1Char('/') + vendor + QLatin1Char('/') + vendor + QStringLiteral(".map");
    for (const QString& mapPath : candidates) {
        if (!QFileInfo(mapPath).isFile())
            continue;
        QFile file(mapPath);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        file.close();
        const QString text = QString::fromUtf8(bytes);
        const QStringList names = mapFamilyNames(text);
        if (!names.isEmpty()) {
            const QString notice = QStringLiteral("There is an existing map file in ") + mapPath + QChar(lf) +
                                   QStringLiteral("The new map information will be appended to this file. If its "
                                                  "contents have already been enabled, you should delete the file so "
                                                  "as to prevent duplication of entries.");
            logLine(notice);
            msgBox(notice);
            if (names.size() >= 2) {
                const QString several = QStringLiteral("There is more than one font family involved. You should "
                                                       "manually separate the items into appropriately named .map files.");
                logLine(several);
                msgBox(several);
            } else {
                const QString target = shortform(names.first()) + QStringLiteral(".map");
                const QString question = QStringLiteral("There appears to be just one font family in the map file---") +
                                         names.first() + QChar(lf) + QStringLiteral("Save its contents as ") + target +
                                         QStringLiteral("?");
                logLine(question);
                if (askYesNo(question)) {
                    const QString folder = dvips + QLatin1Char('/') + vendor;
                    QDir().mkpath(folder);
                    QFile copy(folder + QLatin1Char('/') + target);
                    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate) || copy.write(bytes) != bytes.size())
                        msgBox(QStringLiteral("Cannot write ") + copy.fileName());
                }
            }
        }
        if (askYesNo(QStringLiteral("View contents of existing map file?")))
            showResults(text);
    }
}

void otfinstWindow::PushButton4_Action()
{
    PushButton6->setEnabled(false);
    const QString berry = TextField3->text().trimmed();
    if (berry.size() != 3) {
        msgBox(QStringLiteral("You must provide the 3 character Berry name for this font before proceeding."));
        return;
    }
    const QString vendorText = TextField5->text().trimmed();
    logLine(QStringLiteral("Using Berry name=") + berry);
    logLine(QStringLiteral("Using vendor name: ") + vendorText);
    fontfamily = TextField2->text().trimmed();
    logLine(QStringLiteral("Using family name: ") + fontfamily);
    shortname = shortform(fontfamily);

    const QStringList encodings =
        otfinstEncodings(CheckBox1[0]->isChecked(), CheckBox1[1]->isChecked(), CheckBox1[2]->isChecked());
    if (encodings.isEmpty()) {
        msgBox(QStringLiteral("You must select at least one encoding"));
        return;
    }
    logLine(QStringLiteral("Using encodings=") + encodings.join(QLatin1Char(',')));

    // The scale is settled, and every typed text checked, before anything
    // is created or emptied.
    QString scale = scaleText(TextField1->text().trimmed());
    if (scale == QLatin1String("-1") || scale == QLatin1String("-2")) {
        scale = Computesf(scale.mid(1).toInt());
        TextField1->setText(scale);
    }
    QString otftotfm = prefText(QStringLiteral("otftotfm")).trimmed();
    if (otftotfm.isEmpty())
        otftotfm = texProgram(QStringLiteral("otftotfm"));
    const QString problem =
        checkScriptTexts(berry, vendorText, fontfamily, TextField4->text().trimmed(), otftotfm, scale);
    if (!problem.isEmpty()) {
        logLine(problem);
        msgBox(problem);
        return;
    }
    noteMissingEncodings(encodings);

    logLine(QStringLiteral("Trying to set localfontsdir to ") + texmfHome + TextField4->text());
    const QString dest = texmfHome + packageFolderText(TextField4->text());
    // The scripts write into a stage of the work folder; the installed
    // files are replaced only by a complete new package, at Install. The
    // answer says whether the installed folder's other files go with them.
    keepOthers_ = true;
    if (QFileInfo(dest).isDir() &&
        !QDir(dest).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty()) {
        const QString question = QStringLiteral("There are already files in ") + texmfHome + TextField4->text() +
                                 QChar(lf) + QStringLiteral("Should Install remove those the new package does not replace? (No carries "
                                                "them over into the new package's folder.)");
        logLine(question);
        keepOthers_ = !askYesNo(question);
    }

    QString work;
    do {
        work = docf + QStringLiteral("/otfinst-") + berry + QLatin1Char('-') +
               QString::number(QRandomGenerator::global()->bounded(1000, 10000));
    } while (QFileInfo::exists(work));
    if (!QDir().mkpath(work)) {
        msgBox(QStringLiteral("Error trying to create folder ") + work);
        return;
    }
    srcfolder = work;
    logLine(QStringLiteral("Created folder ") + srcfolder + QStringLiteral(" for otfinst scripts"));

    if (!moveLogInto(srcfolder))
        msgBox(QStringLiteral("The log could not be moved into ") + srcfolder + QStringLiteral("; it stays in ") +
               logPath());
    StaticText10->setText(logPath());
    StaticText10->repaint();

    const int berryAt = indexNoCase(fontlist, fontfamily);
    if (berryAt >= 0) {
        berrylist[berryAt] = berry;
    } else {
        fontlist << fontfamily;
        berrylist << berry;
    }

    ScriptFields fields;
    fields.otftotfm = otftotfm;
    fields.localFontsDir = localFontsDirText(TextField4->text());
    fields.fontlist = fontlist;
    fields.berrylist = berrylist;
    fields.vendor = vendorText;
    fields.family = fontfamily;
    fields.scale = scale;

    encbnd = int(encodings.size()) - 1;
    for (int j = 0; j <= encbnd; ++j) {
        fields.encoding = encodings.at(j);
        const QString name = QStringLiteral("otfinst") + QString::number(j);
        logLine(QStringLiteral("Creating ") + name);
        QFile script(srcfolder + QLatin1Char('/') + name);
        const QByteArray bytes = buildOtfinstScript(pypieces, breakpts, fields).toUtf8();
        if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate) || script.write(bytes) != bytes.size()) {
            const QString text = QStringLiteral("Cannot write ") + script.fileName();
            logLine(text);
            msgBox(text);
            return;
        }
    }
    logLine(QStringLiteral("Making otfinst* files executable."));
    runShell(QStringLiteral("cd ") + shellQuote(srcfolder) + QStringLiteral(" && /bin/chmod 755 otfinst*"));

    // Nothing to install until a run has made a whole package.
    PushButton1->setEnabled(true);
    PushButton2->setEnabled(false);
    PushButton3->setEnabled(false);
    setStatus(QStringLiteral("Ready to run 'Run otfinst'"));

    closeLog();
    openLog(srcfolder);
    repaint();
}

void otfinstWindow::PushButton5_Action()
{
    showWindow(OtherOptions::instance());
}

void otfinstWindow::PushButton1_Action()
{
    installed = false;
    // The stage is emptied for the new output: what it held can no longer
    // be installed or tested.
    PushButton2->setEnabled(false);
    PushButton3->setEnabled(false);
    PushButton6->setEnabled(false);
    setStatus(QStringLiteral("Running otfinst script(s)"));
    // Every way out below but the last is a failure the status must not hide.
    bool ran = false;
    const auto runStatus = qScopeGuard([&] {
        if (!ran)
            setStatus(QStringLiteral("The otfinst run failed"));
    });
    if (fontfolder.isEmpty() && encbnd >= 0) {
        msgBox(QStringLiteral("There is no font folder: drop the folder of fonts on the list again."));
        return;
    }
    if (!freshOtfinstStage(srcfolder)) {
        msgBox(QStringLiteral("Cannot empty the folder ") + otfinstStage(srcfolder));
        return;
    }
    logLine(QStringLiteral("Starting to run all otfinst* files"));
    const QString stage = otfinstStage(srcfolder);
    logLine(QStringLiteral("This should create .fd and .sty files in ") + stage + QStringLiteral("/home") +
            TextField4->text() + QStringLiteral(" and other font support files in ") + stage + QStringLiteral("/var"));
    // Each script in a terminal of its own, one after the other; the next
    // one starts only when the last succeeded.
    for (int j = 0; j <= encbnd; ++j) {
        const int status = sudoterm({otfinstCommand(srcfolder, j, fontfolder)});
        if (status != 0) {
            const QString text = QStringLiteral("otfinst") + QString::number(j) +
                                 QStringLiteral(" failed (exit status ") + QString::number(status) +
                                 QStringLiteral("). See its output in the terminal window.");
            logLine(text);
            msgBox(text);
            return;
        }
    }

    const QString folder = stage + QStringLiteral("/home") + packageFolderText(TextField4->text());
    const SupportFiles files = readSupportFolder(folder);
    if (!files.folderHasItems) {
        msgBox(QStringLiteral("Bailing out! No support files found in ") + stage + QStringLiteral("/home") +
               TextField4->text());
        return;
    }
    QString verdict = judgeSupportFiles(files, shortname, QStringLiteral("otf"));
    if (verdict.isEmpty())
        verdict = stagedOutputProblem(srcfolder, TextField4->text());
    if (!verdict.isEmpty()) {
        logLine(verdict);
        msgBox(verdict);
        return;
    }
    ran = true;
    PushButton2->setEnabled(true);
    PushButton3->setEnabled(true);
    PushButton4->setEnabled(true);
    PushButton6->setEnabled(true);
    setStatus(QStringLiteral("Ready to run 'Test' or 'Install'"));
}

void otfinstWindow::PushButton2_Action()
{
    install();
}

void otfinstWindow::install()
{
    installed = false;
    // updmap enables what this Install put in place, and nothing else.
    PushButton3->setEnabled(false);
    OtfinstInstallJob job;
    job.vendorField = TextField5->text().trimmed();
    job.packageField = TextField4->text();
    job.berryField = TextField3->text();
    job.shortname = shortname;
    job.workFolder = srcfolder;
    job.keepOthers = keepOthers_;
    job.method = prefMethod();
    job.status = [this](const QString& text) { setStatus(text); };
    if (installOtfinstOutput(job)) {
        installVendor_ = job.vendor;
        PushButton3->setEnabled(true);
    } else {
        setStatus(QStringLiteral("Install failed"));
    }
}

void otfinstWindow::PushButton3_Action()
{
    // otftotfm's output stayed in the stage: TEXMFVAR holds nothing of it,
    // and the other fonts' files there stay.
    setStatus(QStringLiteral("Running 'updmap'"));
    hasType1 = true;
    hasMF = false;
    hasTTF = false;
    hasMaps = true;
    tdsMaps = QStringList{shortname};
    const int method = prefMethod();
    if (finishInstall(method >= 1 ? 1 : 0))
        setStatus(QStringLiteral("Finished 'updmap'"));
    else
        setStatus(lastInstallStatus);
    postflight();
}

void otfinstWindow::postflight()
{
    const QString vendorUsed = installVendor_.isEmpty() ? vendor : installVendor_;
    qlk::postflight(shortname, postflightTfmFolder(prefMethod(), vendorUsed, shortname), false,
                    textEncodingOf(CheckBox1[0]->isChecked(), CheckBox1[1]->isChecked(), CheckBox1[2]->isChecked()));
    installed = true;
}

void otfinstWindow::PushButton6_Action()
{
    const QString family = TextField3->text().trimmed();
    QString folder = TextField4->text().trimmed();
    const QString vendorText = TextField5->text().trimmed();
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    QString package = folder.section(QLatin1Char('/'), -1);
    QString map;
    // Until updmap has run, the new package is tested in the stage.
    const QString stage = otfinstStage(srcfolder);
    std::unique_ptr<StagedTrees> trees;
    if (!installed && !srcfolder.isEmpty() && QFileInfo(stage + QStringLiteral("/home")).isDir())
        trees = std::make_unique<StagedTrees>(stage + QStringLiteral("/home"), stage + QStringLiteral("/var"));
    if (!installed) {
        // updmap-user keeps its output maps below dvips/updmap: not ours.
        const QString dvips = texmfVar + QStringLiteral("/fonts/map/dvips");
        QStringList maps;
        QDirIterator it(dvips, {QStringLiteral("*.map")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!pathInTree(path, dvips + QStringLiteral("/updmap")))
                maps << path;
        }
        if (maps.isEmpty()) {
            map = (vendorText.isEmpty() ? package : vendorText) + QStringLiteral(".map");
            if (vendorText.isEmpty())
                package.clear();
        } else if (maps.size() == 1) {
            map = QFileInfo(maps.first()).fileName();
        } else {
            msgBox(QStringLiteral("Bailing out---there is more than one map file in texmfvar. Clean out texmfvar and "
                                  "start over."));
            return;
        }
    }
    int enc = 0;
    for (int i = 0; i < 3; ++i) {
        if (CheckBox1[i]->isChecked()) {
            enc = i;
            break;
        }
    }
    lastTestFolder = testPackage(family, package, map, enc, false);
}

} // namespace qlk

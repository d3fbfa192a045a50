#include "type1/GrabFSFont.h"

#include "fontinfo/FdReaders.h"
#include "fontinfo/ScratchFolder.h"
#include "mainwindow/TdsInstall.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/FinishInstall.h"
#include "texenv/TexEnv.h"
#include "texenv/TexmfVar.h"
#include "ui/SingleWindow.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

namespace qlk {

namespace {

// The name search standing in for the desktop index: every file of that
// name below the home folder.
QStringList searchHome(const QString& name)
{
    return findFilesByName({homeFolder()}, name);
}

bool isFolder(const QString& path)
{
    return QFileInfo(path).isDir();
}

} // namespace

GrabFSFont* GrabFSFont::instance()
{
    static QPointer<GrabFSFont> open;
    if (open)
        return open;
    GrabFSFont* w = singleWindow<GrabFSFont>();
    if (!w->initFS()) {
        delete w;
        return nullptr;
    }
    open = w;
    return w;
}

GrabFSFont::GrabFSFont()
{
    setWindowTitle(QStringLiteral("Grab Font Family from Fontsite 500 CD"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    resize(600, 400);
    setMinimumSize(64, 64);

    StaticText1 = new QLabel(
        QStringLiteral(
            "This allows you to install one font family from the Fontsite 500 CD, provided you have downloaded the "
            "support files and support is available for this font family. Select the family from the popup menu and "
            "choose Go to install it in the chosen texmf tree. Installing in texmf-var is not recommended except "
            "for testing, as it overwrites that folder without saving its prior contents. Note: the prebuilt "
            "support files work best in T1 encoding; ligatures are often missing in OT1 and LY1, and the support "
            "files can cause problems with math accents used as operators."),
        this);
    StaticText1->setGeometry(3, 4, 588, 113);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StaticText2 = new QLabel(QStringLiteral("Fontsite 500 font families available:"), this);
    StaticText2->setGeometry(4, 122, 233, 20);
    PopupMenu1 = new QComboBox(this);
    PopupMenu1->setGeometry(31, 151, 223, 20);
    StaticText3 = new QLabel(QStringLiteral("Install in:"), this);
    StaticText3->setGeometry(3, 183, 72, 20);
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(31, 207, 201, 105);
    auto* targets = new QButtonGroup(this);
    const char* const labels[] = {"texmf-local", "texmf-home", "texmf-var (impermanent)"};
    const int tops[] = {9, 41, 72};
    for (int i = 0; i < 3; ++i) {
        RadioButton1[i] = new QRadioButton(QLatin1String(labels[i]), GroupBox1);
        RadioButton1[i]->setGeometry(7, tops[i], i == 2 ? 186 : 102, 20);
        targets->addButton(RadioButton1[i], i);
        connect(RadioButton1[i], &QRadioButton::clicked, this, [this] { RadioButton1_Action(); });
    }
    StaticText4 = new QLabel(QStringLiteral("Font family properties:"), this);
    StaticText4->setGeometry(266, 123, 151, 20);
    TextArea1 = new QTextEdit(this);
    TextArea1->setGeometry(268, 150, 323, 208);
    TextArea1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PushButton3 = new QPushButton(QStringLiteral("Show text sample in Latin Modern"), this);
    PushButton3->setGeometry(5, 336, 249, 20);
    StaticText5 = new QLabel(QStringLiteral("Font family successfully installed"), this);
    StaticText5->setGeometry(8, 370, 281, 20);
    StaticText5->setStyleSheet(QStringLiteral("color: #9F0004;"));
    StaticText5->hide();
    PushButton2 = new QPushButton(QStringLiteral("Show test"), this);
    PushButton2->setGeometry(366, 371, 94, 20);
    PushButton2->hide();
    PushButton1 = new QPushButton(QStringLiteral("Go"), this);
    PushButton1->setGeometry(486, 371, 80, 20);
    PushButton1->setDefault(true);

    setTabOrder(PopupMenu1, RadioButton1[0]);
    setTabOrder(RadioButton1[0], RadioButton1[1]);
    setTabOrder(RadioButton1[1], RadioButton1[2]);
    setTabOrder(RadioButton1[2], TextArea1);
    setTabOrder(TextArea1, PushButton1);
    setTabOrder(PushButton1, PushButton2);
    setTabOrder(PushButton2, PushButton3);

    connect(PopupMenu1, &QComboBox::currentIndexChanged, this, [this](int i) { PopupMenu1_Change(i); });
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
}

void GrabFSFont::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Event_Activate();
}

void GrabFSFont::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    RadioButton1[2]->setChecked(true);
    if (isAdmin)
        RadioButton1[1]->hide();
    else
        RadioButton1[0]->hide();
}

bool GrabFSFont::initFS()
{
    // 1. The support files, through their documentation.
    QStringList found = searchHome(QStringLiteral("fs500tex.info-1"));
    if (found.isEmpty()) {
        if (!askYesNo(QStringLiteral("Cannot find file fs500tex.info-1 that should be part of the fontsite support "
                                     "folder. Search manually?"))) {
            msgBox(QStringLiteral("Perhaps you need to download the files---see documentation."));
            return false;
        }
        const QString chosen = dialogs().chooseFile(QStringLiteral("Select fs500tex.info-1"), homeFolder(),
                                                    QStringLiteral("fs500tex.info-1"));
        if (chosen.isEmpty()) {
            msgBox(QStringLiteral("Perhaps you need to download the files---see documentation."));
            return false;
        }
        found = QStringList{chosen};
    }
    QString info1;
    for (const QString& candidate : found) {
        const QString root = QFileInfo(QFileInfo(candidate).path()).path();
        if (isFolder(root + QStringLiteral("/fonts"))) {
            srcT = root;
            info1 = candidate;
            break;
        }
    }
    if (info1.isEmpty()) {
        msgBox(QStringLiteral("Unable to find Fontsite support files. Please download them to your hard drive and "
                              "start again."));
        return false;
    }
    const QString info2 = QFileInfo(info1).path() + QStringLiteral("/fs500tex.info-2");
    if (!QFileInfo(info2).isFile()) {
        msgBox(QStringLiteral("Did not find file fs500tex.info-2 in sam folder as fs500tex.info-1. Please rectify."));
        return false;
    }

    // 2. The copy of the CD, through its catalogue.
    found = searchHome(QStringLiteral("FontSite 500 CD.pdf"));
    if (found.isEmpty()) {
        if (!askYesNo(QStringLiteral("Cannot find file 'FontSite 500 CD.pdf' that should be part of the fontsite "
                                     "CD. Search manually?"))) {
            msgBox(QStringLiteral("Perhaps you need to purchase the font CD---see documentation."));
            return false;
        }
        const QString chosen = dialogs().chooseFile(QStringLiteral("Select FontSite 500 CD.pdf"), homeFolder(),
                                                    QStringLiteral("FontSite 500 CD.pdf"));
        if (chosen.isEmpty()) {
            msgBox(QStringLiteral("Perhaps you need to purchase the font CD---see documentation."));
            return false;
        }
        found = QStringList{chosen};
    }
    srcF.clear();
    for (const QString& candidate : found) {
        const QString type1 = QFileInfo(candidate).path() + QStringLiteral("/Type 1");
        if (isFolder(type1)) {
            srcF = type1;
            break;
        }
    }
    if (srcF.isEmpty()) {
        msgBox(QStringLiteral("Unable to find Fontsite 500 CD. Please copy the CD to your hard drive and start "
                              "again."));
        return false;
    }

    // 3-6. The catalogue, listed.
    catalogue = readFsCatalogue(readTextFile(info1), readTextFile(info2));
    if (catalogue.size() == 0) {
        msgBox(QStringLiteral("No font family found in ") + info1 + QStringLiteral(" or in ") + info2 +
               QStringLiteral(": they hold no family section. Please check that they are the fs500tex support "
                              "files' documentation."));
        return false;
    }
    for (const QString& name : catalogue.fontfa)
        PopupMenu1->addItem(name);
    started = true;
    PopupMenu1->setCurrentIndex(-1);
    PopupMenu1->setCurrentIndex(0);
    return true;
}

void GrabFSFont::PopupMenu1_Change(int index)
{
    if (!started || index < 0 || index >= catalogue.size())
        return;
    TextArea1->setPlainText(QString(catalogue.fontrm.at(index)).replace(cr, lf));
    PushButton2->hide();
    StaticText5->hide();
}

void GrabFSFont::RadioButton1_Action()
{
    PushButton2->hide();
    StaticText5->hide();
}

void GrabFSFont::PushButton1_Action()
{
    go();
}

void GrabFSFont::PushButton2_Action()
{
    processtest();
}

void GrabFSFont::PushButton3_Action()
{
    const QString pdf = appFolder() + QStringLiteral("/lmodernzuv.pdf");
    if (!QFileInfo(pdf).isFile() || !openWithDefault(pdf))
        msgBox(QStringLiteral("Cannot find lmodernzuv.pdf in folder with Quillmark2013"));
}

void GrabFSFont::finish(bool prepared)
{
    PushButton2->setVisible(prepared);
    StaticText5->setText(prepared ? QStringLiteral("Installation finished, test file prepared.")
                                  : QStringLiteral("Installation failed, no test file prepared."));
    StaticText5->show();
}

void GrabFSFont::go()
{
    const int i = PopupMenu1->currentIndex();
    if (i < 0 || i >= catalogue.size())
        return;
    PushButton2->hide();
    StaticText5->hide();

    // 1. The family, with its CD folder and short name.
    const QString name = catalogue.fontfa.at(i);
    const QString code = catalogue.fontb.at(i);
    const bool symbol = catalogue.fontPi.at(i);
    const FsFamily family = fsFamily(name, catalogue.fontsh.at(i));
    fontshort = family.shortName;
    const QString S = fontshort;

    // 2-3. The work folder and its skeleton.
    tmpfolder = makeScratchFolder(documentsFolder());
    if (tmpfolder.isEmpty()) {
        msgBox(QStringLiteral("Could not make a work folder in ") + documentsFolder());
        finish(false);
        return;
    }
    const QString W = tmpfolder;
    const QString G = QStringLiteral("/fontsite/") + S;
    QStringList folders{QStringLiteral("fonts/map/dvips/fontsite"), QStringLiteral("fonts/enc/dvips/fontsite")};
    for (const char* kind : {"fonts/type1", "fonts/tfm", "fonts/vf", "tex/latex"})
        folders << QLatin1String(kind) + G;
    runShellQuiet(QStringLiteral("cd ") + shellQuote(W) + QStringLiteral(" && ") +
                  shellQuote(systemProgram(QStringLiteral("mkdir"))) + QStringLiteral(" -p ") + shellJoin(folders));

    // 4. The copies; a missing piece is reported by the runner, and the
    // outlines and metrics are checked below.
    for (const QString& line : fsCopyCommands(W, srcT, srcF, S, catalogue.fontsh.at(i), code, symbol, family.cdFolder))
        runShell(line);

    // 5. Outline names in lower case.
    const QString type1 = W + QStringLiteral("/fonts/type1") + G;
    for (const QString& item : QDir(type1).entryList(QDir::Files)) {
        if (item != item.toLower())
            QFile::rename(type1 + QLatin1Char('/') + item, type1 + QLatin1Char('/') + item.toLower());
    }
    if (QDir(type1).entryList({QStringLiteral("*.pfb")}, QDir::Files).isEmpty() ||
        QDir(W + QStringLiteral("/fonts/tfm") + G).entryList({QStringLiteral("*.tfm")}, QDir::Files).isEmpty()) {
        msgBox(QStringLiteral("The outlines (.pfb) or metrics (.tfm) of ") + name +
               QStringLiteral(" were not found in ") + srcF + QStringLiteral("/") + fsCdFolderOnDisk(family.cdFolder) +
               QStringLiteral(" or ") + srcT + QStringLiteral(". Nothing was installed."));
        finish(false);
        return;
    }

    // 6-7. The family's lines of the master map.
    const QString master = srcT + QStringLiteral("/dvips/config/fs500tex.map");
    if (!QFileInfo(master).isFile()) {
        msgBox(QStringLiteral("Unable to find fs500tex.map in the TeX support folder. Must bail out."));
        close();
        return;
    }
    QFile map(W + QStringLiteral("/fonts/map/dvips/fontsite/") + S + QStringLiteral(".map"));
    if (!map.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        msgBox(QStringLiteral("Could not write ") + map.fileName());
        finish(false);
        return;
    }
    map.write(fsFamilyMap(readLatin1File(master), code).toLatin1());
    map.close();

    // 8. The target tree.
    QString target;
    bool asRoot = false;
    if (RadioButton1[0]->isChecked()) {
        asRoot = true;
        target = texmfLocal;
    } else if (RadioButton1[1]->isChecked()) {
        target = texmfHome;
    } else if (RadioButton1[2]->isChecked()) {
        if (!clearTexmfVar(true))
            return;
        target = texmfVar;
    } else {
        return;
    }

    // 9-10. Zipped in the work folder, unzipped in the target.
    runShell(zipTreeCommand(W));
    if (lastShell.errorCode != 0) {
        finish(false);
        return;
    }
    int status = 0;
    if (asRoot) {
        status = runAsRoot(unzipTreeCommand(W, target, true));
    } else {
        QDir().mkpath(target);
        runShell(unzipTreeCommand(W, target, false));
        status = lastShell.errorCode;
    }
    if (status != 0) {
        finish(false);
        return;
    }

    // 11. The map enabled, except in the impermanent tree.
    hasMaps = true;
    hasMF = false;
    hasType1 = true;
    hasTTF = false;
    tdsMaps = QStringList{S + QStringLiteral(".map")};
    bool enabled = true;
    if (RadioButton1[0]->isChecked())
        enabled = finishInstall(1);
    else if (RadioButton1[1]->isChecked())
        enabled = finishInstall(0);
    hasMaps = false;
    hasType1 = false;
    tdsMaps.clear();

    // 12. The test document.
    finish(preparetest(family.cdFolder));
    // A map that did not take effect is no finished installation.
    if (!enabled)
        StaticText5->setText(lastInstallStatus);
}

bool GrabFSFont::preparetest(const QString& title)
{
    const int i = PopupMenu1->currentIndex();
    if (i < 0 || i >= catalogue.size())
        return false;
    const QString properties = catalogue.fontrm.at(i);
    const bool symbol = fsIsSymbolFamily(properties);
    const QString code = catalogue.fontb.at(i);
    const QString testFile = tmpfolder + QStringLiteral("/test.tex");
    QFile::remove(testFile);

    const QString fdFolder = tmpfolder + QStringLiteral("/tex/latex/fontsite/") + fontshort;
    if (!isFolder(fdFolder)) {
        msgBox(QStringLiteral("Cannot find fd files. Cannot create test"));
        return false;
    }
    const QString pattern = (symbol ? QStringLiteral("u5") : QStringLiteral("t15")) + code + QStringLiteral("*.fd");
    const QStringList fds = QDir(fdFolder).entryList({pattern}, QDir::Files, QDir::Name);
    if (fds.isEmpty()) {
        msgBox(symbol ? QStringLiteral("No unencoded {U} fd files u5") + code +
                            QStringLiteral("*.fd ---bailing out of creating test")
                      : QStringLiteral("No fd files in T1---bailing out of creating test"));
        return false;
    }
    const QString tfm = fdRegularFont(fdFolder + QLatin1Char('/') + fds.first());
    if (tfm.isEmpty()) {
        msgBox(QStringLiteral("Cannot find appropriate tfm entry in ") + fds.first());
        return false;
    }
    const QString text = symbol ? fsSymbolTest(title, code, tfm)
                                : fsTextTest(title, code, tfm, catalogue.fontsh.at(i), fsRmOption(properties));
    QFile f(testFile);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        msgBox(QStringLiteral("Could not write ") + testFile);
        return false;
    }
    f.write(text.toUtf8());
    return true;
}

void GrabFSFont::processtest()
{
    runShell(fsTestCommand(tmpfolder, fontshort));
    if (lastShell.errorCode != 0)
        return;
    const QString pdf = tmpfolder + QStringLiteral("/test.pdf");
    if (!openWithDefault(pdf))
        msgBox(QStringLiteral("Could not open ") + pdf);
}

} // namespace qlk

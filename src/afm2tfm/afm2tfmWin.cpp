#include "afm2tfm/afm2tfmWin.h"

#include "afm2tfm/Afm2tfmBuild.h"
#include "afm2tfm/ChooseFontFamily.h"
#include "afm2tfm/FontInfoMenu.h"
#include "fontinfo/BerryName.h"
#include "fontinfo/ExamineList.h"
#include "fontinfo/FontNames.h"
#include "fontinfo/ScratchFolder.h"
#include "mainwindow/TdsLayout.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "search/TreeSearch.h"
#include "services/DropCheck.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/FinishInstall.h"
#include "texenv/MapCommands.h"
#include "texenv/TexEnv.h"
#include "type1/OutlineCheck.h"
#include "ui/FileDrop.h"
#include "ui/SingleWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>

namespace qlk {

namespace {
const QList<int> kColumnPercent{40, 30, 20, 10};

QString helpText()
{
    return QStringLiteral(
        "This is intended for installation of individual special-purpose text fonts such as script, openface, "
        "double-struck or fraktur. Drop a folder of closely related afm files (and, optionally, the matching "
        "pfb/pfa files) onto the list below. The file names must use the Berry format and share one three-letter "
        "Berry ID. \"Prepare\" runs the scripts; \"Install\" places the resulting TDS.\n"
        "The default encoding is enough for glyphs in the normal (ASCII) positions; other glyphs may need LY1 "
        "or T1.\n"
        "Options are passed to the afm2tfm command line; for example, -s .167 slants the font to the right by "
        "1/6.\n"
        "Enter a design size in points for a font whose design size is not 10pt.\n"
        "RAW asks for a raw font (for instance as the basis of a math alphabet). It is ignored for LY1 and T1, "
        "each of which makes a tfm with all the afm's ligature and kerning data.");
}

QString timeStamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// "--" keeps a name that begins with "-" from being read as an option.
QString kpsewhichCommand(const QString& name)
{
    return shellQuote(texProgram(QStringLiteral("kpsewhich"))) + QStringLiteral(" -- ") + shellQuote(name);
}

bool writeText(const QString& path, const QString& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = text.toLatin1();
    return f.write(bytes) == bytes.size() && f.flush();
}

// Lets pending paints through without letting the user act meanwhile.
void keepDrawing()
{
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
} // namespace

FontDropTable::FontDropTable(QWidget* parent) : QTableWidget(0, 4, parent)
{
    setHorizontalHeaderLabels(
        {QStringLiteral("Filename"), QStringLiteral("Options"), QStringLiteral("DESIGNSIZE (pt)"), QStringLiteral("RAW")});
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

QString FontDropTable::cell(int row, int column) const
{
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text() : QString();
}

void FontDropTable::setCell(int row, int column, const QString& text)
{
    QTableWidgetItem* it = item(row, column);
    if (!it) {
        it = new QTableWidgetItem();
        setItem(row, column, it);
    }
    it->setText(text);
}

bool FontDropTable::checked(int row) const
{
    const QTableWidgetItem* it = item(row, 3);
    return it && it->checkState() == Qt::Checked;
}

void FontDropTable::setChecked(int row, bool on)
{
    if (QTableWidgetItem* it = item(row, 3))
        it->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

int FontDropTable::addFileRow(const QString& name)
{
    const int row = rowCount();
    insertRow(row);
    auto* file = new QTableWidgetItem(name);
    file->setFlags(file->flags() & ~Qt::ItemIsEditable);
    setItem(row, 0, file);
    setItem(row, 1, new QTableWidgetItem());
    setItem(row, 2, new QTableWidgetItem());
    auto* raw = new QTableWidgetItem();
    raw->setFlags((raw->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
    raw->setCheckState(Qt::Unchecked);
    setItem(row, 3, raw);
    return row;
}

void FontDropTable::dragEnterEvent(QDragEnterEvent* event)
{
    offerFileDrag(event, onDrop);
}

void FontDropTable::dragMoveEvent(QDragMoveEvent* event)
{
    offerFileDrag(event, onDrop);
}

void FontDropTable::dropEvent(QDropEvent* event)
{
    takeFileDrop(event, onDrop);
}

void FontDropTable::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    const int width = viewport()->width();
    for (int i = 0; i < kColumnPercent.size(); ++i)
        setColumnWidth(i, width * kColumnPercent.at(i) / 100);
}

afm2tfmWin* afm2tfmWin::instance()
{
    return singleWindow<afm2tfmWin>();
}

afm2tfmWin::afm2tfmWin()
{
    setWindowTitle(QStringLiteral("Add individual fonts"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(698, 463);

    StaticText1 = new QLabel(helpText(), this);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StaticText1->setGeometry(4, 4, 690, 160);

    Listbox1 = new FontDropTable(this);
    Listbox1->setGeometry(4, 176, 690, 92);
    Listbox1->setToolTip(QStringLiteral("Drop folder of otf fonts above"));
    Listbox1->onDrop = [this](const QStringList& paths) { Listbox1_DropObject(paths); };
    connect(Listbox1, &QTableWidget::cellPressed, this, [this](int row, int) { Listbox1_CellClick(row); });
    Listbox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Listbox1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu;
        addFontInfoItems(&menu);
        if (QAction* chosen = menu.exec(Listbox1->viewport()->mapToGlobal(pos)))
            Listbox1_ContextualMenuAction(chosen->data().toInt());
    });

    StaticText3 = new QLabel(QStringLiteral("Supplier:"), this);
    StaticText3->setGeometry(25, 333, 120, 20);
    StaticText4 = new QLabel(QStringLiteral("Font family name:"), this);
    StaticText4->setGeometry(25, 357, 120, 20);
    TextField1 = new QLineEdit(this);
    TextField1->setGeometry(157, 331, 153, 22);
    TextField2 = new QLineEdit(this);
    TextField2->setGeometry(157, 355, 153, 22);
    connect(TextField1, &QLineEdit::textEdited, this, [this] { Checkfields(); });
    connect(TextField2, &QLineEdit::textEdited, this, [this] { Checkfields(); });

    PushButton2 = new QPushButton(QStringLiteral("Prepare"), this);
    PushButton2->setGeometry(416, 331, 80, 20);
    PushButton2->setEnabled(false);
    connect(PushButton2, &QPushButton::clicked, this, [this] { prepare(); });
    PushButton3 = new QPushButton(QStringLiteral("Install"), this);
    PushButton3->setGeometry(508, 331, 80, 20);
    PushButton3->setEnabled(false);
    connect(PushButton3, &QPushButton::clicked, this, [this] { install(); });

    StaticText10 = new QLabel(this);
    StaticText10->setGeometry(39, 437, 655, 20);
    StaticText11 = new QLabel(QStringLiteral("Log: "), this);
    StaticText11->setGeometry(2, 437, 34, 20);

    TextField4 = new QLineEdit(this);
    TextField4->setGeometry(4, 276, 690, 22);
    TextField4->setReadOnly(true);
    QPalette brown = TextField4->palette();
    brown.setColor(QPalette::Text, QColor(121, 36, 1));
    TextField4->setPalette(brown);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setGeometry(397, 364, 237, 29);
    const char* encodings[] = {"Default encoding", "LY1", "T1"};
    const int encX[] = {6, 144, 193};
    const int encW[] = {138, 50, 44};
    for (int i = 0; i < 3; ++i) {
        RadioButton2[i] = new QRadioButton(QString::fromLatin1(encodings[i]), GroupBox2);
        RadioButton2[i]->setGeometry(encX[i], 4, encW[i], 20);
    }
    GroupBox3 = new QGroupBox(QStringLiteral("Destination"), this);
    GroupBox3->setGeometry(25, 387, 260, 48);
    const char* places[] = {"System", "Personal", "texlive"};
    const int placeX[] = {4, 88, 177};
    const int placeW[] = {77, 85, 77};
    for (int i = 0; i < 3; ++i) {
        RadioButton3[i] = new QRadioButton(QString::fromLatin1(places[i]), GroupBox3);
        RadioButton3[i]->setGeometry(placeX[i], 22, placeW[i], 20);
    }

    setTabOrder(Listbox1, TextField1);
    setTabOrder(TextField1, TextField2);
    setTabOrder(TextField2, PushButton2);
    setTabOrder(PushButton2, PushButton3);
    setTabOrder(PushButton3, TextField4);
    setTabOrder(TextField4, RadioButton2[0]);

    docf = documentsFolder();
}

void afm2tfmWin::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Event_Activate();
}

void afm2tfmWin::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Event_Activate();
}

void afm2tfmWin::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    RadioButton2[0]->setChecked(true);
    if (isAdmin) {
        RadioButton3[0]->setChecked(true);
        RadioButton3[1]->setVisible(false);
        RadioButton3[2]->setVisible(false);
    } else {
        RadioButton3[1]->setChecked(true);
        RadioButton3[0]->setVisible(false);
        RadioButton3[2]->setVisible(true);
    }
}

int afm2tfmWin::encoding() const
{
    if (RadioButton2[1]->isChecked())
        return EncLY1;
    if (RadioButton2[2]->isChecked())
        return EncT1;
    return EncDefault;
}

void afm2tfmWin::Listbox1_CellClick(int row)
{
    mrow = row;
}

bool afm2tfmWin::Listbox1_ContextualMenuAction(int tag)
{
    return fontInfoMenuAction(tag, mrow, Listbox1->rowCount(), fontfolder, Listbox1->cell(mrow, 0));
}

void afm2tfmWin::Checkfields()
{
    if (Listbox1->rowCount() > 0 && !TextField1->text().trimmed().isEmpty() &&
        !TextField2->text().trimmed().isEmpty())
        PushButton2->setEnabled(true);
}

bool afm2tfmWin::ImportPieces()
{
    const bool found = hasFilesOfType(fontfolder, QStringLiteral("afm\tpfb\tpfa"));
    if (!found)
        msgBox(QStringLiteral("There are no .afm, .pfb or .pfa files in the folder you dropped."));
    return found;
}

void afm2tfmWin::refuseFolder()
{
    fontfolder.clear();
    Listbox1->deleteAllRows();
}

void afm2tfmWin::chooseOutlines()
{
    QStringList lines;
    QList<int> clashes;
    QString masterMap; // read at the first clash
    bool shared = false;
    for (int i = 0; i < afmlist.size(); ++i) {
        if (!instpfb.value(i))
            continue;
        for (const QString& name : fontfilename) {
            if (QFileInfo(name).completeBaseName().compare(afmlist.at(i), Qt::CaseInsensitive) != 0 ||
                name.endsWith(QLatin1String(".afm"), Qt::CaseInsensitive))
                continue;
            clashes << i;
            lines << name + QStringLiteral(": TeX finds ") + installedOutlines.value(i);
            // Found first, the dropped outline also replaces the installed
            // one for every other font that loads it; an earlier install of
            // this family is no other package.
            if (masterMap.isNull() && !mapRoot.isEmpty()) {
                QFile file(masterMapPath());
                masterMap = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("");
            }
            const QString outline = QFileInfo(installedOutlines.value(i)).fileName();
            const QString family = afmNames(QDir(fontfolder).filePath(afmlist.at(i) + QStringLiteral(".afm"))).value(1);
            const QString users = outlineUsersLine(outlineUsers(masterMap, outline, {familyMapName(family)}), outline);
            if (!users.isEmpty()) {
                lines << QStringLiteral("    ") + users;
                shared = true;
            }
            break;
        }
    }
    if (clashes.isEmpty())
        return;
    // Without a choice the new metrics would silently go with the old outlines.
    const bool own = askYesNo(
        QStringLiteral("The folder holds outline fonts whose names TeX already finds installed:\n") +
        lines.join(QLatin1Char('\n')) +
        QStringLiteral("\n\nInstall the dropped outline fonts with the package? They are then found first") +
        (shared ? QStringLiteral(", and the other packages named above will use them too instead of the installed "
                                 "ones.\n")
                : QStringLiteral(".\n")) +
        QStringLiteral("No keeps the installed ones, which the new metrics will then use."));
    if (!own)
        return;
    for (int i : clashes) {
        instpfb[i] = false;
        ownOutlines << afmlist.at(i);
    }
}

bool afm2tfmWin::outlinesSound(const QString& supplier, const QString& family)
{
    for (int i = 0; i < fontfilename.size(); ++i) {
        const QString pfb = outlineCopyPath(tdsFolder, fontfilename.at(i), supplier, family);
        if (pfb.isEmpty() || !QFileInfo::exists(pfb))
            continue;
        const QString problem = outlineFontProblem(pfb);
        if (!problem.isEmpty()) {
            msgBox(damagedOutlineMessage(fontfilepath.value(i), problem));
            return false;
        }
        keepDrawing();
    }
    return true;
}

void afm2tfmWin::checkOwnOutlinesFound(const QString& tree)
{
    const QString top = QDir::cleanPath(tree) + QLatin1Char('/');
    for (const QString& base : ownOutlines) {
        const QString found = runShellQuiet(kpsewhichCommand(base + QStringLiteral(".pfb")));
        if (QDir::cleanPath(found).startsWith(top))
            continue;
        msgBox(QStringLiteral("TeX finds ") + (found.isEmpty() ? QStringLiteral("no file") : found) +
               QStringLiteral(" for ") + base + QStringLiteral(".pfb, not the outline font installed with the "
                                                                 "package in ") +
               tree + QStringLiteral(": documents will not use the dropped outline."));
    }
}

void afm2tfmWin::Listbox1_DropObject(const QStringList& paths)
{
    StaticText10->clear();
    bringAppToFront();
    if (!fontfolder.isEmpty()) {
        msgBox(QStringLiteral("You can't add new items to an existing list---the afm--pfb/a pairs must be in a "
                              "single folder"));
        return;
    }
    fontfilename.clear();
    fontfilepath.clear();
    fontfamily.clear();
    psname.clear();
    afmlist.clear();
    pflist.clear();
    encvar.clear();
    fdpath.clear();
    for (int i = 0; i < paths.size(); ++i) {
        if (i > 0) {
            msgBox(QStringLiteral("You are permitted to drop only a single folder"));
            return;
        }
        fontfolder = paths.at(i);
        // The base names become TeX font names in the .fd and map files.
        // Checked first: a name that is not UTF-8 would pass for a missing
        // folder.
        const QString problem =
            dropProblem({fontfolder}, DropRules{{QStringLiteral(".afm"), QStringLiteral(".pfb"), QStringLiteral(".pfa")},
                                                true});
        if (!problem.isEmpty()) {
            msgBox(problem);
            fontfolder.clear();
            return;
        }
        if (!QFileInfo(fontfolder).isDir()) {
            msgBox(QStringLiteral("You cannot drop individual files---just a single folder"));
            return;
        }
        if (!ImportPieces()) {
            fontfolder.clear();
            return;
        }
        // The PostScript name goes into the map line as it stands.
        const QStringList badNames = unsafePostScriptNames(fontfolder, fontFolderContents(fontfolder).afmlist);
        if (!badNames.isEmpty()) {
            msgBox(QStringLiteral("These fonts have PostScript names that a map file and TeX cannot take (blanks, "
                                  "( ) < > [ ] { } / % \" \\ or characters outside ASCII):\n") +
                   badNames.join(QLatin1Char('\n')));
            fontfolder.clear();
            return;
        }
    }
    if (fontfolder.isEmpty())
        return;

    openLog(docf);
    logLine(QStringLiteral("%%%%%% new program run %%%"));
    // The label names the file the lines really go to: an open log stays in use.
    StaticText10->setText(logStream ? logStream->fileName() : logFile);
    logLine(timeStamp());
    logLine(QStringLiteral("Dropped font folder ") + fontfolder);
    Listbox1->deleteAllRows();
    logLine(QStringLiteral("%%Looking for afm/pfb/pfa files---"));

    const FontFolderContents contents = fontFolderContents(fontfolder);
    fontfilename = contents.fontfilename;
    fontfilepath = contents.fontfilepath;
    afmlist = contents.afmlist;
    pflist = contents.pflist;
    for (const QString& name : fontfilename) {
        const int row = Listbox1->addFileRow(name);
        if (name.endsWith(QLatin1String(".afm"), Qt::CaseInsensitive))
            Listbox1->setCell(row, 2, QStringLiteral("10"));
        logLine(name);
        keepDrawing();
    }
    logLine(QStringLiteral("%% end of font list"));

    // Font files only in subfolders: nothing to work with at the top.
    if (fontfilename.isEmpty()) {
        msgBox(QStringLiteral("There are no .afm, .pfb or .pfa files in the folder you dropped."));
        refuseFolder();
        return;
    }

    auto containsName = [](const QStringList& list, const QString& name) {
        return list.contains(name, Qt::CaseInsensitive);
    };
    bool refused = false;
    for (const QString& base : pflist) {
        if (!containsName(afmlist, base)) {
            msgBox(QStringLiteral("No afm corresponding to ") + base + QStringLiteral(".pf*"));
            refused = true;
        }
    }
    if (refused) {
        refuseFolder();
        return;
    }

    instpfb.clear();
    installedOutlines.clear();
    ownOutlines.clear();
    for (const QString& base : afmlist) {
        const QString found = runShellQuiet(kpsewhichCommand(base + QStringLiteral(".pfb")));
        const bool installed = !found.isEmpty();
        instpfb << installed;
        installedOutlines << found;
        if (!containsName(pflist, base) && !installed) {
            msgBox(QStringLiteral("No pfb/pfa corresponding to ") + base +
                   QStringLiteral(".afm either in current folder or installed."));
            refused = true;
        }
        keepDrawing();
    }
    if (refused) {
        refuseFolder();
        return;
    }

    const QStringList prefixes = berryPrefixes(afmlist);
    if (prefixes.size() > 1) {
        msgBox(QStringLiteral("You have used more than one Berry prefix: ") + prefixes.join(QStringLiteral(", ")) +
               QLatin1Char('\n') + QStringLiteral("All prefixes must be the same."));
        refuseFolder();
        return;
    }

    chooseOutlines();

    TextField1->setText(supplierName(afmlist.first().left(1)));
    prefix = afmlist.first().left(3).toLower();

    fontfamilies.clear();
    for (const QString& base : afmlist) {
        const QStringList names = afmNames(QDir(fontfolder).filePath(base + QStringLiteral(".afm")));
        psname << names.value(0);
        QString family = names.value(1);
        family.remove(QLatin1Char(' '));
        fontfamily << family;
        if (!fontfamilies.contains(family, Qt::CaseInsensitive))
            fontfamilies << family;
    }
    if (fontfamilies.size() > 1) {
        ChooseFontFamily* chooser = ChooseFontFamily::instance();
        for (const QString& family : fontfamilies)
            chooser->PopupMenu1->addItem(family);
        chooser->PopupMenu1->setCurrentIndex(0);
        QPointer<ChooseFontFamily> open(chooser);
        dialogs().runModal(chooser);
        // The next drop that needs a choice starts with an empty list.
        delete open.data();
    } else if (fontfamilies.size() == 1) {
        TextField2->setText(fontfamilies.first());
    }
    PushButton2->setEnabled(true);

    const QString family = TextField2->text().trimmed();
    const QString mapKey = family + QStringLiteral(".map");
    if (mapDict.contains(mapKey))
        msgBox(QStringLiteral("WARNING!! There is already a map file using that name:") + QLatin1Char('\n') +
               mapDict.value(mapKey) + QLatin1Char('\n') +
               QStringLiteral("Change Font Family Name before dismissing this warning."));

    const QString existing = findInTrees(fdFileName(encoding(), prefix));
    if (!existing.isEmpty())
        msgBox(QStringLiteral("WARNING!! There are existing .fd files that will be overwritten if you install:") +
               QLatin1Char('\n') + existing);
}

void afm2tfmWin::prepare()
{
    TextField4->clear();
    const QString supplier = TextField1->text().trimmed();
    const QString family = TextField2->text().trimmed();
    const QString problem = packageNamesProblem(packageNames(supplier, family));
    if (!problem.isEmpty()) {
        msgBox(problem);
        return;
    }
    const int enc = encoding();

    // Every cell is read before anything is made, so a typing slip costs nothing.
    QList<int> rows;
    QStringList sizes;
    for (const QString& base : afmlist) {
        int row = -1;
        for (int r = 0; r < Listbox1->rowCount() && row < 0; ++r) {
            if (Listbox1->cell(r, 0).trimmed().compare(base + QStringLiteral(".afm"), Qt::CaseInsensitive) == 0)
                row = r;
        }
        QString ds;
        if (row >= 0 && !designSizeOf(Listbox1->cell(row, 2), &ds)) {
            msgBox(QStringLiteral("The design size of ") + base + QStringLiteral(".afm must be a positive number "
                                                                                 "of points, not \"") +
                   Listbox1->cell(row, 2).trimmed() + QStringLiteral("\"."));
            return;
        }
        rows << row;
        sizes << ds;
    }

    // The package's metrics are plain TFM files: a virtual font of the same
    // name that TeX already finds would be loaded in their place, and
    // pdfTeX stops on it.
    for (const QString& base : afmlist) {
        const QString tfm = metricName(base, enc);
        const QString vf = runShellQuiet(kpsewhichCommand(tfm + QStringLiteral(".vf")));
        if (!vf.isEmpty()) {
            msgBox(QStringLiteral("TeX already finds a virtual font named like the metric ") + tfm +
                   QStringLiteral(" that this encoding makes:\n") + vf +
                   QStringLiteral("\nIt would take the new metric's place in documents. Choose another encoding or "
                                  "give the fonts another Berry name."));
            return;
        }
    }

    const QString tds = makeScratchFolder(docf);
    if (tds.isEmpty()) {
        msgBox(QStringLiteral("Error creating TDS in ") + docf);
        return;
    }
    tmpfname = QFileInfo(tds).fileName();
    tdsFolder = tds;

    runShellQuiet(skeletonCommand(tds, supplier, family));
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("Error creating TDS in ") + tds);
        return;
    }
    for (int i = 0; i < fontfilename.size(); ++i) {
        const DroppedCopy plan = droppedCopy(tds, fontfilename.at(i), afmlist, instpfb, supplier, family);
        const QString problem = copyDroppedFile(fontfilepath.value(i), plan);
        if (!problem.isEmpty()) {
            // Nothing of the refused package stays behind.
            removeScratchFolder(tds);
            tdsFolder.clear();
            tmpfname.clear();
            msgBox(QStringLiteral("Error copying files to ") + tds + QStringLiteral(":\n") + problem);
            return;
        }
        keepDrawing();
    }
    if (!outlinesSound(supplier, family))
        return;

    maplines.clear();
    const QDir work(tds);
    for (int i = 0; i < afmlist.size(); ++i) {
        const QString base = afmlist.at(i);
        const QString tfm = metricName(base, enc);
        const int row = rows.at(i);
        const bool raw = row >= 0 && Listbox1->checked(row);
        const QString options = row >= 0 ? Listbox1->cell(row, 1).trimmed() : QString();
        const QString ds = sizes.at(i);
        const QString cmd = afm2tfmCommand(tds, base, options, enc, raw);
        const QString mapline = runShell(cmd);
        if (lastShell.errorCode != 0) {
            msgBox(QStringLiteral("Error running ") + cmd);
            return;
        }
        if (rawApplies(enc, raw) && !ds.isEmpty()) {
            const QString rawName = rawFontName(base, enc, raw);
            runShell(tftoplCommand(tds, rawName));
            if (lastShell.errorCode != 0)
                return stopPrepare(QStringLiteral("tftopl"), base);
            const QString pl = work.filePath(rawName + QStringLiteral(".pl"));
            if (QFileInfo::exists(pl)) {
                readLines(pl);
                if (patchDesignSize(fileLines, ds) && !writeText(pl, fileLines.join(lf) + lf))
                    msgBox(QStringLiteral("Cannot write ") + pl);
                runShell(pltotfCommand(tds, rawName + QStringLiteral(".pl")));
                if (lastShell.errorCode != 0)
                    return stopPrepare(QStringLiteral("pltotf"), base);
            }
        }
        const QString vpl = work.filePath(tfm + QStringLiteral(".vpl"));
        if (!ds.isEmpty() && QFileInfo::exists(vpl)) {
            readLines(vpl);
            if (patchDesignSize(fileLines, ds) && !writeText(vpl, fileLines.join(lf) + lf))
                msgBox(QStringLiteral("Cannot write ") + vpl);
        }
        maplines << packageMapLine(mapline, base, enc);

        // pltotf refuses the groups only a virtual font has; without them the
        // metric file is the one vptovf would make.
        const QString pl = work.filePath(tfm + QStringLiteral(".pl"));
        if (QFileInfo::exists(vpl)) {
            if (writeText(pl, stripVirtualGroups(readLatin1File(vpl))))
                QFile::remove(vpl);
            else
                msgBox(QStringLiteral("Cannot write ") + pl);
        }
        // A metric that was not made must not be named by the .fd and map
        // files, nor installed.
        runShell(pltotfCommand(tds, tfm + QStringLiteral(".pl")));
        if (lastShell.errorCode != 0)
            return stopPrepare(QStringLiteral("pltotf"), base);
        runShell(copyTfmCommand(tds, tfm, supplier, family));
        if (lastShell.errorCode != 0)
            return stopPrepare(QStringLiteral("Copying the metric"), base);
        // The raw font of LY1 and T1 is named by no map line; installed, it
        // would only hide a metric of the same name with another encoding.
        if (tfm.compare(base, Qt::CaseInsensitive) != 0 && !rawApplies(enc, raw))
            QFile::remove(work.filePath(base + QStringLiteral(".tfm")));
        keepDrawing();
    }

    const QString stamp = timeStamp();
    const QString mapPath = work.filePath(familyMapName(TextField2->text()));
    if (!writeText(mapPath, mapFileText(stamp, maplines))) {
        msgBox(QStringLiteral("Cannot write ") + mapPath);
        return;
    }
    // A font name an enabled map already defines would be defined twice
    // after Install, and updmap keeps only one of the two.
    QStringList fonts;
    for (const QString& line : maplines)
        fonts << line.simplified().section(QLatin1Char(' '), 0, 0);
    const QString defined = fontsAlreadyDefinedText(fontsDefinedByEnabledMaps(fonts, prefMethod() >= 1));
    if (!defined.isEmpty())
        msgBox(defined);
    QStringList pairs;
    for (const QString& base : afmlist) {
        BerryNameInfo info;
        parseBerryName(base, info);
        pairs << weightShapePair(info);
    }
    const QString fdName = fdFileName(enc, prefix);
    const QString installed = runShellQuiet(kpsewhichCommand(fdName));
    if (!installed.isEmpty())
        msgBox(QStringLiteral("WARNING!!! There is already an fd file named ") + fdName + QStringLiteral(" at") +
               QLatin1Char('\n') + installed + QLatin1Char('\n') +
               QStringLiteral("You should compare the two before running Install."));
    const QString fdPath = work.filePath(fdName);
    if (!writeText(fdPath, fdFileText(stamp, enc, prefix, TextField2->text(), pairs, maplines))) {
        msgBox(QStringLiteral("Cannot write ") + fdPath);
        return;
    }
    if (hasRepeatedPairs(pairs))
        msgBox(QStringLiteral("WARNING!!! The file ") + fdName +
               QStringLiteral(" is faulty and must be corrected before installation.") + QLatin1Char('\n') +
               QStringLiteral("There are repetions of some of the weight/shape pairs."));
    PushButton3->setEnabled(true);
}

void afm2tfmWin::stopPrepare(const QString& step, const QString& base)
{
    msgBox(step + QStringLiteral(" failed for ") + base + QStringLiteral(".afm. The package was not made and "
                                                                          "cannot be installed."));
    PushButton3->setEnabled(false);
}

void afm2tfmWin::install()
{
    const QString supplier = TextField1->text().trimmed();
    const QString family = TextField2->text().trimmed();
    const QString problem = packageNamesProblem(packageNames(supplier, family));
    if (!problem.isEmpty()) {
        msgBox(problem);
        return;
    }
    QString fam = family;
    fam.remove(QLatin1Char(' '));
    if (!installedFolder.isEmpty() && installedFolder == tdsFolder) {
        msgBox(QStringLiteral("The package ") + fam + QStringLiteral(" is installed already."));
        PushButton3->setEnabled(false);
        return;
    }

    runShell(installFoldersCommand(tdsFolder, supplier, family));
    if (lastShell.errorCode != 0) {
        PushButton3->setEnabled(false);
        return;
    }
    // After a copy that failed the files are in their folders already.
    const bool moved = QDir(tdsFolder).entryList({QStringLiteral("*.afm")}, QDir::Files).isEmpty() &&
                       !QDir(tdsFolder + QStringLiteral("/TDS/fonts/afm/") + supplier + QLatin1Char('/') + family)
                            .entryList({QStringLiteral("*.afm")}, QDir::Files)
                            .isEmpty();
    if (!moved) {
        runShell(installMovesCommand(tdsFolder, supplier, family));
        if (lastShell.errorCode != 0) {
            PushButton3->setEnabled(false);
            return;
        }
    }
    const QString existing = runShellQuiet(kpsewhichCommand(fam + QStringLiteral(".map")));
    if (!existing.isEmpty()) {
        msgBox(QStringLiteral("There is already a map file by the same name at ") + QLatin1Char('\n') + existing +
               QLatin1Char('\n') + QStringLiteral("You should change the name of the Font Family and try again."));
        PushButton3->setEnabled(false);
        return;
    }

    const int method = prefMethod();
    QString tree = texmfLocal;
    if (method == 1) {
        if (runAsRoot(installCopyCommand(tdsFolder, texmfLocal, true)) != 0) {
            msgBox(QStringLiteral("Copying the fonts into ") + texmfLocal + QStringLiteral(" failed."));
            return;
        }
        if (runAsRoot(mktexlsrRootCommand()) != 0) {
            msgBox(QStringLiteral("mktexlsr failed: the fonts in ") + texmfLocal +
                   QStringLiteral(" are not known to TeX yet."));
            return;
        }
    } else {
        // "System" with personal installs (an administrator with "method" 0)
        // means the permanent personal tree, like "Personal".
        tree = RadioButton3[2]->isChecked() ? texmfVar : texmfHome;
        runShell(installCopyCommand(tdsFolder, tree, false));
        if (lastShell.errorCode != 0) {
            msgBox(QStringLiteral("Copying the fonts into ") + tree + QStringLiteral(" failed."));
            return;
        }
    }
    hasType1 = true;
    hasMF = false;
    hasTTF = false;
    hasMaps = true;
    tdsMaps = QStringList{fam};
    installedFolder = tdsFolder;
    finishInstall(method > 0 ? 1 : 0);
    checkOwnOutlinesFound(tree);
}

} // namespace qlk

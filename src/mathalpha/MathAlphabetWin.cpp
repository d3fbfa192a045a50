#include "mathalpha/MathAlphabetWin.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/FontMeasure.h"
#include "mathalpha/GlyphMeasure.h"
#include "mathalpha/MathAlph2.h"
#include "mathalpha/MathAlphaBuild.h"
#include "mathalpha/glyphwindowMA.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/DropCheck.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"
#include "ui/SingleWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>

namespace qlk {

using namespace mathalpha;

namespace {

QPointer<MathAlphabetWin> openWindow;

QPushButton* button(QWidget* parent, const QString& text, int x, int y, int w, int h)
{
    auto* b = new QPushButton(text, parent);
    b->setGeometry(x, y, w, h);
    return b;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

QLineEdit* field(QWidget* parent, int x, int y, int w, int h)
{
    auto* f = new QLineEdit(parent);
    f->setGeometry(x, y, w, h);
    return f;
}

bool writeText(const QString& path, const QString& text)
{
    QFile f(path);
    const QByteArray bytes = text.toUtf8();
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush()) {
        msgBox(QStringLiteral("Unable to write ") + path);
        return false;
    }
    return true;
}

const char* const kInstructions =
    "The tools in this window allow you to create a virtual font from an installed LaTeX text font for use as a "
    "math alphabet such as script, calligraphic, blackboard bold or Fraktur. Create an empty master folder and "
    "drag it onto the box below right. It will be used only to store your settings and adjustments. After that, "
    "enter the name of the base tfm, select the appropriate 'Install as', press OK, and correct the names under "
    "which you want to save it and press Process. After each round of adjustments, you should test the effect, "
    "and make further adjustments, etc, etc.\n"
    "After pressing Install, you will have in your texmf trees a tfm/vf pair for your virtual font, plus a sty "
    "file allowing its invocation in your preamble. An fd file is also created allowing ad hoc use without the "
    "sty file.";

} // namespace

MathAlphabetWin* MathAlphabetWin::instance()
{
    MathAlphabetWin* w = singleWindow<MathAlphabetWin>();
    openWindow = w;
    return w;
}

MathAlphabetWin* MathAlphabetWin::existing()
{
    return openWindow;
}

MathAlphabetWin::MathAlphabetWin()
{
    setWindowTitle(QStringLiteral("Add Math Alphabet"));
    resize(741, 490);
    setMinimumSize(64, 64);
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    Label1 = label(this, QString::fromLatin1(kInstructions), 3, 4, 735, 119);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Listbox1 = new ExamineList({QStringLiteral("Glyph"), QStringLiteral("left"), QStringLiteral("right"),
                                QStringLiteral("subscript"), QStringLiteral("accent")},
                               {12, 22, 22, 22, 22}, this);
    Listbox1->setGeometry(4, 163, 454, 283);
    Listbox1->setAcceptDrops(false);
    Listbox1->setEditableColumn(1);
    for (int c = 2; c <= 4; ++c)
        Listbox1->setItemDelegateForColumn(c, nullptr);
    Listbox1->setContextMenuPolicy(Qt::CustomContextMenu);
    Label2 = label(this, QStringLiteral("Adjustments:"), 3, 134, 92, 20);
    Listbox2 = new ExamineList({}, {100}, this);
    Listbox2->setGeometry(471, 163, 260, 24);
    Label3 = label(this, QStringLiteral("Drag master folder to this box:"), 471, 136, 202, 20);
    PushButton1 = button(this, QStringLiteral("Process"), 471, 194, 87, 20);
    PushButton2 = button(this, QStringLiteral("Test"), 578, 194, 52, 20);
    PushButton3 = button(this, QStringLiteral("Install"), 651, 194, 80, 20);
    Label4 = label(this, QStringLiteral("Base font:"), 471, 226, 66, 20);
    TextField1 = field(this, 539, 226, 145, 22);
    TextField1->setToolTip(QStringLiteral("Enter name of tfm (without '.tfm')"));
    GroupBox1 = new QGroupBox(QStringLiteral("Install as:"), this);
    GroupBox1->setGeometry(468, 349, 242, 130);
    const char* kinds[4] = {"Calligraphic for \\mathcal", "Script for \\mathscr", "Blackboard bold for \\mathbb",
                            "Fraktur for \\mathfrak"};
    const int kindTops[4] = {373, 400, 426, 452};
    for (int i = 0; i < 4; ++i) {
        RadioButton1[i] = new QRadioButton(QString::fromLatin1(kinds[i]), GroupBox1);
        RadioButton1[i]->setGeometry(473 - 468, kindTops[i] - 349, 228, 20);
    }
    Label5 = label(this, QStringLiteral("Name for  new font:"), 471, 301, 134, 20);
    TextField2 = field(this, 611, 301, 120, 22);
    Label6 = label(this, QStringLiteral("Name for  new sty:"), 471, 326, 134, 20);
    TextField3 = field(this, 611, 326, 120, 22);
    PushButton4 = button(this, QStringLiteral("OK"), 696, 226, 35, 20);
    PushButton5 = button(this, QStringLiteral("Clear all adjustments"), 103, 133, 153, 20);
    TextField4 = field(this, 702, 273, 29, 22);
    GroupBox2 = new QGroupBox(QStringLiteral("Spacing method"), this);
    GroupBox2->setGeometry(468, 255, 233, 44);
    const char* methods[3] = {"Min VR", "Letterspace", "None"};
    const int methodX[3] = {470, 546, 643};
    const int methodW[3] = {67, 93, 58};
    for (int i = 0; i < 3; ++i) {
        RadioButton2[i] = new QRadioButton(QString::fromLatin1(methods[i]), GroupBox2);
        RadioButton2[i]->setGeometry(methodX[i] - 468, 20, methodW[i], 20);
    }
    TextArea1 = new QTextEdit(this);
    TextArea1->setGeometry(3, 450, 455, 37);
    TextArea1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    PushButton1->setEnabled(false);
    PushButton2->setEnabled(false);
    PushButton3->setEnabled(false);
    PushButton4->setEnabled(false);

    // The grid opens with the capitals; a master folder brings all 52 rows.
    fillGridRows(26);
    RadioButton2[0]->setChecked(true);

    connect(Listbox1, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem* item, int column) {
        Listbox1_CellClick(Listbox1->indexOfTopLevelItem(item), column);
    });
    connect(Listbox1, &QTreeWidget::itemDoubleClicked, this, [this] { Listbox1_DoubleClick(); });
    connect(Listbox1, &QTreeWidget::itemChanged, this, [this] { Listbox1_CellTextChange(); });
    connect(Listbox1, &QTreeWidget::itemSelectionChanged, this, [this] { Listbox1_Change(); });
    connect(Listbox1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = Listbox1_ConstructContextualMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(Listbox1->viewport()->mapToGlobal(at));
    });
    Listbox2->onDrop = [this](const QStringList& paths) { Listbox2_DropObject(paths); };
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Action(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Action(); });
    connect(TextField1, &QLineEdit::textChanged, this, [this] { TextField1_TextChange(); });
    for (QRadioButton* b : RadioButton1) {
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                RadioButton1_Action();
        });
    }
}

void MathAlphabetWin::fillGridRows(int count)
{
    const QSignalBlocker block(Listbox1);
    Listbox1->deleteAllRows();
    for (int r = 0; r < count; ++r)
        Listbox1->addRow({QString(glyphLetter(r)), QString(), QString(), QString(), QString()});
}

int MathAlphabetWin::kindIndex() const
{
    for (int i = 0; i < 4; ++i) {
        if (RadioButton1[i]->isChecked())
            return i;
    }
    return 0;
}

int MathAlphabetWin::spacingMethod() const
{
    for (int i = 0; i < 3; ++i) {
        if (RadioButton2[i]->isChecked())
            return i;
    }
    return 0;
}

// --- window events -----------------------------------------------------------

void MathAlphabetWin::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Event_Activate();
}

void MathAlphabetWin::closeEvent(QCloseEvent* event)
{
    Event_Close();
    QWidget::closeEvent(event);
}

void MathAlphabetWin::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The grid keeps its distance to the bottom, the boxes and name fields
    // theirs to the right edge.
    Listbox1->resize(Listbox1->width(), qMax(40, height() - 163 - 44));
    const int grow = width() - 741;
    Listbox2->resize(qMax(40, 260 + grow), Listbox2->height());
    TextField1->resize(qMax(20, 145 + grow), TextField1->height());
    TextField2->resize(qMax(20, 120 + grow), TextField2->height());
    TextField3->resize(qMax(20, 120 + grow), TextField3->height());
    PushButton4->move(696 + grow, PushButton4->y());
}

void MathAlphabetWin::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    initwin();
    for (int i = 0; i < 4; ++i)
        suffs[i] = suffix(i);
    mtpimgs = appFolder() + QStringLiteral("/img");
    if (!QFileInfo(mtpimgs).isDir()) {
        msgBox(QStringLiteral("Unable to locate folder 'img' in same folder as Quillmark2013 (") + appFolder() +
               QStringLiteral(")."));
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    const QString found = runShellQuiet(shellQuote(texProgram(QStringLiteral("kpsewhich"))) +
                                        QStringLiteral(" mt2testfileMA.tex"));
    if (found.isEmpty()) {
        // The Test button's document needs it where latex looks.
        const QString target = texmfHome + QStringLiteral("/tex/latex");
        runShell(shellQuote(systemProgram(QStringLiteral("mkdir"))) + QStringLiteral(" -p ") + shellQuote(target));
        runShell(QStringLiteral("cd ") + shellQuote(appFolder()) + QStringLiteral(" && ") +
                 shellQuote(systemProgram(QStringLiteral("cp"))) + QStringLiteral(" -f mt2testfileMA.tex ") +
                 shellQuote(target));
    }
    if (haspref(QStringLiteral("masterMA"))) {
        const QString path = prefText(QStringLiteral("masterMA"));
        if (!path.isEmpty() && QFileInfo(path).isDir()) {
            masterfolder = path;
            processmaster();
        } else {
            masterfolder.clear();
        }
    }
}

void MathAlphabetWin::Event_Close()
{
    if (masterfolder.isEmpty())
        return;
    setpref(QStringLiteral("masterMA"), masterfolder);
    saveprefs();
}

// --- grid events -------------------------------------------------------------

void MathAlphabetWin::Listbox1_CellClick(int row, int column)
{
    mrow = row;
    mcol = column;
}

void MathAlphabetWin::Listbox1_CellTextChange()
{
    if (ready)
        dirty = 1;
}

void MathAlphabetWin::Listbox1_Change()
{
    if (ready)
        dirty = 1;
}

QMenu* MathAlphabetWin::Listbox1_ConstructContextualMenu()
{
    auto* menu = new QMenu(this);
    QAction* item = menu->addAction(QStringLiteral("Show glyph with background"));
    item->setData(1);
    connect(item, &QAction::triggered, this, [this] { Listbox1_ContextualMenuAction(1); });
    return menu;
}

// --- master folder drop --------------------------------------------------------

void MathAlphabetWin::Listbox2_DropObject(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    bringAppToFront();
    if (!masterfolder.isEmpty() && !askYesNo(QStringLiteral("Replace with new master folder?")))
        return;
    ready = false;
    Clearall();
    needMetrics = true;
    needglyphs = true;
    masterfolder = paths.first();
    if (paths.size() > 1) {
        msgBox(QStringLiteral("You may drop only a single folder. Please start over."));
        masterfolder.clear();
        return;
    }
    if (const QString problem = dropProblem({masterfolder}, DropRules{}); !problem.isEmpty()) {
        msgBox(problem);
        masterfolder.clear();
    } else if (QFileInfo(masterfolder).isDir()) {
        processmaster();
    } else {
        msgBox(QStringLiteral("You may drop only a single folder, not a file. Please start over."));
        masterfolder.clear();
    }
}

// --- buttons -------------------------------------------------------------------

void MathAlphabetWin::PushButton1_Action()
{
    pressProcess();
}

void MathAlphabetWin::PushButton2_Action()
{
    if (tmpfolder.isEmpty())
        return;
    const int i = kindIndex();
    if (!writeText(tmpfolder + QStringLiteral("/glyphtest.tex"), glyphTestText(TextField3->text(), i)))
        return;
    runShell(glyphTestCommand(tmpfolder));
    if (lastShell.errorCode == 0)
        openWithDefault(tmpfolder + QStringLiteral("/glyphtest.pdf"));
}

void MathAlphabetWin::PushButton3_Action()
{
    install();
}

void MathAlphabetWin::TextField1_TextChange()
{
    if (!ready)
        return;
    ttfmn = TextField1->text().trimmed();
    if (ttfmn.isEmpty())
        return;
    ttfmn = ttfmn.section(QLatin1Char('.'), 0, 0);
    if (ttfm.contains(QLatin1Char('/'))) {
        const QString current = ttfm.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0);
        PushButton4->setEnabled(ttfmn.compare(current, Qt::CaseInsensitive) != 0);
    } else if (!ttfmn.isEmpty()) {
        PushButton4->setEnabled(true);
    }
}

void MathAlphabetWin::RadioButton1_Action()
{
    const int i = kindIndex();
    if (family.isEmpty())
        return;
    TextField2->setText(family + suffs[i]);
    TextField3->setText(family + suffs[i]);
}

void MathAlphabetWin::PushButton4_Action()
{
    ttfmn = TextField1->text().trimmed();
    Resettfm();
}

void MathAlphabetWin::PushButton5_Action()
{
    ClearListbox1();
}

// --- the master folder -----------------------------------------------------------

void MathAlphabetWin::initwin()
{
    RadioButton1[0]->setChecked(true);
    TextField4->setText(QStringLiteral("50"));
}

void MathAlphabetWin::processmaster()
{
    adjfile.clear();
    setfile.clear();
    oldadjfile.clear();
    Clearall();
    Listbox2->deleteAllRows();
    Listbox2->addRow({masterfolder});
    const QDir dir(masterfolder);
    setfile = dir.filePath(QStringLiteral("settings"));
    adjfile = dir.filePath(QStringLiteral("adjustments"));
    oldadjfile = dir.filePath(QStringLiteral("adjustments-old"));
    metricsfile = dir.filePath(QStringLiteral("metrics"));
    glyphsfolder = dir.filePath(QStringLiteral("imgs"));
    needglyphs = !(QFileInfo(glyphsfolder).isDir() && QFileInfo::exists(glyphsfolder + QStringLiteral("/gl1.png")));
    needMetrics = !QFileInfo::exists(metricsfile);
    if (!needMetrics) {
        readLines(metricsfile);
        if (!parseMetrics(fileLines, metrics)) {
            msgBox(QStringLiteral("Bailing out---this does not contain all metrics. Please select a new base tfm."));
            return;
        }
    }
    if (QFileInfo::exists(setfile)) {
        if (QFileInfo(setfile).isDir()) {
            msgBox(QStringLiteral("A folder named 'settings' interferes with saving the settings file. Please "
                                  "delete it and start over"));
            Clearall();
            masterfolder.clear();
            return;
        }
        readLines(setfile);
        SetFields(QFileInfo::exists(adjfile));
    }
    PushButton1->setEnabled(true);
    if (QFileInfo::exists(adjfile)) {
        readLines(adjfile);
        int skipped = 0;
        const QList<AdjustmentCell> cells = parseAdjustments(fileLines, &skipped);
        const QSignalBlocker block(Listbox1);
        for (const AdjustmentCell& c : cells)
            Listbox1->setCell(c.row, c.column, c.text);
        if (skipped > 0)
            msgBox(QStringLiteral("%1 line(s) of the adjustments file could not be read and were left out.")
                       .arg(skipped));
    }
    ready = true;
    bringAppToFront();
}

void MathAlphabetWin::SetFields(bool hasAdjustments)
{
    Settings s;
    QString error;
    if (!parseSettings(fileLines, hasAdjustments, s, &error)) {
        msgBox(error);
        activated = true;
        return;
    }
    TextField1->setText(s.srctfmname);
    ttfmn = s.srctfmname;
    ttfm = s.srctfmpath;
    RadioButton1[s.kind]->setChecked(true);
    TextField2->setText(s.newtfm);
    TextField3->setText(s.newsty);
    if (!s.spacing.isEmpty())
        TextField4->setText(s.spacing);
    RadioButton2[s.spacingmethod]->setChecked(true);
    spacingenable(s.spacingactive);
    const TfmPath p = splitTfmPath(ttfm);
    family = p.family;
    vendor = p.vendor;
    activated = true;
    update();
}

void MathAlphabetWin::Clearall()
{
    ClearListbox1();
    TextField1->clear();
    TextField3->clear();
    TextField2->clear();
    TextArea1->clear();
    PushButton1->setEnabled(false);
    PushButton2->setEnabled(false);
    PushButton3->setEnabled(false);
    PushButton4->setEnabled(false);
    RadioButton1[0]->setChecked(true);
    RadioButton2[0]->setChecked(true);
    tmpfolder.clear();
    ttfm.clear();
    needMetrics = true;
    needglyphs = true;
    update();
}

// --- font selection --------------------------------------------------------------

void MathAlphabetWin::Resettfm()
{
    if (ttfmn.endsWith(QStringLiteral(".tfm"), Qt::CaseInsensitive))
        ttfmn.chop(4);
    ttfm = runShellQuiet(shellQuote(texProgram(QStringLiteral("kpsewhich"))) + QLatin1Char(' ') +
                         shellQuote(ttfmn + QStringLiteral(".tfm")));
    if (!ttfm.isEmpty()) {
        fromTFMname();
        spacingenable(1);
    } else {
        msgBox(QStringLiteral("You have entered an invalid tfm name"));
    }
}

void MathAlphabetWin::fromTFMname()
{
    if (!TextField2->text().trimmed().isEmpty() || !TextField3->text().trimmed().isEmpty()) {
        if (!askYesNo(QStringLiteral("You have changed the source tfm.\nAllow program to change new font and sty names?")))
            return;
    }
    const TfmPath p = splitTfmPath(ttfm);
    family = p.family;
    vendor = p.vendor;
    const int i = kindIndex();
    TextField2->setText(family + suffs[i]);
    TextField3->setText(family + suffs[i]);
}

// --- grid and spacing --------------------------------------------------------------

void MathAlphabetWin::ClearListbox1()
{
    fillGridRows(kGlyphs);
    for (auto& row : xx)
        row = {0, 0, 0, 0};
    spacingenable(1);
    hasLBentries = false;
}

void MathAlphabetWin::spacingenable(int state)
{
    TextField4->setEnabled(state == 1);
    GroupBox2->setEnabled(state == 1);
}

// --- the build -----------------------------------------------------------------------

bool MathAlphabetWin::process()
{
    // 1. Start.
    PushButton3->setEnabled(false);
    PushButton2->setEnabled(false);
    TextArea1->setPlainText(QStringLiteral("Running process fontinst"));
    const int kind = kindIndex();

    // 2. The names become file names, TeX names and shell words.
    const QString sty = TextField3->text().trimmed();
    const QString font = TextField2->text().trimmed();
    QString problem = checkName(sty, QStringLiteral("sty"));
    if (problem.isEmpty())
        problem = checkName(font, QStringLiteral("font"));
    if (!problem.isEmpty()) {
        msgBox(problem);
        return false;
    }
    if (ttfm.isEmpty()) {
        msgBox(QStringLiteral("Either invalid tfm, or you did not press OK."));
        return false;
    }
    if (masterfolder.isEmpty())
        return false;
    // A cell the font cannot hold would reach it as another number; the
    // master folder's files are left as they are.
    for (int k = 0; k < kGlyphs && k < Listbox1->rowCount(); ++k) {
        for (int c = 1; c <= 4; ++c) {
            const double v = leadingNumber(Listbox1->cell(k, c));
            if (!adjustmentFits(v)) {
                msgBox(adjustmentRangeMessage(k, c, v) + QStringLiteral(" The font was not built."));
                return false;
            }
        }
    }

    // 3. The settings as they are at the start of the build.
    Settings s;
    s.srctfmname = ttfmn;
    s.srctfmpath = ttfm;
    s.newtfm = font;
    s.newsty = sty;
    s.kind = kind;
    s.spacing = TextField4->text().trimmed();
    s.spacingmethod = spacingMethod();
    s.spacingactive = TextField4->isEnabled() ? 1 : 0;
    if (!writeText(setfile, settingsText(s)))
        return false;

    // 4. The previous adjustments become adjustments-old.
    QFile::remove(oldadjfile);
    QFile::rename(adjfile, oldadjfile);
    adjfile = QDir(masterfolder).filePath(QStringLiteral("adjustments"));

    // 5. The grid in numbers.
    hasLBentries = false;
    for (int k = 0; k < kGlyphs; ++k) {
        for (int c = 1; c <= 4; ++c) {
            xx[k][c - 1] = k < Listbox1->rowCount() ? cellNumber(Listbox1->cell(k, c)) : 0;
            if (xx[k][c - 1] != 0)
                hasLBentries = true;
        }
    }

    // 6. Spacing, once per reset of the spacing controls.
    if (!needMetrics && TextField4->isEnabled()) {
        bool apply = true;
        if (hasLBentries) {
            if (askYesNo(QStringLiteral("Discard adjustments and apply spacing?")))
                ClearListbox1();
            else
                apply = false;
        }
        if (apply && !applySpacing(spacingMethod(), cellNumber(TextField4->text()), metrics, xx)) {
            // The grid goes into the font as it stands.
            msgBox(QStringLiteral("The spacing or an adjustment is too large; no spacing was applied."));
            apply = false;
        }
        if (apply) {
            const QSignalBlocker block(Listbox1);
            for (int k = 0; k < kGlyphs; ++k) {
                for (int c = 1; c <= 4; ++c)
                    Listbox1->setCell(k, c, QString::number(xx[k][c - 1]));
            }
        }
        spacingenable(0);
    }

    // 7. The adjustments file.
    if (!writeText(adjfile, adjustmentsText(xx)))
        return false;

    // 8 to 15. The font, its package and the TDS tree.
    BuildRequest r;
    r.documents = documentsFolder();
    r.supportFolder = appFolder();
    r.ttfm = ttfm;
    r.ttfmn = ttfmn;
    r.font = font;
    r.sty = sty;
    r.kind = kind;
    r.withAdjustments = !needMetrics;
    r.mtxTail = adjustmentsMtxTail(xx);
    r.date = QDate::currentDate();
    const BuildOutcome out = buildFont(r);
    if (!out.scratch.isEmpty())
        tmpfolder = out.scratch;
    vendor = out.source.vendor;
    family = out.source.family;
    if (!out.finished)
        return false;

    // 16. Done.
    PushButton3->setEnabled(true);
    PushButton2->setEnabled(true);
    dirty = 0;
    TextArea1->setPlainText(TextArea1->toPlainText() + QStringLiteral(" ---Finished"));
    update();
    return true;
}

void MathAlphabetWin::install()
{
    const QString tds = tmpfolder + QStringLiteral("/TDS");
    if (tmpfolder.isEmpty() || !QFileInfo(tds).isDir()) {
        msgBox(QStringLiteral("No TDS found in ") + QFileInfo(tmpfolder).fileName() +
               QStringLiteral(" -cannot perform the installation."));
        return;
    }
    if (prefMethod() == 1) {
        const QStringList lines = installRootCommands(tmpfolder, texmfLocal);
        int status = runAsRoot(lines.at(0));
        if (status == 0)
            status = runAsRoot(lines.at(1));
        if (status != 0)
            msgBox(QStringLiteral("The installation into %1 failed (exit status %2).").arg(texmfLocal).arg(status));
        return;
    }
    runShell(installHomeCommand(tmpfolder, texmfHome));
}

void MathAlphabetWin::pressProcess()
{
    QString name = TextField1->text().trimmed();
    if (name.endsWith(QStringLiteral(".tfm"), Qt::CaseInsensitive))
        name.chop(4);
    if (name.isEmpty()) {
        msgBox(QStringLiteral("No tfm name supplied---bailing out."));
        return;
    }
    if (ttfm.isEmpty()) {
        msgBox(QStringLiteral("Either invalid tfm, or you did not press OK."));
        return;
    }
    if (needglyphs || needMetrics) {
        // A first build without adjustments gives the font to measure and
        // picture; its numbers only count when that build finished.
        const bool measure = needMetrics;
        needMetrics = true;
        const bool built = process();
        needMetrics = measure;
        if (!built)
            return;
        if (needMetrics) {
            if (!MakeMetrics()) {
                msgBox(QStringLiteral("Error running makeMetrics"));
                return;
            }
            needMetrics = false;
        }
        if (needglyphs) {
            if (!Makeglyphs()) {
                msgBox(QStringLiteral("Error running makeGlyphs"));
                return;
            }
            needglyphs = false;
        }
    }
    process();
}

void MathAlphabetWin::Listbox1_DoubleClick()
{
    if (!ready || mcol >= 1)
        return;
    if (dirty == 1) {
        TextArea1->setPlainText(QStringLiteral("Running Process"));
        process();
    }
    if (mrow < 0)
        return;
    if (needglyphs && !Makeglyphs()) {
        msgBox(QStringLiteral("Error making glyph images"));
        return;
    }
    glyphwin();
}

void MathAlphabetWin::Listbox1_ContextualMenuAction(int tag)
{
    if (tag != 1)
        return;
    // The editor works on one grid row; without a selection there is none.
    const int row = Listbox1->selectedRow();
    if (row < 0)
        return;
    MathAlph2* editor = MathAlph2::instance();
    editor->glyphnum = row;
    showWindow(editor);
}

void MathAlphabetWin::glyphwin()
{
    glyphwindowMA* editor = glyphwindowMA::instance();
    editor->target = mrow;
    // An editor closed a moment ago may not be gone yet: show the new glyph.
    if (editor->activated)
        editor->Drawpics();
    dialogs().runModal(editor);
}

bool MathAlphabetWin::Makeglyphs()
{
    mf = QDir(masterfolder).filePath(QStringLiteral("imgs"));
    TextArea1->setPlainText(QStringLiteral("Running Makeglyphs"));
    if (!QFileInfo(mf).isDir() && !QDir().mkpath(mf)) {
        msgBox(QStringLiteral("Unable to create folder named imgs in your master folder: ") + masterfolder);
        return false;
    }
    if (tmpfolder.isEmpty() || !QFileInfo(tmpfolder).isDir())
        return false;
    const QString doc = pictureDocument(TextField3->text().trimmed(), alphabetCommand(kindIndex()));
    if (!writeText(tmpfolder + QStringLiteral("/gl.tex"), doc))
        return false;
    runShell(pictureCommand(tmpfolder, mf));
    if (lastShell.errorCode != 0) {
        TextArea1->setPlainText(TextArea1->toPlainText() + QStringLiteral("---FAILED"));
        return false;
    }
    needglyphs = false;
    return true;
}

bool MathAlphabetWin::MakeMetrics()
{
    const QString t = QDir(masterfolder).filePath(QStringLiteral("tmp"));
    if (!QFileInfo(t).isDir() && !QDir().mkpath(t)) {
        msgBox(QStringLiteral("Unable to create folder named tmp in your master folder: ") + masterfolder);
        return false;
    }
    if (tmpfolder.isEmpty() || !QFileInfo(tmpfolder).isDir())
        return false;
    const QString doc = measuringDocument(TextField3->text().trimmed(), alphabetCommand(kindIndex()));
    if (!writeText(tmpfolder + QStringLiteral("/glt.tex"), doc))
        return false;
    runShell(measuringCommand(tmpfolder, t));
    if (lastShell.errorCode != 0)
        return false;

    // Nothing is kept, in the window or in "metrics", unless every letter
    // was measured.
    readLines(t + QStringLiteral("/lst.txt"));
    QVector<int> widths;
    QString error;
    if (!parsePageWidths(fileLines, widths, &error)) {
        msgBox(error);
        return false;
    }
    const QString font = TextField2->text().trimmed();
    Metrics m = metrics;
    if (!parseVplLetters(readLatin1File(tmpfolder + QLatin1Char('/') + font + QStringLiteral(".vpl")), font,
                         m.subpos, m.ic, &error)) {
        msgBox(error);
        unsetCursor();
        update();
        return false;
    }
    QList<int> protruding;
    if (!metricsFromWidths(widths, m, &protruding, &error)) {
        msgBox(error);
        return false;
    }
    for (int k : protruding)
        msgBox(protrusionMessage(k));
    if (!writeText(metricsfile.isEmpty() ? QDir(masterfolder).filePath(QStringLiteral("metrics")) : metricsfile,
                   metricsText(m)))
        return false;
    metrics = m;
    return true;
}

} // namespace qlk

#include "mathtime/MathtimeWin.h"

#include "mathtime/OtherSubs.h"
#include "mathtime/glyphwindow.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/FdReaders.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "search/TreeSearch.h"
#include "services/DropCheck.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "ui/SingleWindow.h"
#include "ui/Stripes.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTextEdit>

namespace qlk {

namespace {

const char* const kIntro =
    "With this window you may make virtual fonts based on the mtpro2 Lite fonts, replacing the math "
    "italic letters and numerals and the bold math letters from an installed text font family. Create "
    "an initially empty master folder and drag it to the listbox below right. It will store the "
    "adjustments file and other settings for future runs. Then enter the Berry name for a font family "
    "and press OK. 'Process' will (re-)create the virtual fonts with the specified adjustments. \n"
    "It is strongly recommended to press 'Imitate mtpro2 spacing' immediately after the first run of "
    "Process, then double click on 'A-Italic' to bring up a visual glyph metrics editor. This is much "
    "faster than numerical editing.";

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

QPushButton* button(QWidget* parent, const QString& text, int x, int y, int w, int h, bool enabled)
{
    auto* b = new QPushButton(text, parent);
    b->setGeometry(x, y, w, h);
    b->setEnabled(enabled);
    return b;
}

QLineEdit* field(QWidget* parent, int x, int y, int w, int h, const QString& tip = QString())
{
    auto* f = new QLineEdit(parent);
    f->setGeometry(x, y, w, h);
    if (!tip.isEmpty())
        f->setToolTip(tip);
    return f;
}

} // namespace

MathtimeWin::MathtimeWin()
{
    setWindowTitle(QStringLiteral("Mathtime fontinst"));
    resize(758, 516);
    setMinimumSize(64, 64);
    setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    project_.onStatus = [this](const QString& text, bool append) { setStatus(text, append); };
    buildControls();
    Clearall();
    openFailed_ = !eventOpen();
}

MathtimeWin::~MathtimeWin() = default;

MathtimeWin* MathtimeWin::instance()
{
    return singleWindow<MathtimeWin>();
}

void MathtimeWin::openFromMenu()
{
    MathtimeWin* w = instance();
    if (w->openFailed())
        w->close();
    else
        showWindow(w);
}

void MathtimeWin::buildControls()
{
    auto* intro = label(this, QString::fromUtf8(kIntro), 3, 4, 735, 103);
    intro->setWordWrap(true);
    intro->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    Listbox1 = new QTableWidget(0, 5, this);
    Listbox1->setGeometry(4, 136, 434, 368);
    Listbox1->setHorizontalHeaderLabels({QStringLiteral("Glyph"), QStringLiteral("left"), QStringLiteral("right"),
                                         QStringLiteral("subscript"), QStringLiteral("accent")});
    Listbox1->verticalHeader()->hide();
    Listbox1->setSortingEnabled(false);
    Listbox1->setItemDelegate(new StripedItemDelegate(Listbox1));
    Listbox1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::SelectedClicked);
    const int widths[5] = {24, 19, 19, 19, 19};
    for (int c = 0; c < 5; ++c)
        Listbox1->setColumnWidth(c, (432 - 18) * widths[c] / 100);
    connect(Listbox1, &QTableWidget::cellClicked, this, [this](int row, int column) {
        mrow = row;
        mcol = column;
    });
    connect(Listbox1, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { doubleClickGlyph(row, column); });
    connect(Listbox1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem*) {
        if (ready)
            dirty = 1;
    });

    label(this, QStringLiteral("Adjustments:"), 3, 112, 89, 20);
    Listbox2 = new ExamineList({QString()}, {100}, this);
    Listbox2->setGeometry(447, 139, 302, 58);
    Listbox2->setHeaderHidden(true);
    Listbox2->setEditableColumn(0);
    Listbox2->onDrop = [this](const QStringList& paths) { dropItems(paths); };
    connect(Listbox2, &QTreeWidget::itemSelectionChanged, this, [this] { tfmListChanged(); });
    connect(Listbox2, &QTreeWidget::itemChanged, this, [this] { tfmListChanged(); });
    label(this, QStringLiteral("Drag master folder to this box:"), 447, 112, 202, 20);

    PushButton1 = button(this, QStringLiteral("Process"), 450, 270, 73, 20, false);
    connect(PushButton1, &QPushButton::clicked, this, [this] { pressprocess(); });
    CheckBox1[0] = new QCheckBox(QStringLiteral("Do not replace mtpro2 italic 'v'"), this);
    CheckBox1[0]->setGeometry(448, 336, 218, 20);
    CheckBox1[1] = new QCheckBox(QStringLiteral("or 'w'"), this);
    CheckBox1[1]->setGeometry(666, 336, 63, 20);
    for (QCheckBox* box : CheckBox1)
        connect(box, &QCheckBox::clicked, this, [this] { toggleLetterBox(); });
    auto* berryLabel = label(this, QStringLiteral("Enter the Berry name of an installed text font family:\n"), 447,
                             227, 184, 37);
    berryLabel->setWordWrap(true);
    label(this, QStringLiteral("Left:"), 579, 391, 29, 18);
    label(this, QStringLiteral("Scale factor (default=1.0)"), 450, 441, 176, 20);
    TextField4 = field(this, 638, 439, 44, 22);
    PushButton3 = button(this, QStringLiteral("Test"), 457, 302, 59, 20, false);
    PushButton4 = button(this, QStringLiteral("OK"), 687, 235, 42, 20, false);
    connect(PushButton4, &QPushButton::clicked, this, [this] { pressOK(); });
    TextField2 = field(this, 447, 202, 302, 22);
    TextField2->setReadOnly(true);
    TextField1 = field(this, 635, 234, 44, 22);
    connect(TextField1, &QLineEdit::textChanged, this,
            [this](const QString& text) { PushButton4->setEnabled(text.trimmed().size() == 3); });
    TextField3 = field(this, 612, 389, 37, 22, QStringLiteral("Leave this at 50!!"));
    PushButton5 = button(this, QStringLiteral("Show mt2"), 531, 302, 83, 20, true);
    PushButton5->setToolTip(QStringLiteral("Display test for unmodified mtpro2"));
    PushButton6 = button(this, QStringLiteral("Table"), 531, 270, 83, 20, false);
    PushButton6->setToolTip(QStringLiteral("Show modified math italic in a table"));
    PushButton7 = button(this, QStringLiteral("Install"), 626, 270, 80, 20, false);
    PushButton8 = button(this, QStringLiteral("Imitate mtpro2 spacing"), 96, 112, 165, 20, false);
    PushButton8->setDefault(true);
    TextField5 = field(this, 700, 389, 37, 22, QStringLiteral("Leave this at 50!!"));
    label(this, QStringLiteral("Right:"), 654, 391, 40, 18);
    label(this, QStringLiteral("Additional spacing:"), 450, 390, 132, 20);
    CheckBox2 = new QCheckBox(QStringLiteral("Do not replace mtpro2 numbers"), this);
    CheckBox2->setGeometry(450, 365, 232, 20);
    TextArea1 = new QTextEdit(this);
    TextArea1->setGeometry(450, 467, 288, 44);
    TextArea1->setReadOnly(true);
    PushButton9 = button(this, QStringLiteral("Other substitutions"), 450, 415, 143, 20, false);

    connect(PushButton3, &QPushButton::clicked, this, [this] { test(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { showMt2(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { table(); });
    connect(PushButton7, &QPushButton::clicked, this, [this] { install(); });
    connect(PushButton8, &QPushButton::clicked, this, [this] { imitate(); });
    connect(PushButton9, &QPushButton::clicked, this, [this] { otherSubstitutions(); });
}

void MathtimeWin::masterChanged()
{
    // The substitution table reads and writes the master folder's "subs".
    PushButton9->setEnabled(!project_.master.isEmpty());
}

void MathtimeWin::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int grow = width() - 758;
    Listbox2->setGeometry(447, 139, qMax(40, 302 + grow), 58);
    TextField2->setGeometry(447, 202, qMax(40, 302 + grow), 22);
}

void MathtimeWin::closeEvent(QCloseEvent* event)
{
    if (!openFailed_ && !project_.master.isEmpty()) {
        setpref(QStringLiteral("master"), project_.master);
        saveprefs();
    }
    event->accept();
}

void MathtimeWin::setStatus(const QString& text, bool append)
{
    TextArea1->setPlainText(append ? TextArea1->toPlainText() + text : text);
    TextArea1->repaint();
}

QString MathtimeWin::status() const
{
    return TextArea1->toPlainText();
}

// ---- opening and the master folder -------------------------------------

bool MathtimeWin::eventOpen()
{
    dirty = 1;
    mtpimgs = appFolder() + QStringLiteral("/img");
    if (!QFileInfo(mtpimgs).isDir()) {
        msgBox(QStringLiteral("Unable to locate folder 'img' in same folder as Quillmark2013."));
        return false;
    }
    const QString kpse = shellQuote(texProgram(QStringLiteral("kpsewhich")));
    const QString sty = runShellQuiet(kpse + QStringLiteral(" mtpro2.sty"));
    if (sty.isEmpty()) {
        msgBox(QStringLiteral("Unable to locate mtpro2.sty in your TeX trees. Cannot continue."));
        return false;
    }
    project_.styFile = sty;
    const QString tfms = runShell(kpse + QStringLiteral(" mt2mitx.tfm mt2mbt.tfm"));
    if (tfms.isEmpty() || tfms.split(QLatin1Char('\n')).size() != 2) {
        msgBox(QStringLiteral("The required tfm files: mt2mitx.tfm, mt2mbt.tfm are not installed. Cannot continue."));
        return false;
    }
    // The commercial fonts' reference data cannot ship; without it beside
    // the program it is made once from the installed kit.
    if (!mt::hasReferenceData()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        mt::makeReferenceData([this](const QString& text, bool append) { setStatus(text, append); });
        QApplication::restoreOverrideCursor();
    }
    if (haspref(QStringLiteral("master"))) {
        const QString path = prefText(QStringLiteral("master"));
        if (!path.isEmpty() && QFileInfo(path).isDir()) {
            project_.master = path;
            processmaster();
        } else {
            project_.master.clear();
        }
    }
    project_.loadReference();
    masterChanged();
    return true;
}

void MathtimeWin::clearListbox1()
{
    const QSignalBlocker block(Listbox1);
    Listbox1->clearContents();
    Listbox1->setRowCount(mt::kGlyphCount);
    for (int g = 0; g < mt::kGlyphCount; ++g) {
        auto* labelItem = new QTableWidgetItem(mt::glyphLabel(g));
        labelItem->setFlags(labelItem->flags() & ~Qt::ItemIsEditable);
        Listbox1->setItem(g, 0, labelItem);
        for (int c = 1; c < 5; ++c)
            Listbox1->setItem(g, c, new QTableWidgetItem());
    }
}

void MathtimeWin::Clearall()
{
    clearListbox1();
    {
        const QSignalBlocker block(Listbox2);
        Listbox2->deleteAllRows();
    }
    CheckBox1[0]->setChecked(false);
    CheckBox1[1]->setChecked(false);
    TextArea1->clear();
    TextField1->clear();
    TextField3->clear();
    TextField4->clear();
    TextField5->clear();
    for (QPushButton* b : {PushButton1, PushButton3, PushButton4, PushButton6, PushButton7, PushButton8})
        b->setEnabled(false);
    project_.tmpfolder.clear();
    project_.needMetrics = true;
    project_.needGlyphs = true;
    update();
}

void MathtimeWin::setFields(const QStringList& lines)
{
    const mt::RestoredSettings s = mt::readSettings(lines);
    {
        const QSignalBlocker block(Listbox2);
        Listbox2->deleteAllRows();
        if (s.hasV)
            CheckBox1[0]->setChecked(s.noV);
        if (s.hasW)
            CheckBox1[1]->setChecked(s.noW);
        if (s.hasSpacing) {
            TextField3->setText(QString::number(s.left));
            TextField5->setText(QString::number(s.right));
        }
        if (s.hasFamily) {
            TextField1->setText(s.family);
            project_.berry = s.family;
        }
        if (s.hasScale)
            TextField4->setText(s.scale);
        const std::array<std::pair<QString, QString>, 3> fonts = {
            std::make_pair(s.italic, s.italicPath), std::make_pair(s.roman, s.romanPath),
            std::make_pair(s.bold, s.boldPath)};
        for (const auto& [name, path] : fonts)
            if (!path.isEmpty() && QFileInfo(path).isFile())
                Listbox2->addRow({name});
        if (s.hasNumbers)
            CheckBox2->setChecked(s.numbersKept);
    }
    update();
    if (!s.complete)
        msgBox(QStringLiteral("The settings file of the master folder is incomplete or damaged; the "
                              "missing values were left as they were."));
    if (Listbox2->rowCount() != 3) {
        if (askYesNo(QStringLiteral("The tfm list should have 3 rows. Regenerate from the Berry name?"))) {
            gettfms();
        } else {
            PushButton1->setEnabled(false);
            PushButton3->setEnabled(false);
            PushButton4->setEnabled(false);
        }
    }
}

void MathtimeWin::processmaster()
{
    Clearall();
    const QString master = project_.master;
    TextField2->setText(master);
    project_.loadMasterState();
    const QString settings = project_.masterEntry(QStringLiteral("settings"));
    const QFileInfo settingsInfo(settings);
    if (settingsInfo.exists()) {
        if (settingsInfo.isDir()) {
            msgBox(QStringLiteral("A folder named 'settings' interferes with saving the settings file. "
                                  "Please delete it and start over"));
            Clearall();
            project_.master.clear();
            masterChanged();
            return;
        }
        readLines(settings);
        setFields(fileLines);
    }
    PushButton1->setEnabled(true);

    readLines(project_.masterEntry(QStringLiteral("adjustments")));
    const mt::ReadAdjustments adj = mt::readAdjustments(fileLines);
    {
        const QSignalBlocker block(Listbox1);
        for (const mt::AdjustmentCell& cell : adj.cells)
            Listbox1->item(cell.row, cell.column)->setText(cell.text);
    }
    if (adj.badLines > 0)
        msgBox(QStringLiteral("Some lines of the adjustments file name no glyph; they were skipped."));
    ready = true;
    if (Listbox2->rowCount() > 0)
        PushButton8->setEnabled(true);
    masterChanged();
    bringAppToFront({});
}

void MathtimeWin::dropItems(const QStringList& paths)
{
    bringAppToFront({});
    if (paths.isEmpty())
        return;
    if (!project_.master.isEmpty() && !askYesNo(QStringLiteral("Replace with new data?")))
        return;
    ready = false;
    Clearall();
    project_.master = paths.first();
    if (paths.size() > 1) {
        msgBox(QStringLiteral("You may drop only a single folder. Please start over."));
        project_.master.clear();
    } else if (const QString problem = dropProblem({paths.first()}, DropRules{}); !problem.isEmpty()) {
        msgBox(problem);
        project_.master.clear();
    } else if (QFileInfo(paths.first()).isDir()) {
        processmaster();
    } else {
        msgBox(QStringLiteral("You may drop only a single folder, not a file. Please start over."));
        project_.master.clear();
    }
    masterChanged();
}

// ---- handlers -------------------------------------------------------------

void MathtimeWin::tfmListChanged()
{
    if (!ready)
        return;
    imitated = false;
    project_.needMetrics = true;
    project_.needGlyphs = true;
}

void MathtimeWin::pressOK()
{
    if (!askYesNo(QStringLiteral("Regenerate text font list?")))
        return;
    ready = false;
    {
        const QSignalBlocker block(Listbox2);
        Listbox2->deleteAllRows();
    }
    gettfms();
    imitated = false;
    project_.needMetrics = true;
    project_.needGlyphs = true;
    ready = true;
}

void MathtimeWin::toggleLetterBox()
{
    if (project_.master.isEmpty() || project_.tmpfolder.isEmpty())
        return;
    MakeMetrics();
    Makeglyphs();
}

void MathtimeWin::doubleClickGlyph(int row, int column)
{
    mrow = row;
    mcol = column;
    if (!ready || mcol > 0)
        return;
    if (dirty == 1) {
        setStatus(QStringLiteral("Running Process"), false);
        process();
    }
    if (mrow < 0)
        return;
    if (!project_.needGlyphs || Makeglyphs())
        glyphwin();
    else
        msgBox(QStringLiteral("Error making glyph images"));
}

void MathtimeWin::glyphwin()
{
    auto* editor = new glyphwindow(this);
    editor->setAttribute(Qt::WA_DeleteOnClose, false);
    editor->target = mrow;
    dialogs().runModal(editor);
    delete editor;
}

// ---- tools ------------------------------------------------------------------

void MathtimeWin::test()
{
    project_.test();
}

void MathtimeWin::table()
{
    project_.table();
}

void MathtimeWin::install()
{
    const QString done = project_.install(prefInt(QStringLiteral("useadmin")) == 1);
    if (!done.isEmpty())
        setStatus(done, false);
}

void MathtimeWin::showMt2()
{
    const QString sample = mt::sampleFile();
    if (sample.isEmpty() || !openWithDefault(sample))
        msgBox(QStringLiteral("Cannot find mt2test.pdf in folder with Quillmark2013"));
}

void MathtimeWin::otherSubstitutions()
{
    if (project_.master.isEmpty())
        return;
    showWindow(OtherSubs::instance());
}

void MathtimeWin::imitate()
{
    if (!askYesNo(imitated ? QStringLiteral("Redo the existing imitation of mtpro2?")
                           : QStringLiteral("Overwrite all existing adjustments?")))
        return;
    if (Listbox2->rowCount() == 0) {
        msgBox(QStringLiteral("Bailing out---no text fonts selected."));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PushButton3->setEnabled(false);
    update();
    clearListbox1();
    TextField3->clear();
    TextField5->clear();
    pressprocess();
    // Differences against zeros would shift every glyph by its whole size.
    QString problem;
    if (project_.needMetrics || !mt::hasMeasurements(project_.measured))
        problem = QStringLiteral("The glyphs of the text fonts could not be measured, so mtpro2 spacing cannot "
                                 "be imitated. The adjustments stay empty.");
    else if (!mt::hasMeasurements(project_.reference))
        problem = QStringLiteral("There are no reference metrics of mtpro2 (mt2vitals.txt), so its spacing "
                                 "cannot be imitated. The adjustments stay empty.");
    if (!problem.isEmpty()) {
        QApplication::restoreOverrideCursor();
        msgBox(problem);
        return;
    }
    const auto cells = mt::imitationCells(project_.measured, project_.reference);
    {
        const QSignalBlocker block(Listbox1);
        for (int g = 0; g < mt::kGlyphCount; ++g)
            for (int k = 0; k < 3; ++k)
                Listbox1->item(g, k + 1)->setText(cells.at(g)[k]);
    }
    dirty = 1;
    imitated = true;
    process();
    QApplication::restoreOverrideCursor();
    update();
}

// ---- text family discovery -----------------------------------------------

void MathtimeWin::gettfms()
{
    const QString name = TextField1->text().trimmed();
    if (name.size() != 3) {
        msgBox(QStringLiteral("The Berry name must have exactly 3 characters."));
        return;
    }
    if (!mt::isBerryName(name)) {
        msgBox(QStringLiteral("The Berry name may hold only letters and digits."));
        return;
    }
    project_.berry = name;
    QString found = findInTrees(QStringLiteral("*1") + name + QStringLiteral("*.fd"));
    if (found.trimmed().isEmpty()) {
        msgBox(QStringLiteral("No .fd files installed for ") + name);
        return;
    }
    if (found.endsWith(QLatin1Char('\n')))
        found.chop(1);
    const auto fds = mt::fdSlots(found.split(QLatin1Char('\n')), name);
    if (fds[0].isEmpty() && fds[1].isEmpty() && fds[2].isEmpty()) {
        msgBox(QStringLiteral("No suitable .fd file located in any encoding."));
        return;
    }
    const mt::ChosenFonts chosen = mt::chooseFonts(fds, [](const QString& fd, const QString& series,
                                                             const QString& shape) {
        return fdBoldFonts(fd, series, shape);
    });
    {
        const QSignalBlocker block(Listbox2);
        Listbox2->deleteAllRows();
        for (const QString& n : chosen.names)
            Listbox2->addRow({n});
    }
    QString missing;
    const char* const parts[3] = {"m/i ", "m/n ", "b/n, sb/n or bx/n "};
    for (int i = 0; i < 3; ++i)
        if (chosen.names[i].isEmpty())
            missing += QLatin1String(parts[i]);
    if (!missing.isEmpty())
        msgBox(QStringLiteral("No fd entry found for ") + missing);
    if (chosen.several)
        msgBox(QStringLiteral("More than one possible match was found for some entries.\n"
                              "You may edit the tfm name(s) as necessary."));
}

// ---- the build --------------------------------------------------------------

mt::BuildControls MathtimeWin::controls() const
{
    mt::BuildControls c;
    for (int r = 0; r < Listbox2->rowCount(); ++r)
        c.tfms << Listbox2->cell(r, 0);
    for (int g = 0; g < mt::kGlyphCount && g < Listbox1->rowCount(); ++g) {
        mt::GridRow row;
        row.label = Listbox1->item(g, 0) ? Listbox1->item(g, 0)->text() : mt::glyphLabel(g);
        for (int k = 0; k < 4; ++k)
            row.cells[k] = Listbox1->item(g, k + 1) ? Listbox1->item(g, k + 1)->text() : QString();
        c.grid << row;
    }
    c.noV = CheckBox1[0]->isChecked();
    c.noW = CheckBox1[1]->isChecked();
    c.numbersKept = CheckBox2->isChecked();
    c.family = TextField1->text();
    c.scale = TextField4->text();
    c.left = TextField3->text();
    c.right = TextField5->text();
    return c;
}

void MathtimeWin::afterBuild(bool ok)
{
    if (!ok)
        return;
    for (QPushButton* b : {PushButton3, PushButton6, PushButton7, PushButton8})
        b->setEnabled(true);
    dirty = 0;
    update();
}

void MathtimeWin::process()
{
    if (project_.master.isEmpty())
        return;
    for (QPushButton* b : {PushButton3, PushButton6, PushButton7})
        b->setEnabled(false);
    afterBuild(project_.process(controls()));
}

void MathtimeWin::pressprocess()
{
    if (project_.master.isEmpty())
        return;
    for (QPushButton* b : {PushButton3, PushButton6, PushButton7})
        b->setEnabled(false);
    afterBuild(project_.pressprocess(controls()));
}

bool MathtimeWin::Makeglyphs()
{
    return project_.makeGlyphs();
}

bool MathtimeWin::MakeMetrics()
{
    return project_.makeMetrics();
}

} // namespace qlk

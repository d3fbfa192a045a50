#include "mainwindow/Window1.h"

#include "mainwindow/TdsLayout.h"
#include "platform/Dialogs.h"
#include "platform/QuitPath.h"
#include "prefs/PrefsStore.h"
#include "prefs/PrefsWindow.h"
#include "services/RunLog.h"
#include "texenv/ScanSteps.h"
#include "texenv/TexEnv.h"
#include "texenv/UpdmapCfg.h"
#include "ui/SingleWindow.h"
#include "ui/Stripes.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QWidget>

namespace qlk {

namespace {
QPointer<Window1>& mainWindow()
{
    static QPointer<Window1> w;
    return w;
}

QLabel* label(const QString& text, QWidget* parent, bool bold = false, bool multiLine = false)
{
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    if (multiLine) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    return l;
}

QPushButton* button(const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}
} // namespace

Window1List::Window1List(const QList<int>& percentWidths, bool heading, QWidget* parent)
    : QTreeWidget(parent), percent_(percentWidths)
{
    setColumnCount(int(percent_.size()));
    setHeaderHidden(!heading);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setDragEnabled(false);
    setSortingEnabled(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
    header()->setStretchLastSection(false);
    setItemDelegate(new StripedItemDelegate(this));
}

void Window1List::addRow(const QString& text)
{
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, text);
}

void Window1List::setCell(int row, int column, const QString& text)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setText(column, text);
}

QString Window1List::cell(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

void Window1List::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    applyWidths();
}

void Window1List::applyWidths()
{
    const int width = viewport()->width();
    int used = 0;
    for (int c = 0; c < percent_.size(); ++c) {
        // The last column takes what the rounding left.
        const int w = c + 1 == percent_.size() ? width - used : width * percent_.at(c) / 100;
        setColumnWidth(c, w);
        used += w;
    }
}

Window1* Window1::instance()
{
    if (!mainWindow())
        mainWindow() = new Window1();
    return mainWindow();
}

bool Window1::exists()
{
    return !mainWindow().isNull();
}

Window1::Window1()
{
    setWindowTitle(QStringLiteral("LaTeX Quillmark"));
    // No close box and no zoom: the window can only be minimised.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint |
                   Qt::WindowMinimizeButtonHint);
    setMinimumSize(64, 64);
    setMaximumSize(32000, 32000);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(13, 7, 11, 8);
    TabPanel1 = new QTabWidget(central);
    const char* titles[] = {"Current Setup", "Output Maps", "Configuration", "Font maps", "Install"};
    QWidget* tabs[5];
    for (int i = 0; i < 5; ++i) {
        tabs[i] = new QWidget(TabPanel1);
        TabPanel1->addTab(tabs[i], QString::fromLatin1(titles[i]));
    }
    buildCurrentSetup(tabs[0]);
    buildOutputMaps(tabs[1]);
    buildConfiguration(tabs[2]);
    buildFontMaps(tabs[3]);
    buildInstall(tabs[4]);
    TabPanel1->setCurrentIndex(0);
    layout->addWidget(TabPanel1, 1);

    auto* buttons = new QHBoxLayout;
    PushButton1 = button(QStringLiteral("Preferences"), central);
    PushButton2 = button(QStringLiteral("Quit"), central);
    buttons->addStretch(1);
    buttons->addWidget(PushButton1);
    buttons->addStretch(1);
    buttons->addWidget(PushButton2);
    layout->addLayout(buttons);
    setCentralWidget(central);
    resize(751, 601);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    wireLists();
    wireInstallTab();
    Event_Open();
}

void Window1::buildCurrentSetup(QWidget* tab)
{
    auto* v = new QVBoxLayout(tab);
    StaticText4 = label(QStringLiteral("• Your account allows administrator access to system areas."), tab);
    StaticText5 = label(
        QStringLiteral("Administrator access allows you to store fonts and LaTeX packages in the system "
                       "texmf tree TEXMFLOCAL, which is more efficient than TEXMFHOME and less likely to "
                       "lead to confusion after updating TeXLive. \n\nItems in the personal TeX trees "
                       "take precedence over those in the system trees---another source of confusion. If "
                       "possible, keep whatever you can in TEXMFLOCAL. "),
        tab, false, true);
    StaticText5->setMinimumHeight(5 * StaticText5->fontMetrics().lineSpacing());
    StaticText6 = label(QStringLiteral("Current TeX setup:"), tab, true);
    StaticText9 = label(QStringLiteral("• Your current installation is TeX Live "), tab);
    StaticText10 = label(QStringLiteral("2009"), tab);
    StaticText17 = label(QStringLiteral("Search order within the TeX forest is:"), tab);
    Listbox2 = new Window1List({80, 20}, true, tab);
    Listbox2->setHeaderLabels({QStringLiteral("Root folder"), QStringLiteral("AKA")});
    Listbox2->setMinimumHeight(168);
    StaticText32 = label(QStringLiteral("Double-click to reveal item in the file manager. "), tab);

    v->addWidget(StaticText4);
    v->addWidget(StaticText5);
    v->addWidget(StaticText6);
    auto* year = new QHBoxLayout;
    year->setSpacing(0);
    year->addWidget(StaticText9);
    year->addWidget(StaticText10);
    year->addStretch(1);
    v->addLayout(year);
    v->addWidget(StaticText17);
    v->addWidget(Listbox2, 1);
    v->addWidget(StaticText32);
}

void Window1::buildOutputMaps(QWidget* tab)
{
    auto* v = new QVBoxLayout(tab);
    StaticText18 = label(
        QStringLiteral("• Depending on how you process LaTeX files (latex+dvips, latex+dvipdfm, pdflatex) "
                       "the master output map files (psfonts.map, dvipdfm.map, pdftex.map) which map the "
                       "TeX font name to the font file name are preassembled using updmap or updmap-sys,  "
                       "concatenating the enabled font map files. Versions of pdftex.map etc were found in "
                       "the following folders in your TeX trees---TeX reads only [M0]."),
        tab, false, true);
    StaticText18->setMinimumHeight(4 * StaticText18->fontMetrics().lineSpacing());
    for (int i = 0; i < 3; ++i) {
        Listbox1[i] = new Window1List({5, 80, 15}, false, tab);
        Listbox1[i]->index = i;
        Listbox1[i]->setObjectName(QStringLiteral("Listbox1(%1)").arg(i));
    }
    Listbox1[0]->setFixedHeight(56);
    Listbox1[1]->setFixedHeight(70);
    Listbox1[2]->setFixedHeight(70);
    StaticText8 = label(QStringLiteral("(system tree)"), tab);
    StaticText3 = label(QStringLiteral("• Font configuration files updmap.cfg were found in the following "
                                       "locations, most important first:"),
                        tab);
    StaticText19 = label(QStringLiteral("Personal trees"), tab);
    StaticText19->setAlignment(Qt::AlignHCenter);
    StaticText1 = label(QStringLiteral("System trees"), tab);
    StaticText1->setAlignment(Qt::AlignHCenter);
    StaticText20 = label(QStringLiteral("Untitled"), tab, false, true);
    StaticText20->setMinimumHeight(5 * StaticText20->fontMetrics().lineSpacing());

    v->addWidget(StaticText18);
    v->addWidget(Listbox1[0]);
    v->addWidget(StaticText8);
    v->addWidget(StaticText3);
    v->addWidget(StaticText19);
    v->addWidget(Listbox1[1]);
    v->addWidget(StaticText1);
    v->addWidget(Listbox1[2]);
    v->addWidget(StaticText20, 1);
}

void Window1::buildConfiguration(QWidget* tab)
{
    auto* grid = new QGridLayout(tab);
    StaticText21 = label(QStringLiteral("Your configuration differs from that in the current TeXLive "
                                        "distribution as follows:"),
                         tab);
    StaticText22 = label(QStringLiteral("Deletions from original"), tab);
    StaticText22->setAlignment(Qt::AlignHCenter);
    StaticText23 = label(QStringLiteral("Additions to original"), tab);
    StaticText23->setAlignment(Qt::AlignHCenter);
    TextArea1 = new QTextEdit(tab);
    TextArea2 = new QTextEdit(tab);
    for (QTextEdit* area : {TextArea1, TextArea2}) {
        area->setAcceptRichText(false);
        area->setTabChangesFocus(true);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    grid->addWidget(StaticText21, 0, 0, 1, 2);
    grid->addWidget(StaticText22, 1, 0);
    grid->addWidget(StaticText23, 1, 1);
    grid->addWidget(TextArea1, 2, 0);
    grid->addWidget(TextArea2, 2, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
}

void Window1::buildFontMaps(QWidget* tab)
{
    auto* v = new QVBoxLayout(tab);
    StaticText13 = label(QStringLiteral("Font maps found in texmf-local (system area)"), tab, true);
    Listbox4 = new Window1List({100}, false, tab);
    Listbox4->setFixedHeight(152);
    StaticText14 = label(QStringLiteral("Font maps found in permanent personal tree (TEXMFHOME)"), tab, true);
    Listbox5 = new Window1List({100}, false, tab);
    Listbox5->setFixedHeight(122);
    StaticText15 = label(QStringLiteral("Font maps found in impermanent personal tree---these should be "
                                        "moved to a permanent location."),
                         tab, true);
    Listbox6 = new Window1List({100}, false, tab);
    Listbox6->setMinimumHeight(81);
    PushButton13 = button(QStringLiteral("Update"), tab);

    v->addWidget(StaticText13);
    v->addWidget(Listbox4);
    v->addWidget(StaticText14);
    v->addWidget(Listbox5);
    v->addWidget(StaticText15);
    v->addWidget(Listbox6, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(PushButton13);
    v->addLayout(bottom);
}

void Window1::buildInstall(QWidget* tab)
{
    auto* v = new QVBoxLayout(tab);
    StaticText24 = label(
        QStringLiteral("You may add a new font or package by dragging its files to the listbox below, "
                       "preferably in the form of a TDS or a zip or tgz file containing the contents of a "
                       "TDS. If you drag loose files onto the listbox, make sure they are all related to "
                       "the same font family, and specify a supplier name and font family name as well. (A "
                       "non-font TDS may also be dropped for installation---omit the supplier and font "
                       "family in this case.)\nImportant: It is best to install fonts only into System "
                       "(texmf-local), unless you lack administrative access. "),
        tab, false, true);
    StaticText24->setMinimumHeight(5 * StaticText24->fontMetrics().lineSpacing());
    Listbox7 = new QListWidget(tab);
    Listbox7->setFixedHeight(156);
    Listbox7->setSelectionMode(QAbstractItemView::SingleSelection);
    TextField2 = new QLineEdit(tab);
    TextField2->setReadOnly(true);
    QPalette statusColours = TextField2->palette();
    statusColours.setColor(QPalette::Text, QColor(121, 36, 1));
    TextField2->setPalette(statusColours);

    StaticText25 = label(QStringLiteral("Font supplier or foundry"), tab);
    StaticText26 = label(QStringLiteral("Font family name"), tab);
    for (int i = 0; i < 2; ++i) {
        TextField1[i] = new QLineEdit(tab);
        TextField1[i]->setFixedWidth(133);
        TextField1[i]->setObjectName(QStringLiteral("TextField1(%1)").arg(i));
    }
    PushButton8 = button(QStringLiteral("Make TDS"), tab);
    PushButton8->setEnabled(false);
    PushButton7 = button(QStringLiteral("Install"), tab);
    PushButton7->setEnabled(false);

    GroupBox2 = new QGroupBox(QStringLiteral("Install location"), tab);
    installLocation = new QButtonGroup(this);
    installLocation->setExclusive(true);
    auto* radios = new QHBoxLayout(GroupBox2);
    const char* places[] = {"System", "Personal", "Other (for checking)", "texlive"};
    for (int i = 0; i < 4; ++i) {
        RadioButton2[i] = new QRadioButton(QString::fromLatin1(places[i]), GroupBox2);
        RadioButton2[i]->setObjectName(QStringLiteral("RadioButton2(%1)").arg(i));
        installLocation->addButton(RadioButton2[i], i);
        radios->addWidget(RadioButton2[i]);
    }
    setTreeHelpTags();

    PushButton4 = button(QStringLiteral("Explain"), tab);
    PushButton11 = button(QStringLiteral("Test installation"), tab);
    PushButton11->setVisible(false);
    Line1 = new QFrame(tab);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setLineWidth(1);
    StaticText27 = label(
        QStringLiteral("Before you run the command below, which moves font-related files to another tree, it "
                       "is imperative that you run File/ Find All Duplicates and resolve all duplication "
                       "issues, otherwise you might accidently overwrite a vital file."),
        tab, false, true);
    StaticText27->setMinimumHeight(2 * StaticText27->fontMetrics().lineSpacing());
    PushButton6 = button(QStringLiteral("From impermanent to permanent personal tree"), tab);
    PushButton6->setMinimumWidth(353);
    CheckBox2 = new QCheckBox(QStringLiteral("Impermanent only"), tab);
    CheckBox2->setVisible(false);

    v->addWidget(StaticText24);
    v->addWidget(Listbox7);
    v->addWidget(TextField2);
    auto* grid = new QGridLayout;
    grid->addWidget(StaticText25, 0, 0);
    grid->addWidget(TextField1[0], 0, 1);
    auto* makeButtons = new QHBoxLayout;
    makeButtons->addStretch(1);
    makeButtons->addWidget(PushButton8);
    makeButtons->addWidget(PushButton7);
    grid->addLayout(makeButtons, 0, 2);
    grid->addWidget(StaticText26, 1, 0);
    grid->addWidget(TextField1[1], 1, 1);
    grid->addWidget(GroupBox2, 1, 2, 2, 1);
    grid->addWidget(PushButton4, 2, 0, Qt::AlignLeft);
    grid->addWidget(PushButton11, 2, 1);
    grid->setColumnStretch(2, 1);
    v->addLayout(grid);
    v->addWidget(Line1);
    v->addWidget(StaticText27);
    auto* move = new QHBoxLayout;
    move->addStretch(1);
    move->addWidget(PushButton6);
    move->addStretch(1);
    move->addWidget(CheckBox2, 0, Qt::AlignBottom);
    v->addLayout(move);
    v->addStretch(1);
}

void Window1::setTreeHelpTags()
{
    // The real trees behind "Personal" and "texlive", once the scan knows them.
    RadioButton2[1]->setToolTip(texmfHome.isEmpty() ? QStringLiteral("TEXMFHOME") : texmfHome);
    RadioButton2[3]->setToolTip(texmfVar.isEmpty() ? QStringLiteral("TEXMFVAR") : texmfVar);
}

void Window1::Show()
{
    showWindow(this);
}

void Window1::Event_Open()
{
    toplevel = tdsTopLevelNames();
}

void Window1::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    TabPanel1->setCurrentIndex(1);
    Listbox1[0]->setFocus();
}

void Window1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Event_Activate();
}

void Window1::Setcaption()
{
    PushButton6->setText(isAdmin ? QStringLiteral("From personal trees to system tree")
                                 : QStringLiteral("From impermanent to permanent personal tree"));
    CheckBox2->setVisible(isAdmin);
}

void Window1::Clearitems()
{
    for (Window1List* list : Listbox1)
        list->deleteAllRows();
    Listbox2->deleteAllRows();
    Listbox4->deleteAllRows();
    Listbox5->deleteAllRows();
    Listbox6->deleteAllRows();
    StaticText8->setText(QString());
    StaticText20->setText(QString());
    TextArea1->setPlainText(QString());
    TextArea2->setPlainText(QString());
}

void Window1::Setupwin()
{
    guardBounds("Setupwin", [this] {
        // Which kind of tree the pdftex.map in use lies in decides who made it.
        const bool systemTree = !mapRoot.isEmpty() && !isPersonalPath(mapRoot);
        StaticText8->setText(QStringLiteral("• The map file in use is within a ") +
                             (systemTree ? QStringLiteral("system tree.") : QStringLiteral("user tree.")) +
                             QStringLiteral(" It must have been constructed using updmap") +
                             (systemTree ? QStringLiteral("-sys.") : QStringLiteral(".")));
        if (!isAdmin)
            StaticText4->setText(QStringLiteral("• You do NOT have administrator access to system areas."));
        Setcaption();
        setTreeHelpTags();
        StaticText10->setText(texYear);
        if (isAdmin && !systemTree)
            msgBox(QStringLiteral("• ALERT: Your font maps are not in the system areas, but you have "
                                  "administrative access. This is not optimal. See documentation."));
        // The personal map is rebuilt, never deleted: updmap-user keeps the
        // user's own enabled maps in it.
        if (newerMapCopy && systemTree)
            msgBox(QStringLiteral("• ALERT: The active pdftex.map is not the most recent generated: a newer "
                                  "copy was made after it. Run updmap-sys to make the active map again."));
        else if (newerMapCopy)
            msgBox(QStringLiteral("• ALERT: The active pdftex.map is not the most recent generated: updmap-sys "
                                  "(perhaps through tlmgr) has made a newer one since your personal map was "
                                  "made, and your personal map hides it. Run updmap-user to make your "
                                  "personal map again."));
        for (int i = 0; i < texmfTrees.size(); ++i) {
            const QString tree = checkedAt(texmfTrees, i);
            Listbox2->addRow(tree);
            // The tree's own variable name; Debian's extra tree has none.
            QString name;
            for (const QString& var : texmfVarNames) {
                if (QDir::cleanPath(texmfByName.value(var)) == QDir::cleanPath(tree)) {
                    name = var;
                    break;
                }
            }
            Listbox2->setCell(i, 1, name);
        }
        findupdmap();
        if (quitRequested())
            return;
        TextArea1->setPlainText(mapsDisabled.join(QLatin1Char('\n')));
        TextArea2->setPlainText(mapsAdded.join(QLatin1Char('\n')));
        logLine(QStringLiteral("Finished Setupwin"));
    });
}

void Window1::findupdmap()
{
    Listbox1[1]->deleteAllRows();
    Listbox1[2]->deleteAllRows();

    auto listIn = [](Window1List* list, const QChar letter, const QStringList& trees,
                     const QStringList& files) {
        int n = 0;
        for (const QString& tree : trees) {
            for (const QString& path : files) {
                if (!pathInTree(path, tree))
                    continue;
                list->addRow(QStringLiteral("[%1%2]").arg(letter).arg(n));
                list->setCell(n, 1, path);
                list->setCell(n, 2, fileDate(path));
                ++n;
            }
        }
    };
    listIn(Listbox1[1], QLatin1Char('P'), {texmfConfig, texmfHome}, updmapHome);
    // System trees in the order updmap reads them; trees of the search path
    // that have no role name (Debian's /usr/share/texmf) come before the
    // distribution's own.
    QStringList systemTrees{texmfSysConfig, texmfLocal};
    for (const QString& tree : texmfTrees) {
        if (treeRoleOf(tree).isEmpty() && !isPersonalPath(tree))
            systemTrees << tree;
    }
    systemTrees << texmfDist;
    listIn(Listbox1[2], QLatin1Char('S'), systemTrees, updmapSys);

    QString explanations;
    for (int i = 0; i < Listbox1[0]->rowCount(); ++i) {
        const QString root = Listbox1[0]->cell(i, 1);
        if (isPersonalPath(root))
            explanations += QStringLiteral("• The personal master font map [M%1] was generated from all "
                                           "updmap.cfg's using updmap.")
                                .arg(i);
        else if (pathInTree(root, texmfSysVar))
            explanations += QStringLiteral("• The system master font map [M%1] was generated from system "
                                           "updmap.cfg's using updmap-sys.")
                                .arg(i);
        else
            explanations += QStringLiteral("• The system font map [M%1] was most likely from the TeX Live "
                                           "%2 distribution or an update thereof.")
                                .arg(i)
                                .arg(texYear);
        explanations += QLatin1Char('\n');
    }
    StaticText20->setText(explanations);

    bool check = true;
    if (haspref(QStringLiteral("Ignoreupdmap")))
        check = prefInt(QStringLiteral("ignoreupdmap")) == 0;
    else
        setpref(QStringLiteral("ignoreupdmap"), qint32(0));
    UpdmapOpts(false);
    if (quitRequested() || !check)
        return;
    bool warned = false;
    if (updmapc.value(0) != QLatin1String("URWkb")) {
        msgBox(QStringLiteral("WARNING: Your setting for LW35 in updmap.cfg may not be optimal. Usually "
                              "URWkb is preferred."));
        warned = true;
    }
    for (int i = 1; i <= 4; ++i) {
        if (checkedAt(updmapc, i) != QLatin1String("true")) {
            msgBox(QStringLiteral("WARNING: At least one of the first four boolean options in updmap.cfg is "
                                  "set to false. They should in most cases be set to true.\nYou may make "
                                  "changes by pressing 'Other updmap settings' on the 'updmap diffs' tab."));
            warned = true;
            break;
        }
    }
    if (warned && askYesNo(QStringLiteral("Press Yes to avoid checking the updmap.cfg options in future")))
        setpref(QStringLiteral("ignoreupdmap"), qint32(1));
    saveprefs();
}

void Window1::UpdmapOpts(bool)
{
    opts = updmapOptionNames();
    const QString combined = readupdmap(!updmapHome.isEmpty());
    if (quitRequested())
        return;
    const QStringList values = updmapOptionValues(combined, opts);
    for (int i = 0; i < opts.size(); ++i)
        updmapc[i] = values.value(i);
    updmapcchanged = false;
}

void Window1::showprefs()
{
    PrefsWindow::showModal();
}

void Window1::PushButton1_Action()
{
    showprefs();
}

void Window1::PushButton2_Action()
{
    requestQuit();
}

void Window1::closeEvent(QCloseEvent* event)
{
    // Closing the main window is quitting; once the quit runs, let it close.
    if (quitRequested()) {
        event->accept();
        return;
    }
    event->ignore();
    requestQuit();
}

} // namespace qlk

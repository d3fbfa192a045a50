#include "fontinfo/lcdftoolsWindow.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/OtfInfo.h"
#include "platform/Dialogs.h"
#include "platform/Quote.h"
#include "services/DropCheck.h"
#include "services/Runners.h"
#include "ui/SingleWindow.h"

#include <QFileInfo>
#include <QMenu>

namespace qlk {

lcdftoolsWindow* lcdftoolsWindow::instance()
{
    return singleWindow<lcdftoolsWindow>();
}

// Closing the window leaves the run log alone: the log belongs to the
// application, and other tools go on writing to it.
lcdftoolsWindow::lcdftoolsWindow()
{
    setWindowTitle(QStringLiteral("LCDFtools Window"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(64, 64);
    setMaximumSize(32000, 32000);
    resize(678, 420);

    StaticText1 = new QLabel(QStringLiteral("• Drag a single otf (Opentype) font file onto the listbox below to "
                                            "obtain information about its properties. "),
                             this);
    StaticText1->setWordWrap(true);
    StaticText1->setGeometry(4, 4, 670, 38);

    Listbox1 = new ExamineList({}, {100}, this);
    Listbox1->setGeometry(2, 44, 672, 23);
    Listbox1->onDrop = [this](const QStringList& paths) { Listbox1_DropObject(paths); };
    Listbox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Listbox1, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem* item) { Listbox1_CellClick(Listbox1->indexOfTopLevelItem(item)); });
    connect(Listbox1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        if (!Listbox1_ConstructContextualMenu(&menu))
            return;
        if (QAction* chosen = menu.exec(Listbox1->viewport()->mapToGlobal(pos)))
            Listbox1_ContextualMenuAction(chosen->data().toInt());
    });

    // The tab panel's pages sit below its tabs; the controls keep the
    // window coordinates of their layout, moved into the page.
    TabPanel1 = new QTabWidget(this);
    TabPanel1->setGeometry(11, 78, 656, 328);
    auto* info = new QWidget;
    auto* tables = new QWidget;
    auto* features = new QWidget;
    TabPanel1->addTab(info, QStringLiteral("Info"));
    TabPanel1->addTab(tables, QStringLiteral("Tables"));
    TabPanel1->addTab(features, QStringLiteral("Features"));
    const QPoint origin(11 + 2, 78 + 26);
    auto place = [&](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(x - origin.x(), y - origin.y(), width, height);
    };

    Label1 = new QLabel(QStringLiteral("Flavor:"), info);
    place(Label1, 19, 116, 51, 20);
    GroupBox1 = new QGroupBox(info);
    place(GroupBox1, 81, 112, 210, 26);
    RadioButton1[0] = new QRadioButton(QStringLiteral("PostScript"), GroupBox1);
    RadioButton1[0]->setGeometry(6, 3, 93, 20);
    RadioButton1[1] = new QRadioButton(QStringLiteral("TrueType"), GroupBox1);
    RadioButton1[1]->setGeometry(111, 4, 89, 20);
    Label2 = new QLabel(QStringLiteral("PostScript Name:"), info);
    place(Label2, 19, 148, 112, 20);
    TextField1 = new QLineEdit(info);
    TextField1->setReadOnly(true);
    place(TextField1, 143, 146, 412, 22);
    Label6 = new QLabel(QStringLiteral("Font Family:"), info);
    place(Label6, 306, 115, 81, 20);
    TextField2 = new QLineEdit(info);
    TextField2->setReadOnly(true);
    place(TextField2, 399, 114, 259, 22);
    Label3 = new QLabel(QStringLiteral("Available script and language systems:"), info);
    place(Label3, 19, 180, 253, 20);
    Listbox2 = new ExamineList({QStringLiteral("Abbrev."), QStringLiteral("Full")}, {20, 80}, info);
    place(Listbox2, 284, 180, 374, 214);
    connect(Listbox2, &QTreeWidget::itemSelectionChanged, this, [this] { Listbox2_Change(); });

    Label4 = new QLabel(QStringLiteral("The font contains the following tables:"), tables);
    place(Label4, 17, 111, 248, 20);
    Listbox3 = new ExamineList({QStringLiteral("Size"), QStringLiteral("Table Name")}, {15, 85}, tables);
    place(Listbox3, 275, 111, 386, 285);

    Label5 = new QLabel(QStringLiteral("The following GPOS and GSUB features are are associated with the selected "
                                       "script/language:"),
                        features);
    place(Label5, 17, 109, 644, 20);
    Listbox4 = new ExamineList({QStringLiteral("Abbrev,"), QStringLiteral("Explanation")}, {12, 88}, features);
    place(Listbox4, 48, 134, 582, 265);

    for (ExamineList* list : {Listbox2, Listbox3, Listbox4}) {
        list->onDrop = nullptr;
        list->setAcceptDrops(false);
    }
}

void lcdftoolsWindow::setFlavour(bool postScript)
{
    RadioButton1[postScript ? 0 : 1]->setChecked(true);
}

void lcdftoolsWindow::Listbox1_DropObject(const QStringList& paths)
{
    fontfolder.clear();
    fontfile.clear();
    if (paths.isEmpty())
        return;
    for (int i = 0; i < paths.size(); ++i) {
        if (i > 0) {
            msgBox(QStringLiteral("You are permitted to drop only a single otf file"));
            fontfile.clear();
            return;
        }
        fontfile = paths.at(i);
        const QFileInfo item(fontfile);
        if (item.isDir()) {
            msgBox(QStringLiteral("You cannot drop a folder---just a single file"));
            return;
        }
        fontfolder = item.absolutePath();
        fontfilename = item.fileName();
    }
    if (!isOtfName(fontfilename)) {
        msgBox(QStringLiteral("The font file must be in .otf format"));
        fontfile.clear();
        return;
    }
    if (const QString problem = dropProblem({fontfile}, DropRules{{QStringLiteral(".otf")}}); !problem.isEmpty()) {
        msgBox(problem);
        fontfile.clear();
        return;
    }

    // The script list is refilled without running Features for every row;
    // Features runs once, for the script selected at the end.
    shownFolder_ = fontfolder;
    shownName_ = fontfilename;
    filling_ = true;
    Listbox1->deleteAllRows();
    Listbox2->deleteAllRows();
    Listbox3->deleteAllRows();
    Listbox1->addRow({fontfilename});
    mrow = 0;

    TextField1->setText(runShell(otfinfoCommand(fontfolder, QStringLiteral("-p"), fontfilename)));
    TextField2->setText(runShell(otfinfoCommand(fontfolder, QStringLiteral("-a"), fontfilename)));

    int latn = -1;
    for (const QStringList& row : otfScriptRows(runShell(otfinfoCommand(fontfolder, QStringLiteral("-s"), fontfilename)))) {
        const int r = Listbox2->addRow(row);
        if (row.first().compare(QLatin1String("latn"), Qt::CaseInsensitive) == 0)
            latn = r;
    }
    Listbox2->selectRow(latn);
    filling_ = false;
    Features();

    const QString tableList = runShell(otfinfoCommand(fontfolder, QStringLiteral("-qt"), fontfilename));
    setFlavour(otfHasCff(tableList));
    for (const QStringList& row : otfTableRows(tableList))
        Listbox3->addRow(row);
}

bool lcdftoolsWindow::Listbox1_CellClick(int row)
{
    mrow = row;
    return false;
}

bool lcdftoolsWindow::Listbox1_ConstructContextualMenu(QMenu* base)
{
    base->addAction(QStringLiteral("Font info"))->setData(1);
    base->addAction(QStringLiteral("Font features"))->setData(2);
    return true;
}

bool lcdftoolsWindow::Listbox1_ContextualMenuAction(int tag)
{
    if (mrow < 0 || mrow >= Listbox1->rowCount())
        return false;
    const QString name = Listbox1->cell(mrow, 0).trimmed();
    if (name.isEmpty() || shownFolder_.isEmpty())
        return false;
    const QString option = tag == 1 ? QStringLiteral("--info") : QStringLiteral("--features");
    msgBox(runShellQuiet(otfinfoCommand(shownFolder_, option, name)));
    return true;
}

void lcdftoolsWindow::Listbox2_Change()
{
    if (!filling_)
        Features();
}

void lcdftoolsWindow::Features()
{
    QString script = QStringLiteral("latn");
    const int row = Listbox2->selectedRow();
    if (row >= 0)
        script = Listbox2->cell(row, 0);
    Listbox4->deleteAllRows();
    if (shownFolder_.isEmpty())
        return;
    const QString output = runShell(otfinfoCommand(
        shownFolder_, QStringLiteral("-f ") + shellQuote(QStringLiteral("--script=") + script), shownName_));
    for (const QStringList& r : otfFeatureRows(output))
        Listbox4->addRow(r);
}

} // namespace qlk

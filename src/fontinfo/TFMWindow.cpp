#include "fontinfo/TFMWindow.h"

#include "fontinfo/FontTable.h"
#include "fontinfo/ExamineList.h"
#include "fontinfo/ScratchFolder.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "search/TreeSearch.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"
#include "ui/SingleWindow.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QResizeEvent>

namespace qlk {

QString tfmFontTableDocument(const QString& name)
{
    return fontTablePreamble() + QStringLiteral("\\begin{document}\n") + QStringLiteral("Font table for: ") + name +
           QStringLiteral(".tfm\n") + QStringLiteral("\\fonttable{") + name + QStringLiteral("}\n") +
           QStringLiteral("\\end{document}\n");
}

TFMWindow* TFMWindow::instance()
{
    return singleWindow<TFMWindow>();
}

TFMWindow::TFMWindow()
{
    setWindowTitle(QStringLiteral("Examine TFM"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(64, 64);
    resize(618, 406);

    Label1 = new QLabel(
        QStringLiteral("The popup menu below shows the tfm files in your texmf trees. You may filter the items "
                       "displayed by entering, eg, *tm* in the Filter editfield to display items containing tm. "
                       "Similarly, tm* finds all items beginning with tm.\nA '?\?\?\?' entry in the Real font listing "
                       "indicates a TFM that cannot be resolved to a physical font file because there is an entry "
                       "missing from the master map file."),
        this);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(10, 3, 598, 81);

    PopupMenu1 = new QComboBox(this);
    PopupMenu1->setGeometry(25, 89, 562, 20);
    connect(PopupMenu1, &QComboBox::currentIndexChanged, this, [this] { PopupMenu1_Change(); });

    Label2 = new QLabel(QStringLiteral("Filter:"), this);
    Label2->setGeometry(8, 121, 47, 20);
    TextField1 = new QLineEdit(this);
    TextField1->setGeometry(67, 119, 130, 22);
    // Return filters and stays in the field.
    connect(TextField1, &QLineEdit::returnPressed, this, [this] { Refreshlist(); });

    PushButton2 = new QPushButton(QStringLiteral("Refresh"), this);
    PushButton2->setGeometry(209, 120, 80, 20);
    PushButton2->setAutoDefault(false);
    connect(PushButton2, &QPushButton::clicked, this, [this] { Refreshlist(); });

    CheckBox1 = new QCheckBox(QStringLiteral("Virtual font"), this);
    CheckBox1->setGeometry(400, 118, 114, 20);
    CheckBox1->setEnabled(false);

    PushButton3 = new QPushButton(QStringLiteral("Show the PL"), this);
    PushButton3->setGeometry(403, 155, 122, 20);
    PushButton3->setEnabled(false);
    PushButton3->setAutoDefault(false);
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });

    Label3 = new QLabel(QStringLiteral("Real font listing:"), this);
    Label3->setGeometry(8, 177, 111, 20);

    Listbox1 = new ExamineList({QStringLiteral("TFM"), QStringLiteral("PostScript name"),
                                QStringLiteral("Actual font file")},
                               {30, 35, 35}, this);
    Listbox1->setGeometry(10, 206, 598, 157);
    Listbox1->setAcceptDrops(false);
    Listbox1->header()->setSectionResizeMode(QHeaderView::Interactive);

    PushButton1 = new QPushButton(QStringLiteral("Show font table"), this);
    PushButton1->setGeometry(450, 375, 120, 20);
    PushButton1->setAutoDefault(false);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });

    Event_Open();
}

TFMWindow::~TFMWindow()
{
    Event_Close();
}

void TFMWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    PopupMenu1->setGeometry(25, 89, qMax(20, w - 56), 20);
    Listbox1->setGeometry(10, 206, qMax(20, w - 20), qMax(20, h - 249));
    PushButton1->setGeometry(w - 168, h - 31, 120, 20);
}

void TFMWindow::Event_Open()
{
    tmpf = makeScratchFolder(tempFolder());
    if (tmpf.isEmpty())
        msgBox(QStringLiteral("Cannot make a work folder in ") + tempFolder());

    trees = {texmfDist, texmfLocal, texmfHome, texmfVar};
    QList<QByteArray> lsRTexts;
    for (int i = 0; i < 4; ++i) {
        // A tree that is not there takes no part, and nothing runs in it.
        treeexists[i] = !trees[i].isEmpty() && QFileInfo(trees[i]).isDir();
        if (!treeexists[i])
            continue;
        // A personal tree without an ls-R is listed for the catalogue in
        // memory: an ls-R file there would hide later files from kpsewhich
        // and make the start-up scan ask about it. One that is there already
        // (mktexlsr's) is used as it is.
        lsRTexts << catalogueText(trees[i], i >= 2);
    }

    QString error;
    if (!tfmdb.open(&error)) {
        msgBox(error);
        return;
    }
    QStringList errors;
    tfmdb.build(lsRTexts, &errors);
    for (const QString& e : errors)
        msgBox(e);
}

void TFMWindow::closeEvent(QCloseEvent* event)
{
    Event_Close();
    QWidget::closeEvent(event);
}

void TFMWindow::Event_Close()
{
    if (closed_)
        return;
    closed_ = true;
    if (!tmpf.isEmpty())
        removeScratchFolder(tmpf);
}

void TFMWindow::Refreshlist()
{
    setCursor(Qt::WaitCursor);
    Listbox1->deleteAllRows();
    listing.clear();
    CheckBox1->setChecked(false);
    {
        const QSignalBlocker block(PopupMenu1);
        PopupMenu1->clear();
    }
    vflist.clear();
    PopupMenu1_Change(); // nothing selected now
    repaint();

    const std::optional<QString> pattern = tfmFilterPattern(TextField1->text());
    if (!pattern) {
        msgBox(QStringLiteral("You may use at most 2 * characters, and only at the beginning and end"));
        unsetCursor();
        return;
    }
    QString error;
    const std::optional<QList<TfmEntry>> entries = tfmdb.filter(*pattern, &error);
    if (!entries) {
        unsetCursor();
        msgBox(error);
        return;
    }
    {
        const QSignalBlocker block(PopupMenu1);
        for (const TfmEntry& e : *entries) {
            PopupMenu1->addItem(e.name);
            vflist << e.vf;
        }
        PopupMenu1->setCurrentIndex(-1);
    }
    unsetCursor();
    if (!entries->isEmpty()) {
        PopupMenu1->setCurrentIndex(0); // traces the first entry
        CheckBox1->setChecked(vflist.at(0));
    }
    update();
}

void TFMWindow::PopupMenu1_Change()
{
    nomapflag = false;
    const int i = PopupMenu1->currentIndex();
    const QString name = i < 0 ? QString() : PopupMenu1->currentText();
    if (name.isEmpty()) {
        PushButton3->setEnabled(false);
        return;
    }
    PushButton3->setEnabled(true);
    const bool isVirtual = vflist.value(i);
    CheckBox1->setChecked(isVirtual);
    PushButton3->setText(isVirtual ? QStringLiteral("Show the VPL") : QStringLiteral("Show the PL"));
    if (tmpf.isEmpty())
        return;

    TfmTracer tracer(tfmdb, tmpf);
    if (!tracer.trace(name, isVirtual))
        return; // no such TFM: the listing stays as it was
    tfmbase = tracer.tfmbase;
    vfbase = tracer.vfbase;

    Listbox1->deleteAllRows();
    listing.clear();
    for (const QString& base : tfmbase) {
        const TfmMapRow row = tfmMapRow(base, grepMasterMap(base));
        nomapflag = nomapflag || row.unresolved;
        listing << row;
        Listbox1->addRow({row.tfm, row.psName, row.fontFile});
    }
    PushButton1->setEnabled(!nomapflag);
    update();
}

void TFMWindow::PushButton3_Action()
{
    const QString name = PopupMenu1->currentText();
    if (name.isEmpty() || tmpf.isEmpty())
        return;
    QString file;
    if (CheckBox1->isChecked()) {
        file = name + QStringLiteral(".vpl");
    } else {
        runShellQuiet(QStringLiteral("cd ") + shellQuote(tmpf) + QStringLiteral(" && ") +
                      shellQuote(texProgram(QStringLiteral("tftopl"))) + QLatin1Char(' ') + fontArg(name) +
                      QLatin1Char(' ') + fontArg(name));
        if (lastShell.errorCode != 0) {
            msgBox(QStringLiteral("Error making pl---sorry."));
            return;
        }
        file = name + QStringLiteral(".pl");
    }
    const QString path = tmpf + QLatin1Char('/') + file;
    if (QFileInfo::exists(path))
        openWithDefault(path);
}

void TFMWindow::PushButton1_Action()
{
    PrepareTest();
}

void TFMWindow::PrepareTest()
{
    if (tmpf.isEmpty())
        return;
    const QString name = PopupMenu1->currentText().trimmed();
    QFile f(tmpf + QStringLiteral("/test.tex"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        msgBox(QStringLiteral("Cannot write ") + f.fileName());
        return;
    }
    f.write(tfmFontTableDocument(name).toUtf8());
    f.close();
    runShell(QStringLiteral("cd ") + shellQuote(tmpf) + QStringLiteral(" && ") +
             shellQuote(texProgram(QStringLiteral("pdflatex"))) + QStringLiteral(" test"));
    if (lastShell.errorCode == 0)
        openWithDefault(tmpf + QStringLiteral("/test.pdf"));
}

} // namespace qlk

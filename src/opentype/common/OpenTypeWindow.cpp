#include "opentype/common/OpenTypeWindow.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/OtfInfo.h"
#include "opentype/common/InstalledPfb.h"
#include "opentype/common/OtfReaders.h"
#include "opentype/common/OtfTemplate.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/DropCheck.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "texenv/TexEnv.h"
#include "services/Runners.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>

namespace qlk {

OpenTypeWindow::OpenTypeWindow(QWidget* parent) : QWidget(parent) {}

void OpenTypeWindow::Event_Open()
{
    breakpts = otfinstMarkers();
    docf = documentsFolder();
}

void OpenTypeWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Event_Activate();
}

void OpenTypeWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Event_Activate();
}

void OpenTypeWindow::closeEvent(QCloseEvent* event)
{
    Event_Close();
    QWidget::closeEvent(event);
}

QString OpenTypeWindow::Computesf(int kind)
{
    return qlk::Computesf(fontfolder, fontfilename, kind);
}

bool OpenTypeWindow::takeDroppedFolder(const QStringList& paths, const QStringList& endings)
{
    // This window comes forward, not the main window, which would cover it.
    raise();
    activateWindow();
    for (int i = 0; i < paths.size(); ++i) {
        if (i > 0) {
            msgBox(QStringLiteral("You are permitted to drop only a single folder"));
            return false;
        }
        fontfolder = QFileInfo(paths.at(i)).absoluteFilePath();
        // Checked first: a name that is not UTF-8 would pass for a missing
        // folder.
        if (const QString problem = dropProblem({fontfolder}, DropRules{endings}); !problem.isEmpty()) {
            msgBox(problem);
            fontfolder.clear();
        } else if (!QFileInfo(fontfolder).isDir()) {
            msgBox(QStringLiteral("You cannot drop individual files---just a single folder"));
            fontfolder.clear();
        } else if (!ImportPieces()) {
            fontfolder.clear();
        }
    }
    return !fontfolder.isEmpty();
}

namespace {
// The files directly in `folder` whose names end in one of `endings`.
QStringList fontNamesIn(const QString& folder, const QStringList& endings)
{
    QStringList names;
    for (const QFileInfo& item : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        const QString name = item.fileName();
        for (const QString& ending : endings) {
            if (name.endsWith(ending, Qt::CaseInsensitive)) {
                names << name;
                break;
            }
        }
    }
    return names;
}
} // namespace

void OpenTypeWindow::listFontFiles(const QStringList& endings)
{
    fontfilename = fontNamesIn(fontfolder, endings);
    for (const QString& name : fontfilename)
        logLine(name);
    setFontRows(fontfolder, fontfilename);
}

// pdfTeX embeds TrueType outlines itself and stops every document at an OS/2
// table newer than it knows; the fonts would install well and never print.
bool OpenTypeWindow::acceptOs2Tables(const QStringList& endings)
{
    const QString version = runDirectQuiet(texProgram(QStringLiteral("pdftex")), {QStringLiteral("--version")})
                                .section(QLatin1Char('\n'), 0, 0)
                                .trimmed();
    const int limit = pdftexOs2Limit(version);
    const QStringList refused = fontsPdftexCannotEmbed(fontfolder, fontNamesIn(fontfolder, endings), limit);
    if (refused.isEmpty())
        return true;
    return askYesNo((version.isEmpty() ? QStringLiteral("pdfTeX") : version) +
                    QStringLiteral(" embeds TrueType fonts only with an OS/2 table up to version ") +
                    QString::number(limit) + QStringLiteral(", so it cannot embed:") + QChar(lf) +
                    refused.join(QChar(lf)) + QChar(lf) +
                    QStringLiteral("Every document that uses them would stop with \"unknown version of OS/2 "
                                   "table\". Go on with this folder anyway?"));
}

void OpenTypeWindow::readFamilyNames()
{
    const OtfNames names = readOtfNames(runShell(otfinfoCommand(fontfolder, QStringLiteral("--info"), fontfilename.first())));
    if (names.hasFamily)
        fontfamily = names.family;
    if (names.hasVendorUrl)
        vendor = parseurl(names.vendorUrl);
    shortname = shortform(fontfamily);
}

void OpenTypeWindow::makeFontList(const QRect& geometry, const QString& helpTag)
{
    Listbox1 = new ExamineList({}, {100}, this);
    Listbox1->setHeaderHidden(true);
    Listbox1->setToolTip(helpTag);
    place(Listbox1, geometry.x(), geometry.y(), geometry.width(), geometry.height(), Left | Top | Right | Bottom);
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
}

void OpenTypeWindow::setFontRows(const QString& folder, const QStringList& names)
{
    Listbox1->deleteAllRows();
    for (const QString& name : names)
        Listbox1->addRow({name});
    rowsFolder_ = folder;
}

bool OpenTypeWindow::Listbox1_CellClick(int row)
{
    mrow = row;
    return false;
}

bool OpenTypeWindow::Listbox1_ConstructContextualMenu(QMenu* base)
{
    base->addAction(QStringLiteral("Font info"))->setData(1);
    base->addAction(QStringLiteral("Font features"))->setData(2);
    return true;
}

bool OpenTypeWindow::Listbox1_ContextualMenuAction(int tag)
{
    if (mrow < 0 || mrow > Listbox1->rowCount() - 1)
        return false;
    const QString name = Listbox1->cell(mrow, 0).trimmed();
    if (name.isEmpty() || rowsFolder_.isEmpty())
        return false;
    if (tag == 1 || tag == 2) {
        const QString option = tag == 1 ? QStringLiteral("--info") : QStringLiteral("--features");
        msgBox(runShellQuiet(otfinfoCommand(rowsFolder_, option, name)));
    }
    return true;
}

void OpenTypeWindow::place(QWidget* w, int x, int y, int width, int height, int edges)
{
    w->setGeometry(x, y, width, height);
    anchored_ << Anchored{w, QRect(x, y, width, height), edges};
}

QPushButton* OpenTypeWindow::addButton(const char* caption, int x, int y, int width, int height, int edges)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), this);
    place(b, x, y, width, height, edges);
    b->setAutoDefault(false);
    b->setEnabled(false);
    return b;
}

void OpenTypeWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (designSize.isEmpty())
        return;
    const int dw = width() - designSize.width();
    const int dh = height() - designSize.height();
    for (const Anchored& a : anchored_) {
        QRect r = a.rect;
        if ((a.edges & Right) && (a.edges & Left))
            r.setWidth(r.width() + dw);
        else if (a.edges & Right)
            r.moveLeft(r.left() + dw);
        if ((a.edges & Bottom) && (a.edges & Top))
            r.setHeight(r.height() + dh);
        else if (a.edges & Bottom)
            r.moveTop(r.top() + dh);
        a.widget->setGeometry(r);
    }
}

} // namespace qlk

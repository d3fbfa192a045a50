#include "fontinfo/DVIwindow.h"

#include "fontinfo/DviList.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "services/DropCheck.h"
#include "ui/SingleWindow.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>

namespace qlk {

DVIwindow* DVIwindow::instance()
{
    return singleWindow<DVIwindow>();
}

DVIwindow::DVIwindow()
{
    setWindowTitle(QStringLiteral("Drop DVI file on listbox"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(64, 64);
    setMaximumSize(32000, 32000);
    resize(600, 400);

    Listbox1 = new DviList({QStringLiteral("Opcode"), QStringLiteral("Instruction"),
                                QStringLiteral("Followed by text:")},
                               {10, 15, 75}, this);
    Listbox1->setGeometry(8, 7, 584, 344);
    Listbox1->onDrop = [this](const QStringList& paths) { Listbox1_DropObject(paths); };

    CheckBox1 = new QCheckBox(QStringLiteral("Show only font changes"), this);
    CheckBox1->setGeometry(7, 368, 181, 20);
    // Ticked before the handler is connected: opening starts no listing.
    CheckBox1->setChecked(true);
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1_Action(); });

    PushButton1 = new QPushButton(QStringLiteral("Save"), this);
    PushButton1->setGeometry(500, 368, 80, 20);
    PushButton1->setAutoDefault(false);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });

    setTabOrder(Listbox1, CheckBox1);
    setTabOrder(CheckBox1, PushButton1);
}

DVIwindow::~DVIwindow()
{
    // The list outlives `rows` (children go after the members) and may be
    // laid out again while it goes: let it show nothing first.
    Listbox1->deleteAllRows();
}

void DVIwindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Event_Activate();
}

void DVIwindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Event_Activate();
}

void DVIwindow::Event_Activate()
{
    activated = true;
}

void DVIwindow::Listbox1_DropObject(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    // The drop came from another program: bring this window forward.
    showWindow(this);
    if (!dvif.isEmpty()) {
        if (!askYesNo(QStringLiteral("Examine new dvi?")))
            return;
        dvif.clear();
    }
    dvif = paths.first();
    if (paths.size() > 1) {
        msgBox(QStringLiteral("You may drop only a single file. Please start over."));
        dvif.clear();
        return;
    }
    if (QFileInfo(dvif).isDir()) {
        msgBox(QStringLiteral("You may drop only a single file, not a folder. Please start over."));
        dvif.clear();
        return;
    }
    if (const QString problem = dropProblem({dvif}, DropRules{}); !problem.isEmpty()) {
        msgBox(problem);
        dvif.clear();
        return;
    }
    processdvi();
}

void DVIwindow::CheckBox1_Action()
{
    if (activated && !dvif.isEmpty())
        processdvi();
}

void DVIwindow::PushButton1_Action()
{
    Savetofile();
}

void DVIwindow::processdvi()
{
    Listbox1->deleteAllRows();
    DviListing listing = listDviFile(dvif, CheckBox1->isChecked());
    rows = std::move(listing.rows);
    // The list shows the rows through a model: no item per row.
    Listbox1->setRows(&rows);
    if (!listing.error.isEmpty())
        msgBox(listing.error);
}

void DVIwindow::Savetofile()
{
    if (dvif.isEmpty())
        return;
    const QFileInfo dvi(dvif);
    QString folder = dvi.absolutePath();
    if (!QFileInfo(folder).isWritable()) {
        folder = dialogs().chooseFolder(QStringLiteral("Select Folder to save into"), documentsFolder());
        if (folder.isEmpty()) {
            msgBox(QStringLiteral("Save aborted."));
            return;
        }
    }
    const QString name = savedListingName(dvi.fileName());
    QString error;
    if (!writeListing(QDir(folder).filePath(name), dvif, rows, &error)) {
        msgBox(error);
        return;
    }
    msgBox(QStringLiteral("Saved as ") + name);
}

} // namespace qlk

#include "fontinfo/ToBerryWin.h"

#include "fontinfo/BerryRename.h"
#include "fontinfo/ExamineList.h"
#include "platform/Dialogs.h"
#include "services/DropCheck.h"
#include "ui/SingleWindow.h"

#include <QFileInfo>

namespace qlk {

ToBerryWin* ToBerryWin::instance()
{
    return singleWindow<ToBerryWin>();
}

ToBerryWin::ToBerryWin()
{
    setWindowTitle(QStringLiteral("Convert filenames to Berry form"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(64, 64);
    setMaximumSize(32000, 32000);
    resize(600, 400);

    Label1 = new QLabel(
        QStringLiteral("To convert font files (afm, pfb, pfa only) with their original names to the Berry form "
                       "required by some applications, place copies of your font files in a new folder and drop "
                       "the folder on the listbox below. You will be shown a list of the modifications. Press OK "
                       "to change all the file names to Berry form. If the Berry name is left blank, the name will "
                       "not be changed."),
        this);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(4, 4, 592, 82);

    Listbox1 = new ExamineList({QStringLiteral("Original name"), QStringLiteral("Berry name")}, {65, 35}, this);
    Listbox1->setGeometry(3, 92, 593, 265);
    Listbox1->setEditableColumn(1);
    Listbox1->onDrop = [this](const QStringList& paths) { Listbox1_DropObject(paths); };

    PushButton1 = new QPushButton(QStringLiteral("OK"), this);
    PushButton1->setGeometry(500, 369, 80, 20);
    PushButton1->setDefault(true);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    PushButton2 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton2->setGeometry(397, 369, 80, 20);
    PushButton2->setAutoDefault(false);
    // Escape rejects the dialog, which closes it like "Cancel".
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });

    setTabOrder(Listbox1, PushButton1);
    setTabOrder(PushButton1, PushButton2);
}

void ToBerryWin::Listbox1_DropObject(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    if (!masterfolder.isEmpty() && !askYesNo(QStringLiteral("Replace with new master folder?")))
        return;
    Listbox1->deleteAllRows();
    fn.clear();
    slst.clear();
    masterfolder.clear();
    if (paths.size() > 1) {
        msgBox(QStringLiteral("You may drop only a single folder. Please start over."));
        return;
    }
    // Odd names are what this window mends, so only what cannot be read
    // is refused (first: a name that is not UTF-8 would pass for a file).
    if (const QString problem = dropProblem({paths.first()}, DropRules{}); !problem.isEmpty()) {
        msgBox(problem);
        return;
    }
    if (!QFileInfo(paths.first()).isDir()) {
        msgBox(QStringLiteral("You may drop only a single folder, not a file. Please start over."));
        return;
    }
    masterfolder = paths.first();
    const BerryFolderScan scan = scanFontFolder(masterfolder);
    fn = scan.fn;
    slst = scan.slst;
    for (int i = 0; i < slst.size(); ++i)
        Listbox1->addRow({slst.at(i), scan.proposals.value(i)});
}

void ToBerryWin::PushButton1_Action()
{
    if (!masterfolder.isEmpty()) {
        QStringList names;
        for (int i = 0; i < slst.size(); ++i)
            names << Listbox1->cell(i, 1);
        const QStringList failed = renameToBerry(masterfolder, fn, slst, names);
        if (!failed.isEmpty())
            msgBox(QStringLiteral("These files were not renamed:\n") + failed.join(QLatin1Char('\n')));
    }
    close();
}

void ToBerryWin::PushButton2_Action()
{
    close();
}

} // namespace qlk

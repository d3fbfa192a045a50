#include "afm2tfm/AdobeAFMWin.h"

#include "afm2tfm/AfmDownload.h"
#include "fontinfo/ExamineList.h"
#include "platform/Dialogs.h"
#include "platform/HttpGet.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "services/FileHelpers.h"
#include "services/RunLog.h"
#include "ui/SingleWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QTreeWidgetItem>

namespace qlk {

AdobeAFMWin* AdobeAFMWin::instance()
{
    return singleWindow<AdobeAFMWin>();
}

AdobeAFMWin::AdobeAFMWin()
{
    setWindowTitle(QStringLiteral("Adobe AFM Downloads"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    resize(713, 444);

    StaticText1 = new QLabel(QStringLiteral("Double-click on a line to retrieve afm file"), this);
    Listbox1 = new ExamineList({QStringLiteral("Berry"), QStringLiteral("PSName"), QStringLiteral("AFM")},
                               {14, 68, 18}, this);
    Listbox1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(Listbox1, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem* item) { Listbox1_CellClick(Listbox1->indexOfTopLevelItem(item)); });
    connect(Listbox1, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        Listbox1_CellClick(Listbox1->indexOfTopLevelItem(item));
        Listbox1_DoubleClick();
    });
    StaticText2 = new QLabel(QStringLiteral("from site:"), this);
    TextField1 = new QLineEdit(this);
}

void AdobeAFMWin::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The list grows with the window; the address stays at the bottom.
    const int w = width();
    const int h = height();
    StaticText1->setGeometry(10, 7, 629, 20);
    Listbox1->setGeometry(10, 33, w - 20, h - 108);
    StaticText2->setGeometry(9, h - 69, 66, 20);
    TextField1->setGeometry(10, h - 43, w - 20, 22);
}

void AdobeAFMWin::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Event_Activate();
}

void AdobeAFMWin::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Event_Activate();
}

void AdobeAFMWin::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    load();
}

void AdobeAFMWin::load()
{
    TextField1->setText(prefText(QStringLiteral("AdobeAFMLink")));
    const QList<AfmRow> rows = adobeAfmRows();
    if (rows.isEmpty())
        msgBox(QStringLiteral("The font database lists none of the vendor's fonts."));
    for (const AfmRow& r : rows) {
        const int i = Listbox1->addRow({r.berry, r.psName, r.afmName});
        Listbox1->topLevelItem(i)->setData(0, Qt::UserRole, r.id);
    }
}

QString AdobeAFMWin::rowTag(int row) const
{
    const QTreeWidgetItem* item = Listbox1->topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

void AdobeAFMWin::Listbox1_CellClick(int row)
{
    mrow = row;
}

void AdobeAFMWin::Listbox1_DoubleClick()
{
    if (mrow < 0 || mrow >= Listbox1->rowCount() || fetching_)
        return;
    const QString name = Listbox1->cell(mrow, 2).trimmed();
    if (name.size() < 5) {
        msgBox(QStringLiteral("No AFM to retrieve"));
        return;
    }
    if (!safeDownloadName(name)) {
        msgBox(QStringLiteral("Cannot save a file named ") + name + QStringLiteral(" in your home folder."));
        return;
    }
    const QString address = afmAddress(TextField1->text().trimmed(), rowTag(mrow).trimmed(), name);
    const QString target = QDir(homeFolder()).filePath(name);
    fetching_ = true;
    QString why;
    const bool ok = httpGet(address, target, 30000, &why, kMaxAfmBytes);
    fetching_ = false;
    if (!ok) {
        logLine(QStringLiteral("Download of ") + address + QStringLiteral(" failed: ") + why);
        msgBox(QStringLiteral("Download failed!!"));
        return;
    }
    if (askYesNo(QStringLiteral("Download succeeded---reveal file in the file manager?")))
        revealInFinder(target);
}

void AdobeAFMWin::closeEvent(QCloseEvent* event)
{
    setpref(QStringLiteral("AdobeAFMLink"), TextField1->text().trimmed());
    saveprefs();
    QWidget::closeEvent(event);
}

} // namespace qlk

#include "search/CatalogfdWindow.h"

#include "search/FdCatalogue.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "ui/KeyDown.h"
#include "ui/SingleWindow.h"
#include "ui/Stripes.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace qlk {

CatalogfdWindow* CatalogfdWindow::instance() { return singleWindow<CatalogfdWindow>(); }

CatalogfdWindow::CatalogfdWindow()
{
    setWindowTitle(QStringLiteral("Existing fd files"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setMinimumSize(400, 200);

    Listbox1 = new QTreeWidget(this);
    Listbox1->setColumnCount(5);
    Listbox1->setHeaderLabels({QStringLiteral("Enc"), QStringLiteral("Berry"), QStringLiteral("Parent"),
                               QStringLiteral("Path"), QStringLiteral("Remarks")});
    Listbox1->setRootIsDecorated(false);
    Listbox1->setUniformRowHeights(true);
    Listbox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Listbox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Listbox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Listbox1->header()->setSectionsMovable(false);
    Listbox1->header()->setSectionResizeMode(QHeaderView::Fixed);
    Listbox1->setItemDelegate(new StripedItemDelegate(Listbox1));
    StaticText2 = new QLabel(QStringLiteral("Find:"), this);
    TextField1 = new QLineEdit(this);
    TextField1->installEventFilter(this);
    PushButton1 = new QPushButton(QStringLiteral("Go"), this);
    StaticText1 = new QLabel(QStringLiteral("Unique .fd files:"), this);
    TextField2 = new QLineEdit(this);
    TextField2->setReadOnly(true);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(Listbox1, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem* item) { Listbox1_CellClick(Listbox1->indexOfTopLevelItem(item)); });
    connect(Listbox1, &QTreeWidget::itemDoubleClicked, this, [this] { Listbox1_DoubleClick(); });
    resize(607, 400);
    Event_Open();
}

void CatalogfdWindow::resizeEvent(QResizeEvent* event)
{
    const int w = event->size().width();
    const int h = event->size().height();
    Listbox1->setGeometry(3, 5, w - 6, h - 46);
    const int lw = w - 6;
    const int widths[] = {lw * 5 / 100, lw * 8 / 100, lw * 20 / 100, lw * 50 / 100};
    for (int c = 0; c < 4; ++c)
        Listbox1->setColumnWidth(c, widths[c]);
    StaticText2->setGeometry(7, h - 26, 41, 20);
    TextField1->setGeometry(49, h - 28, 175, 22);
    PushButton1->setGeometry(228, h - 27, 46, 20);
    StaticText1->setGeometry(w - 607 + 427, h - 27, 106, 20);
    TextField2->setGeometry(w - 607 + 539, h - 29, 48, 22);
    QWidget::resizeEvent(event);
}

bool CatalogfdWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        Event_Activate();
    return QWidget::event(event);
}

bool CatalogfdWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (forwardKeyDown(watched, event, TextField1, [this](const QString& key) { return TextField1_KeyDown(key); }))
        return true;
    return QWidget::eventFilter(watched, event);
}

void CatalogfdWindow::Event_Open() { TextField2->setText(fdCount()); }

void CatalogfdWindow::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    getfds(QString());
}

bool CatalogfdWindow::TextField1_KeyDown(const QString& key)
{
    if (!isReturnKey(key))
        return false;
    getfds(trimWhite(TextField1->text()));
    return true;
}

void CatalogfdWindow::PushButton1_Action() { getfds(trimWhite(TextField1->text())); }

void CatalogfdWindow::getfds(const QString& filter)
{
    Listbox1->clear();
    QList<QTreeWidgetItem*> items;
    for (const FdRow& row : fdRows(filter))
        items << new QTreeWidgetItem(QStringList{row.enc, row.berry, row.parent, row.path, row.remarks});
    Listbox1->addTopLevelItems(items);
}

void CatalogfdWindow::Listbox1_CellClick(int row) { mrow = row; }

void CatalogfdWindow::Listbox1_DoubleClick()
{
    if (mrow < 0 || mrow >= Listbox1->topLevelItemCount())
        return;
    revealInFinder(Listbox1->topLevelItem(mrow)->text(3));
}

} // namespace qlk

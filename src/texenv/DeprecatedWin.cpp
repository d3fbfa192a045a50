#include "texenv/DeprecatedWin.h"

#include "services/FileHelpers.h"
#include "ui/SingleWindow.h"
#include "ui/Stripes.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace qlk {

DeprecatedWin* DeprecatedWin::instance()
{
    return singleWindow<DeprecatedWin>();
}

DeprecatedWin::DeprecatedWin()
{
    setWindowTitle(QStringLiteral("Deprecated map locations"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setMinimumSize(64, 64);
    resize(748, 476);

    StaticText11 = new QLabel(
        QStringLiteral("Several years ago, font maps were commonly stored in the dvips branch at the top "
                       "level of a TeX tree. This location is now deprecated and map files located there "
                       "will not be found by TeXLive's search mechanism. They should be moved into a "
                       "fonts/map subfolder."),
        this);
    StaticText11->setWordWrap(true);
    StaticText12 = new QLabel(QStringLiteral("These should be moved:"), this);
    QFont bold = StaticText12->font();
    bold.setBold(true);
    StaticText12->setFont(bold);
    Listbox3 = new QListWidget(this);
    Listbox3->setSelectionMode(QAbstractItemView::SingleSelection);
    Listbox3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PushButton1 = new QPushButton(QStringLiteral("OK"), this);
    PushButton1->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StaticText11);
    layout->addWidget(StaticText12);
    layout->addWidget(Listbox3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(PushButton1);
    layout->addLayout(buttons);

    connect(Listbox3, &QListWidget::currentRowChanged, this, [this](int row) { Listbox3_CellClick(row); });
    connect(Listbox3, &QListWidget::itemDoubleClicked, this, [this] { Listbox3_DoubleClick(); });
    // The list tells the user what to move; OK only closes it.
    connect(PushButton1, &QPushButton::clicked, this, &QDialog::accept);
}

void DeprecatedWin::addRow(const QString& path)
{
    auto* item = new QListWidgetItem(path, Listbox3);
    item->setBackground(stripeColor(Listbox3->count() - 1));
}

void DeprecatedWin::Listbox3_CellClick(int row)
{
    mrow = row;
}

void DeprecatedWin::Listbox3_DoubleClick()
{
    if (mrow < 0 || mrow >= Listbox3->count())
        return;
    revealInFinder(Listbox3->item(mrow)->text());
}

} // namespace qlk

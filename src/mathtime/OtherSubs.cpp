#include "mathtime/OtherSubs.h"

#include "mathtime/MathtimeWin.h"
#include "mathtime/MtModel.h"
#include "platform/Dialogs.h"
#include "ui/SingleWindow.h"
#include "ui/Stripes.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace qlk {

namespace {

// The table, with a way to finish an edit in progress before it is read.
class SubsTable : public QTableWidget {
public:
    using QTableWidget::QTableWidget;
    void commitOpenEditor()
    {
        if (state() != EditingState)
            return;
        for (QLineEdit* editor : viewport()->findChildren<QLineEdit*>()) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
};

const char* const kIntro =
    "The glyphs in a text italic font may not all be suitable for use in as math italic letters for a "
    "number of reasons. Some are too wide, and some may be easily confused with greek or other math "
    "symbols Watch out especially for f, l, v  (confict with nu) and y (conflict with gamma). \n"
    "You may enter substitutes from other fonts in such cases.";

} // namespace

OtherSubs::OtherSubs()
{
    setWindowTitle(QStringLiteral("Other substitutions"));
    resize(600, 400);
    setMinimumSize(64, 64);
    setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    Label1 = new QLabel(QString::fromUtf8(kIntro), this);
    Label1->setGeometry(5, 1, 590, 90);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* table = new SubsTable(0, 2, this);
    Listbox1 = table;
    Listbox1->setGeometry(5, 103, 590, 262);
    Listbox1->setHorizontalHeaderLabels({QStringLiteral("Glyph"), QStringLiteral("Substitute glyph from TFM:")});
    Listbox1->verticalHeader()->hide();
    Listbox1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Listbox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Listbox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Listbox1->setItemDelegate(new StripedItemDelegate(Listbox1));
    PushButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton1->setGeometry(398, 372, 80, 20);
    PushButton2 = new QPushButton(QStringLiteral("Done"), this);
    PushButton2->setGeometry(491, 372, 80, 20);
    connect(PushButton1, &QPushButton::clicked, this, [this] { close(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] {
        if (finish())
            close();
    });
    // A change of the selected row, or an edit, marks the table changed.
    // (The current cell alone moves when the list merely takes the focus.)
    connect(Listbox1, &QTableWidget::itemSelectionChanged, this, [this] { dirty = 1; });
    connect(Listbox1, &QTableWidget::itemChanged, this, [this] { dirty = 1; });
}

OtherSubs* OtherSubs::instance()
{
    return singleWindow<OtherSubs>();
}

void OtherSubs::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    fill();
}

void OtherSubs::fill()
{
    MathtimeWin* mt = MathtimeWin::instance();
    mt->project().readSubs();
    const QSignalBlocker block(Listbox1);
    Listbox1->clearContents();
    Listbox1->setRowCount(mt::kGlyphCount);
    for (int g = 0; g < mt::kGlyphCount; ++g) {
        auto* label = new QTableWidgetItem(mt::glyphLabel(g));
        label->setFlags(label->flags() & ~Qt::ItemIsEditable);
        Listbox1->setItem(g, 0, label);
        Listbox1->setItem(g, 1, new QTableWidgetItem());
    }
    const QList<mt::SubstituteFont>& subs = mt->project().subs;
    for (const auto& [glyph, font] : mt->project().subGlyphs)
        if (font >= 0 && font < subs.size())
            Listbox1->item(glyph, 1)->setText(subs.at(font).tfm);
    dirty = 0;
}

void OtherSubs::commitEdit()
{
    static_cast<SubsTable*>(Listbox1)->commitOpenEditor();
}

bool OtherSubs::finish()
{
    commitEdit();
    if (dirty <= 0)
        return true;
    MathtimeWin* mt = MathtimeWin::instance();
    if (mt->project().master.isEmpty()) {
        msgBox(QStringLiteral("Drop a master folder on the MathTime window first."));
        return false;
    }
    QStringList names;
    for (int r = 0; r < Listbox1->rowCount(); ++r) {
        const QString name = Listbox1->item(r, 1) ? Listbox1->item(r, 1)->text().trimmed() : QString();
        // A blank inside a name would shift every font index of the file.
        if (!name.isEmpty() && !mt::isSafeFontName(name)) {
            msgBox(QStringLiteral("The substitute for ") + mt::glyphLabel(r) + QStringLiteral(", \"") + name +
                   QStringLiteral("\", may hold only letters, digits, \"-\", \"_\" and \".\"."));
            return false;
        }
        names << name;
    }
    QFile f(mt->project().masterEntry(QStringLiteral("subs")));
    const QByteArray bytes = mt::subsText(names).toUtf8();
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush()) {
        msgBox(QStringLiteral("Unable to write the file subs in the master folder: ") + mt->project().master);
        return false;
    }
    f.close();
    mt->project().needGlyphs = true;
    mt->project().needMetrics = true;
    mt->pressprocess();
    return true;
}

} // namespace qlk

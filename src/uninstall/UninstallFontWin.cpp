#include "uninstall/UninstallFontWin.h"

#include "platform/Dialogs.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"
#include "ui/KeyDown.h"
#include "ui/SingleWindow.h"
#include "uninstall/PackageLookups.h"
#include "uninstall/PackageRemoval.h"
#include "uninstall/PackageSearch.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace qlk {

namespace {
// The wait cursor for as long as a search or a removal runs.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

UninstallFontWin* UninstallFontWin::instance() { return singleWindow<UninstallFontWin>(); }

UninstallFontWin::UninstallFontWin()
{
    setWindowTitle(QStringLiteral("Font Uninstaller"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setMinimumSize(64, 64);
    resize(843, 429);

    Label1 = new QLabel(
        QStringLiteral("This tool allows you to pick a font family installed in either the system (texmflocal "
                       "only) or one of your personal texmf folders, and remove it either altogether or to a "
                       "location outside the texmf forest. \nTo begin, enter the package name, or the name of a "
                       "map file or a sty file in the package, then check other choices, if any, by pressing "
                       "Next. SEARCHES ALWAYS EXCLUDE TEXMFDIST, the tree managed by the TeXLive distribution, "
                       "except to check for existence."),
        this);
    Label1->setGeometry(11, 5, 819, 92);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PopupMenu1 = new QComboBox(this);
    PopupMenu1->setGeometry(346, 174, 134, 20);
    PopupMenu1->hide();
    Label2 = new QLabel(QStringLiteral("Supplier:"), this);
    Label2->setGeometry(51, 176, 64, 20);
    PopupMenu2 = new QComboBox(this);
    PopupMenu2->setGeometry(346, 206, 134, 20);
    PopupMenu2->hide();
    Label3 = new QLabel(QStringLiteral("Package Name:"), this);
    Label3->setGeometry(51, 209, 106, 20);
    Label5 = new QLabel(QStringLiteral("Tree:"), this);
    Label5->setGeometry(51, 142, 63, 20);
    TextArea1 = new QPlainTextEdit(this);
    TextArea1->setGeometry(11, 279, 812, 130);
    TextArea1->setReadOnly(true);
    CheckBox1 = new QCheckBox(QStringLiteral("Save uninstalled files to a TDS"), this);
    CheckBox1->setGeometry(355, 108, 215, 20);
    CheckBox1->setChecked(true);
    TextField1 = new QLineEdit(this);
    TextField1->setGeometry(111, 108, 163, 22);
    TextField1->installEventFilter(this);
    Label6 = new QLabel(QStringLiteral("Specify name:"), this);
    Label6->setGeometry(13, 110, 91, 20);
    PushButton1 = new QPushButton(QStringLiteral("Go"), this);
    PushButton1->setGeometry(286, 109, 49, 20);
    PushButton1->setDefault(true);
    PopupMenu4 = new QComboBox(this);
    PopupMenu4->setGeometry(347, 140, 134, 20);
    PopupMenu4->hide();
    PushButton2 = new QPushButton(QStringLiteral("Remove This Package"), this);
    PushButton2->setGeometry(179, 241, 156, 20);
    PushButton2->setEnabled(false);
    PushButton2->setAutoDefault(false);
    PushButton3 = new QPushButton(QStringLiteral("Next"), this);
    PushButton3->setGeometry(51, 241, 80, 20);
    PushButton3->setEnabled(false);
    PushButton3->setAutoDefault(false);
    TextField2 = new QLineEdit(this);
    TextField2->setGeometry(171, 139, 134, 22);
    TextField2->setEnabled(false);
    TextField3 = new QLineEdit(this);
    TextField3->setGeometry(171, 173, 134, 22);
    TextField3->setEnabled(false);
    TextField4 = new QLineEdit(this);
    TextField4->setGeometry(171, 206, 134, 22);
    TextField4->setEnabled(false);
    Label7 = new QLabel(QStringLiteral("The tree names used here are:\nTEXMFLOCAL  (%1)\nTEXMFHOME  (%2)\n"
                                       "TEXMFVAR  (%3)\n\nThe last of these is impermanent, useful only during "
                                       "the current distribution year.")
                            .arg(texmfLocal, texmfHome, texmfVar),
                        this);
    Label7->setGeometry(518, 140, 305, 127);
    Label7->setWordWrap(true);
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    CheckBox2 = new QCheckBox(QStringLiteral("Exists in TEXMFDIST"), this);
    CheckBox2->setGeometry(596, 108, 162, 20);
    CheckBox2->setEnabled(false);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
    connect(PopupMenu4, &QComboBox::currentIndexChanged, this, [this] { PopupMenu4_Change(); });
}

bool UninstallFontWin::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        Event_Activate();
    return QWidget::event(event);
}

bool UninstallFontWin::eventFilter(QObject* watched, QEvent* event)
{
    if (forwardKeyDown(watched, event, TextField1, [this](const QString& key) { return TextField1_KeyDown(key); }))
        return true;
    return QWidget::eventFilter(watched, event);
}

void UninstallFontWin::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    trees = uninstallTrees();
}

bool UninstallFontWin::TextField1_KeyDown(const QString& key)
{
    if (!isReturnKey(key))
        return false;
    go();
    return true;
}

void UninstallFontWin::PushButton1_Action() { go(); }

void UninstallFontWin::PushButton2_Action() { Doit(); }

void UninstallFontWin::PushButton3_Action()
{
    if (fnd.isEmpty())
        return;
    ++theindex;
    if (theindex >= fnd.size())
        theindex = 0;
    nextindex();
}

void UninstallFontWin::PopupMenu4_Change()
{
    const QString text = PopupMenu4->currentText();
    PopupMenu2->clear();
    if (!text.isEmpty())
        Filloutfamilies(text);
}

void UninstallFontWin::Filloutfamilies(const QString& supplier)
{
    // Families are not offered for choice; the supplier's packages are
    // found by the search instead.
    Q_UNUSED(supplier);
}

void UninstallFontWin::go()
{
    Event_Activate();
    WaitCursor wait;
    const QString name = trimWhite(TextField1->text());
    // Nothing of an earlier match may stand beside this search's answer.
    TextField2->clear();
    TextField3->clear();
    TextField4->clear();
    PopupMenu1->hide();
    PopupMenu2->hide();
    PushButton2->setEnabled(false);
    PushButton3->setEnabled(false);

    const PackageSearchResult r = searchPackage(name, trees);
    CheckBox2->setChecked(r.distHas);
    TextArea1->setPlainText(r.message);
    s4 = r.s4;
    fnd = r.fnd;
    theindex = 0;
    if (!r.found)
        return;
    PushButton3->setEnabled(r.several);
    if (s4.isEmpty())
        TextField4->setText(name);
    nextindex();
}

void UninstallFontWin::nextindex()
{
    if (theindex < 0 || theindex >= fnd.size())
        return;
    WaitCursor wait;
    const QString path = fnd.at(theindex);
    const QString searched = s4.isEmpty() ? trimWhite(TextField1->text()) : QString();
    MatchInfo info = classifyMatch(s4, path, searched, trees);

    PopupMenu1->hide();
    PopupMenu2->hide();
    PushButton2->setEnabled(false);
    TextField2->setText(info.tree);
    TextField3->setText(info.supplier);
    TextField4->setText(info.package);

    if (info.offerMapDeletion) {
        if (askYesNo(QStringLiteral("The map file contains no data. Delete it?"))) {
            if (deleteEmptyMap(path, trees))
                TextArea1->setPlainText(QStringLiteral("Deleted ") + path);
            return;
        }
    }
    if (!info.message.isEmpty())
        TextArea1->setPlainText(info.message);
    if (!info.supplierChoices.isEmpty()) {
        PopupMenu1->clear();
        PopupMenu1->addItems(info.supplierChoices);
        PopupMenu1->show();
    }
    if (!info.packageChoices.isEmpty()) {
        PopupMenu2->clear();
        PopupMenu2->addItems(info.packageChoices);
        PopupMenu2->show();
    }
    PushButton2->setEnabled(info.removable());
}

void UninstallFontWin::Doit()
{
    const int tree = QStringList{"TEXMFLOCAL", "TEXMFHOME", "TEXMFVAR"}.indexOf(TextField2->text());
    RemovalPlan plan = planRemoval(tree, trees, TextField3->text(), TextField4->text());
    if (!plan.error.isEmpty()) {
        msgBox(plan.error);
        return;
    }
    if (plan.folders.isEmpty() && plan.kept.isEmpty()) {
        msgBox(QStringLiteral("No folder of ") + plan.supplier + QLatin1Char('/') + plan.package +
               QStringLiteral(" was found in ") + TextField2->text() + QStringLiteral("; nothing is removed."));
        return;
    }
    if (!confirmRemoval(plan))
        return;
    WaitCursor wait;
    const QString outcome = performRemoval(plan, CheckBox1->isChecked());
    if (outcome.isEmpty())
        return;
    TextArea1->appendPlainText(outcome);
    PushButton2->setEnabled(false);
    repaint();
}

void UninstallFontWin::Fillout(int i)
{
    suppliers = filloutSuppliers(i, suppliers);
    PopupMenu1->addItems(suppliers);
    PopupMenu1->setCurrentIndex(0);
}

} // namespace qlk

#include "mathalpha/MathAlph2.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/FontMeasure.h"
#include "mathalpha/GlyphMeasure.h"
#include "mathalpha/MathAlphaBuild.h"
#include "mathalpha/MathAlphabetWin.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "ui/SingleWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

#include <cmath>

namespace qlk {

using namespace mathalpha;

namespace {

class PictureCanvas : public QWidget {
public:
    PictureCanvas(MathAlph2* owner) : QWidget(owner), owner_(owner) { setFocusPolicy(Qt::NoFocus); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        if (!owner_->pic.isNull())
            p.drawImage(owner_->tx, owner_->ty, owner_->pic);
    }

private:
    MathAlph2* owner_;
};

const char* const kHelp[8] = {
    "\u2022 Adjustments are relative to current positions in em units. Each small square on the screen represents 20 "
    "em units.",
    "\u2022 Adjust Left by 2 to increase the left side-bearing by 2em, increasing width by 2em.",
    "\u2022 Adjust Right by 2 to add 2em to IC.",
    "\u2022 Adjust Subscript by 2 to increase width by 2em and decrease IC by 2em.",
    "\u2022 Adjust Accent by 2 to move accent 2em to the right.",
    "\u2022 Adjustments to Left or Right should leave the subscript and accent positions unchanged relative to the "
    "glyph.",
    "\u2022 Press Refresh to regenerate the glyph with specified changes to metrics.",
    "\u2022 Fractional em values are rounded.",
};

} // namespace

MathAlph2* MathAlph2::instance()
{
    return singleWindow<MathAlph2>();
}

MathAlph2::MathAlph2()
{
    setWindowTitle(QStringLiteral("Edit Glyph Metrics"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(829, 589);
    Canvas1 = new PictureCanvas(this);
    Canvas1->setGeometry(3, 3, 589, 586);
    const char* names[4] = {"Left:", "Right:", "Subscript:", "Accent:"};
    const int labelTops[4] = {11, 41, 71, 102};
    const int buttonTops[4] = {9, 39, 70, 102};
    const int fieldTops[4] = {9, 38, 69, 101};
    for (int i = 0; i < 4; ++i) {
        Labels[i] = new QLabel(QString::fromLatin1(names[i]), this);
        Labels[i]->setGeometry(600, labelTops[i], 68, 20);
        PushButton1[i] = new QPushButton(QStringLiteral("<-"), this);
        PushButton1[i]->setGeometry(672, buttonTops[i], 30, 20);
        PushButton2[i] = new QPushButton(QStringLiteral("->"), this);
        PushButton2[i]->setGeometry(708, buttonTops[i], 30, 20);
        TextField1[i] = new QLineEdit(this);
        TextField1[i]->setGeometry(743, fieldTops[i], 80, 22);
        connect(PushButton1[i], &QPushButton::clicked, this, [this, i] { PushButton1_Action(i); });
        connect(PushButton2[i], &QPushButton::clicked, this, [this, i] { PushButton2_Action(i); });
        connect(TextField1[i], &QLineEdit::textChanged, this, [this] { TextField1_TextChange(); });
    }
    QStringList help;
    for (const char* line : kHelp)
        help << QString::fromUtf8(line);
    Label5 = new QLabel(help.join(QLatin1Char('\n')), this);
    Label5->setGeometry(598, 133, 227, 371);
    Label5->setWordWrap(true);
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PushButton5 = new QPushButton(QStringLiteral("Refresh"), this);
    PushButton5->setGeometry(667, 527, 80, 20);
    PushButton5->setEnabled(false);
    PushButton3 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton3->setGeometry(613, 560, 80, 20);
    PushButton4 = new QPushButton(QStringLiteral("Done"), this);
    PushButton4->setGeometry(729, 560, 80, 20);
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Action(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Action(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { PushButton3_Action(); });
}

void MathAlph2::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Event_Activate();
}

void MathAlph2::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    Makeglyphpic();
}

void MathAlph2::PushButton1_Action(int i)
{
    TextField1[i]->setText(QString::number(leadingNumber(TextField1[i]->text()) - 2));
}

void MathAlph2::PushButton2_Action(int i)
{
    TextField1[i]->setText(QString::number(leadingNumber(TextField1[i]->text()) + 2));
}

void MathAlph2::TextField1_TextChange()
{
    bool any = false;
    for (QLineEdit* f : TextField1)
        any = any || leadingNumber(f->text()) != 0;
    PushButton5->setEnabled(any);
}

MathAlph2::Applied MathAlph2::applyFields(bool emptyFields)
{
    MathAlphabetWin* w = MathAlphabetWin::existing();
    const bool row = glyphnum >= 0 && glyphnum < w->Listbox1->rowCount();
    // Every sum is checked before any cell changes: the grid takes only
    // what the font can hold, and nothing of a refused set.
    std::array<double, 4> deltas{};
    std::array<double, 4> sums{};
    for (int i = 1; i <= 4 && row; ++i) {
        deltas[i - 1] = std::round(leadingNumber(TextField1[i - 1]->text()));
        sums[i - 1] = leadingNumber(w->Listbox1->cell(glyphnum, i)) + deltas[i - 1];
        if (deltas[i - 1] != 0 && !adjustmentFits(sums[i - 1])) {
            msgBox(adjustmentRangeMessage(glyphnum, i, sums[i - 1]) + QStringLiteral(" Nothing was changed."));
            return Applied::Refused;
        }
    }
    bool changed = false;
    for (int i = 1; i <= 4; ++i) {
        if (deltas[i - 1] != 0) {
            w->Listbox1->setCell(glyphnum, i, QString::number(sums[i - 1]));
            changed = true;
        }
        if (emptyFields)
            TextField1[i - 1]->clear();
    }
    return changed ? Applied::Changed : Applied::Unchanged;
}

void MathAlph2::PushButton4_Action()
{
    // Without the math-alphabet window there is no grid to write into.
    if (!MathAlphabetWin::existing()) {
        close();
        return;
    }
    const Applied applied = applyFields(false);
    if (applied == Applied::Refused)
        return;
    close();
    if (applied == Applied::Changed) {
        if (MathAlphabetWin* w = MathAlphabetWin::existing())
            w->process();
    }
}

void MathAlph2::PushButton5_Action()
{
    if (!MathAlphabetWin::existing()) {
        close();
        return;
    }
    const Applied applied = applyFields(true);
    if (applied == Applied::Refused)
        return;
    if (applied == Applied::Changed)
        MathAlphabetWin::existing()->process();
    Makeglyphpic();
}

void MathAlph2::PushButton3_Action()
{
    close();
}

void MathAlph2::Makeglyphpic()
{
    const QString newest = newestTmpFile(documentsFolder());
    if (!QFileInfo(newest).isFile()) {
        msgBox(QStringLiteral("Bailing out! Cannot locate file newesttmp.txt which points to most recent fontinst "
                              "data."));
        return;
    }
    const QString name = readTextFile(newest).trimmed();
    const QString folder = documentsFolder() + QLatin1Char('/') + name;
    if (name.isEmpty() || !QFileInfo(folder).isDir()) {
        msgBox(QStringLiteral("Bailing out! Cannot locate folder ") + name + QStringLiteral(" containing fontinst data."));
        return;
    }
    MathAlphabetWin* w = MathAlphabetWin::existing();
    const int kind = w ? w->kindIndex() : 0;
    const QString sty = w ? w->TextField3->text() : QString();
    QFile tex(folder + QStringLiteral("/tmp.tex"));
    if (!tex.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        tex.write(glyphPictureDocument(sty, alphabetCommand(kind), qBound(0, glyphnum, kGlyphs - 1)).toUtf8()) < 0) {
        msgBox(QStringLiteral("Unable to write ") + tex.fileName());
        return;
    }
    tex.close();
    QFile::remove(folder + QStringLiteral("/tmp.png"));
    runShellQuiet(glyphPictureCommand(folder, appFolder()));
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("Failed to process tmp.tex. See tmp.log in ") + folder);
        return;
    }
    const QImage made(folder + QStringLiteral("/tmp.png"));
    if (made.isNull()) {
        msgBox(QStringLiteral("No picture tmp.png was made in ") + folder);
        return;
    }
    pic = made;
    tx = (Canvas1->width() - pic.width()) / 2;
    ty = (Canvas1->height() - pic.height()) / 2;
    Canvas1->update();
}

} // namespace qlk

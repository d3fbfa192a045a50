#include "texenv/updmapchoicesWin.h"

#include "mainwindow/Window1.h"
#include "platform/Dialogs.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/MapCommands.h"
#include "texenv/TexEnv.h"
#include "texenv/UpdmapCfg.h"
#include "ui/SingleWindow.h"

#include <QEvent>

namespace qlk {

namespace {
const char* const kLW35[] = {"URW", "URWkb", "ADOBE", "ADOBEkb"};

// Entries 0 to 7 of one of the main window's option arrays.
QStringList firstEight(const QStringList& list)
{
    QStringList out;
    for (int i = 0; i < 8; ++i)
        out << list.value(i);
    return out;
}
} // namespace

updmapchoicesWin* updmapchoicesWin::instance()
{
    return singleWindow<updmapchoicesWin>();
}

updmapchoicesWin::updmapchoicesWin()
{
    setWindowTitle(QStringLiteral("Basic option choices for updmap.cfg"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setMinimumSize(64, 64);
    resize(570, 397);

    auto place = [](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(left, top, width, height);
    };
    const char* const boxTexts[] = {"dvipsPreferOutline (you should normally check this)",
                                    "dvipsDownloadBase35 (you should normally check this)",
                                    "pdftexDownloadBase14 (you should normally check this)",
                                    "dvipdfmDownloadBase14 (you should normally check this)",
                                    "pxdviUse (you should normally check this)"};
    const int boxTops[] = {14, 107, 137, 167, 196};
    for (int i = 0; i < 5; ++i) {
        CheckBox1[i] = new QCheckBox(QLatin1String(boxTexts[i]), this);
        place(CheckBox1[i], 13, boxTops[i], 543, 20);
        connect(CheckBox1[i], &QCheckBox::toggled, this, [this, i] { CheckBox1_Action(i); });
    }

    GroupBox1 = new QGroupBox(
        QStringLiteral("Basic 35 Laserwriter fonts (URWkb is normally safest as they are already in TeXLive)"),
        this);
    place(GroupBox1, 10, 46, 546, 49);
    lw35Group = new QButtonGroup(this);
    const char* const tips[] = {"URW with vendor names--eg, n0190641.pfb",
                                "URW with berry names---eg, uhvbo8ac.pfb",
                                "ADOBE with vendor names---eg, hvnbo___.pfb.pfb",
                                "ADOBE with berry names---eg, phvbo8an.pfb"};
    const int lefts[] = {21, 126, 222, 333};
    const int widths[] = {64, 77, 77, 99};
    for (int i = 0; i < 4; ++i) {
        RadioButton1[i] = new QRadioButton(QLatin1String(kLW35[i]), GroupBox1);
        // Positions are the window's; the group box starts at 10, 46.
        place(RadioButton1[i], lefts[i] - 10, 69 - 46, widths[i], 20);
        RadioButton1[i]->setToolTip(QLatin1String(tips[i]));
        lw35Group->addButton(RadioButton1[i], i);
        connect(RadioButton1[i], &QRadioButton::toggled, this, [this, i] { RadioButton1_Action(i); });
    }

    Label1 = new QLabel(
        QStringLiteral("KanjiEmbed (text string that will be substituted for @kanjiEmbed@ in map line)"), this);
    place(Label1, 23, 231, 507, 20);
    Label2 = new QLabel(
        QStringLiteral("KanjiVariant (text string that will be substituted for @kanjiVariant@ in map line)"),
        this);
    place(Label2, 23, 291, 507, 20);
    const int fieldTops[] = {258, 318};
    for (int j = 0; j < 2; ++j) {
        TextField1[j] = new QLineEdit(this);
        place(TextField1[j], 53, fieldTops[j], 225, 22);
        connect(TextField1[j], &QLineEdit::textChanged, this, [this, j] { TextField1_TextChange(j); });
    }

    PushButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    place(PushButton1, 375, 357, 80, 20);
    PushButton1->setAutoDefault(false);
    PushButton2 = new QPushButton(QStringLiteral("OK"), this);
    place(PushButton2, 464, 357, 80, 20);
    PushButton2->setDefault(true);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
}

void updmapchoicesWin::RadioButton1_Action(int)
{
    changed = true;
    touched[0] = true;
}

void updmapchoicesWin::CheckBox1_Action(int member)
{
    changed = true;
    if (member >= 0 && member < 5)
        touched[member + 1] = true;
}

void updmapchoicesWin::TextField1_TextChange(int member)
{
    changed = true;
    if (member >= 0 && member < 2)
        touched[member + 6] = true;
}

void updmapchoicesWin::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    Window1* main = Window1::instance();
    // The values the last scan read (or the defaults updmap reports where
    // no updmap.cfg sets one): OK compares against these.
    for (int i = 0; i < 8; ++i) {
        while (main->oldupdmapc.size() <= i)
            main->oldupdmapc << QString();
        main->oldupdmapc[i] = main->updmapc.value(i);
    }
    const QString lw35 = main->updmapc.value(0);
    lw35Group->setExclusive(false);
    for (int i = 0; i < 4; ++i)
        RadioButton1[i]->setChecked(false);
    lw35Group->setExclusive(true);
    for (int i = 0; i < 4; ++i) {
        if (lw35 == QLatin1String(kLW35[i])) {
            RadioButton1[i]->setChecked(true);
            break;
        }
    }
    for (int i = 0; i < 5; ++i)
        CheckBox1[i]->setChecked(main->updmapc.value(i + 1) == QLatin1String("true"));
    for (int j = 0; j < 2; ++j)
        TextField1[j]->setText(main->updmapc.value(j + 6));
    // Filling the controls raised their handlers; a fresh window is unchanged.
    changed = false;
    touched.fill(false);
}

void updmapchoicesWin::PushButton1_Action()
{
    close();
}

void updmapchoicesWin::PushButton2_Action()
{
    Window1* main = Window1::instance();
    // Only the options whose controls the user changed take the controls'
    // values; the others keep theirs, so one change does not rewrite them all.
    QStringList values = firstEight(main->updmapc);
    if (touched[0]) {
        for (int i = 0; i < 4; ++i) {
            if (RadioButton1[i]->isChecked()) {
                values[0] = QLatin1String(kLW35[i]);
                break;
            }
        }
    }
    for (int i = 0; i < 5; ++i) {
        if (touched[i + 1])
            values[i + 1] = CheckBox1[i]->isChecked() ? QStringLiteral("true") : QStringLiteral("false");
    }
    for (int j = 0; j < 2; ++j) {
        if (touched[j + 6])
            values[j + 6] = trimWhite(TextField1[j]->text());
    }
    QStringList names = firstEight(main->opts);
    if (names.contains(QString()))
        names = updmapOptionNames();
    for (int j = 6; j < 8; ++j) {
        if (touched[j] && !safeOptionValue(values.at(j))) {
            msgBox(QStringLiteral("The value for ") + names.at(j) +
                   QStringLiteral(" holds characters that cannot be used in a command line. Nothing was "
                                  "changed."));
            return;
        }
    }
    while (main->updmapc.size() < 8)
        main->updmapc << QString();
    for (int i = 0; i < 8; ++i)
        main->updmapc[i] = values.at(i);
    if (!changed) {
        close();
        return;
    }
    main->updmapcchanged = true;

    // Options the user did not change are compared with themselves, so
    // they get no --setoption line.
    QStringList old = firstEight(main->oldupdmapc);
    for (int i = 0; i < 8; ++i) {
        if (!touched[i])
            old[i] = values.at(i);
    }
    QStringList failures;
    if (personalInstall) {
        // The personal configuration is the user's own: updmap-user runs as
        // the user.
        const QString failed = runUserCommands(optionCommands(false, names, values, old));
        if (!failed.isEmpty() && lastShell.stopped)
            failures << QStringLiteral("Setting the options in your personal configuration was stopped. Left undone: ") +
                            lastShell.leftUndone;
        else if (!failed.isEmpty())
            failures << QStringLiteral("Setting the options in your personal configuration failed at: ") + failed;
    }
    if (isAdmin) {
        const int status = runAsRoot(optionCommands(true, names, values, old).join(tab));
        if (status != 0 && status != kRootCommandsStopped) // that one has said why
            failures << QStringLiteral("Setting the options in the system configuration failed: updmap-sys "
                                       "ended with exit status %1.")
                            .arg(status);
    }
    if (!failures.isEmpty())
        msgBox(failures.join(lf));
    close();
}

void updmapchoicesWin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Offscreen and some window managers never activate a window; its
    // first showing counts as its first activation.
    Event_Activate();
}

void updmapchoicesWin::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Event_Activate();
}

} // namespace qlk

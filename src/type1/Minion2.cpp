#include "services/DropCheck.h"
#include "type1/Minion2.h"

#include "fontinfo/ScratchFolder.h"
#include "mainwindow/ArchiveCheck.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "texenv/FinishInstall.h"
#include "texenv/TexEnv.h"
#include "type1/Downloads.h"
#include "type1/Minion2Pro.h"
#include "ui/FileDrop.h"
#include "ui/Pictures.h"
#include "ui/SingleWindow.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

namespace qlk {

namespace {

QString prog(const QString& name)
{
    return shellQuote(systemProgram(name));
}

} // namespace

Minion2* Minion2::instance() { return singleWindow<Minion2>(); }

Minion2::Minion2()
{
    setWindowTitle(QStringLiteral("Install Minion2Pro"));
    resize(396, 236);
    setAcceptDrops(true);

    Label1 = new QLabel(
        QStringLiteral("The object is to produce PostScript fonts zmnr.pfb, zmnri.pfb, zmnb.pfb and zmnbi.pfb "
                       "starting from recent versions of MinionPro*.otf. You are responsible for creating "
                       "MinionPro-Regular.pfa, MinionPro-Bold.pfa, MinionPro-It.pfa and MinionPro-BoldIt.pfa with "
                       "your own copy of FontForge, a web font converter, or\n"
                       "cfftot1 -a MinionPro-Regular.otf MinionPro-Regular.pfa\n"
                       "(lcdf-typetools). After you have the pfa fonts, drag the folder containing them onto this "
                       "window."),
        this);
    Label1->setGeometry(20, 14, 328, 149);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PushButton1 = new QPushButton(QStringLiteral("Show me how to make the pfa files"), this);
    PushButton1->setGeometry(20, 187, 261, 20);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
}

void Minion2::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Minion2::dropEvent(QDropEvent* event)
{
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    Event_DropObject(paths);
}

void Minion2::Event_DropObject(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    f = QDir::cleanPath(QFileInfo(paths.first()).absoluteFilePath());
    // First: a name that is not UTF-8 would pass for a missing folder.
    if (const QString problem = dropProblem({f}, DropRules{{QStringLiteral(".otf")}}); !problem.isEmpty()) {
        msgBox(problem);
        return;
    }
    if (!QFileInfo(f).isDir()) {
        msgBox(QStringLiteral("You cannot drop individual files---just a single folder"));
        return;
    }
    if (paths.size() > 1) {
        msgBox(QStringLiteral("You are permitted to drop only a single folder"));
        return;
    }
    InstallMinion2Pro();
}

void Minion2::PushButton1_Action()
{
    showWindow(Minion2ShowMe::instance());
}

namespace {

// The work folder of one run, removed with everything in it when the run
// ends, whichever way: no run sees what an earlier one left.
class RunFolder {
public:
    RunFolder()
    {
        QDir().mkpath(documentsFolder());
        path_ = makeScratchFolder(documentsFolder());
    }
    ~RunFolder()
    {
        if (!path_.isEmpty())
            removeScratchFolder(path_);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    const QString& path() const { return path_; }

private:
    QString path_;
};

} // namespace

void Minion2::InstallMinion2Pro()
{
    const QString D = f;
    // The four fonts must be there, or the script makes empty ones.
    for (const QString& source : minion2Sources()) {
        if (!QFileInfo(D + QLatin1Char('/') + source).isFile()) {
            msgBox(QStringLiteral("Cannot find ") + source + QStringLiteral(" in ") + D +
                   QStringLiteral(". Nothing was installed."));
            return;
        }
    }

    // The work happens in a folder of the program's own: the user's folder
    // only gives the four fonts, and only what this run made and fetched
    // is installed.
    const RunFolder run;
    const QString W = run.path();
    if (W.isEmpty()) {
        msgBox(QStringLiteral("Could not make a work folder in ") + documentsFolder());
        return;
    }
    for (const QString& source : minion2Sources()) {
        const QString problem = copyRegularFile(D + QLatin1Char('/') + source, W + QLatin1Char('/') + source);
        if (!problem.isEmpty()) {
            msgBox(QStringLiteral("Could not copy ") + D + QLatin1Char('/') + source + QStringLiteral(" to ") + W +
                   QStringLiteral(": ") + problem + QStringLiteral(". Nothing was installed."));
            return;
        }
    }

    // 1-2. The zmn fonts.
    QFile script(W + QStringLiteral("/createzmn"));
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        msgBox(QStringLiteral("Could not write ") + script.fileName());
        return;
    }
    script.write(createzmnScript().toUtf8());
    script.close();
    // The script goes on after a failed line and ends with the status of
    // its last one, so each font it made is checked on its own: t1binary
    // leaves a few bytes of header when the pfa is not a font.
    runShellQuiet(inFolder(W) + prog(QStringLiteral("chmod")) + QStringLiteral(" 755 createzmn && ./createzmn"));
    const LastShell ran = lastShell;
    const QString damaged = minion2FontProblems(W, D);
    if (!damaged.isEmpty()) {
        msgBox(damaged);
        return;
    }
    if (ran.errorCode != 0) {
        const QString why = trimWhite(ran.errorOutput).section(QLatin1Char('\n'), 0, 0);
        msgBox(QStringLiteral("createzmn failed (exit status ") + QString::number(ran.errorCode) +
               QStringLiteral(")") + (why.isEmpty() ? QString() : QStringLiteral(": ") + why) +
               QStringLiteral(". Nothing was downloaded or installed."));
        return;
    }

    // 3-5. The support package, fetched beside the work tree and unpacked
    // in it once its entries are known to stay inside and to fit.
    const QString A = QLatin1String(kMinion2Archive);
    const QString tree = W + QStringLiteral("/texmf");
    runShell(inFolder(W) + prog(QStringLiteral("mkdir")) + QStringLiteral(" -p texmf"));
    runShell(curlCommand(W, A, minion2ArchiveUrl()));
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("curl failure downloading ") + A);
        return;
    }
    const ZipVerdict verdict = checkZip(W + QLatin1Char('/') + A, tree);
    if (!verdict.readable) {
        msgBox(QStringLiteral("Zip file failure") + A + QStringLiteral(": ") + verdict.error);
        return;
    }
    if (!verdict.ok()) {
        msgBox(zipVerdictMessage(A, verdict));
        return;
    }
    // The unpack's own failure shows its report, as runShell does.
    const UnpackResult unpacked =
        unpackWithinLimits(W + QLatin1Char('/') + A, ArchiveKind::Zip, tree, verdict.unpackedBytes, true);
    if (!unpacked.refusal.isEmpty()) {
        msgBox(QStringLiteral("The archive ") + A + QStringLiteral(" was not unpacked. ") + unpacked.refusal);
        return;
    }
    if (!unpacked.ok) {
        msgBox(QStringLiteral("Zip file failure") + A);
        return;
    }

    // 6. The fonts into the tree.
    runShell(inFolder(W) + prog(QStringLiteral("mkdir")) + QStringLiteral(" -p texmf/fonts/type1/adobe/minion2 && ") +
             prog(QStringLiteral("cp")) + QStringLiteral(" -fp ./*.pfb texmf/fonts/type1/adobe/minion2"));
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("Could not copy the fonts into ") + tree + QStringLiteral(". Nothing was installed."));
        return;
    }

    // 7. The tree into TEXMFLOCAL or TEXMFHOME.
    const int method = prefMethod();
    if (const int status = copyTreeIntoTexmf(tree, method)) {
        msgBox(method == 1 ? QStringLiteral("Copying the fonts into ") + texmfLocal +
                                 QStringLiteral(" failed (exit status ") + QString::number(status) + QStringLiteral(").")
                           : QStringLiteral("Copying the fonts into ") + texmfHome + QStringLiteral(" failed."));
        return;
    }

    // 8. zmn.map enabled.
    hasType1 = true;
    hasMF = false;
    hasTTF = false;
    hasMaps = true;
    tdsMaps = QStringList{QStringLiteral("zmn.map")};
    finishInstall(method);
}

Minion2ShowMe* Minion2ShowMe::instance() { return singleWindow<Minion2ShowMe>(); }

Minion2ShowMe::Minion2ShowMe()
{
    setWindowTitle(QStringLiteral("Making MinionPro pfa fonts"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(831, 642);

    Label1 = new QLabel(
        QStringLiteral("Open a web font converter in your browser and select pfa as the output format. The browser "
                       "window should look like the picture below. One by one, submit each of your MinionPro*.otf "
                       "files. (The site may not respond at busy hours in the UK.) The converted files will be "
                       "returned in your Downloads folder with extensions changed to pfa. Move them into a new "
                       "empty folder.  When finished, press Done and continue to the next step. (Where "
                       "lcdf-typetools is installed, cfftot1 -a makes the pfa files too.)"),
        this);
    Label1->setGeometry(20, 20, 791, 77);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Canvas1 = new QLabel(this);
    Canvas1->setGeometry(20, 109, 797, 483);
    Canvas1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Canvas1->setPixmap(screenshot_52());
    PushButton1 = new QPushButton(QStringLiteral("Done"), this);
    PushButton1->setGeometry(729, 604, 80, 20);
    PushButton1->setDefault(true);
    connect(PushButton1, &QPushButton::clicked, this, &QWidget::close);
}

} // namespace qlk

// Hostile drops on every window that takes files: font names that a shell
// or a TeX program would run or read as options, and items that are no
// regular files. Each is refused at once, by name, with nothing written.
#include "OtfFixture.h"
#include "afm2tfm/afm2tfmWin.h"
#include "fontinfo/DVIwindow.h"
#include "fontinfo/ToBerryWin.h"
#include "fontinfo/lcdftoolsWindow.h"
#include "mathalpha/MathAlphabetWin.h"
#include "mathtime/MathtimeWin.h"
#include "opentype/autoinst/autoinstWindow.h"
#include "opentype/otfinst/otfinstWindow.h"
#include "platform/BundleScripts.h"
#include "platform/Desktop.h"
#include "prefs/PrefsStore.h"
#include "services/Privileged.h"
#include "type1/FontInstWindow.h"
#include "type1/Minion2.h"

#include <QDirIterator>
#include <QPointer>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

using namespace qlk;
using namespace qlk::test;

namespace {

class HostileDropTest : public OtfFixture {
protected:
    void SetUp() override
    {
        // The real program folder: otfinst.py and the math windows' pictures.
        OtfFixture::SetUp();
        setpref("sudo", qint32(0));
        setpref("method", qint32(0));
        isAdmin = false;
        personalInstall = true;
        setDesktopRecorder([](const QString&, const QString&) {});
        // Whatever reaches a terminal runs at once, so that a command built
        // from a hostile name would really run.
        setBundleScriptRunner([this](const QString&, const QStringList& args) {
            handed << args.value(0);
            const ProcessResult r = runBash(stripSudo(args.value(0)), 300000);
            return ScriptResult{r.exitCode, r.output};
        });
        // A reader that opened a FIFO would wait for ever: the alarm ends
        // the test at once.
        alarm(240);
    }
    void TearDown() override
    {
        alarm(0);
        for (QWidget* window : QApplication::topLevelWidgets())
            window->close();
        setBundleScriptRunner(nullptr);
        OtfFixture::TearDown();
    }

    // Every file named "pwned" below the test's root and the working folder.
    QStringList canaries() const
    {
        QStringList found;
        for (const QString& top : {env.root(), QDir::currentPath()}) {
            QDirIterator it(top, {"pwned"}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext())
                found << it.next();
        }
        return found;
    }
    // A new folder holding copies of TeX Live files, each as "new=old" or
    // under its own name.
    QString folderWith(const QString& name, const QStringList& files)
    {
        const QString dir = env.root() + "/" + name;
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        for (const QString& entry : files) {
            const QString to = entry.section('=', 0, 0);
            const QString from = entry.contains('=') ? entry.section('=', 1) : entry;
            EXPECT_TRUE(QFile::copy(texFile(from), dir + "/" + to)) << to.toStdString();
        }
        return dir;
    }

    QStringList handed;
};

// One window that takes files: the font it is given (a TeX Live file and
// the ending it goes by), what else the folder needs, and the drop with the
// step that would run the font's name through a program.
struct Road {
    const char* name;
    const char* font;
    const char* ending;
    QStringList companions;
    std::function<void(const QString& folder, const QString& file)> dropAndGo;
};

QList<Road> roads()
{
    return {
        {"autoinst", "texgyrepagella-regular.otf", ".otf", {},
         [](const QString& folder, const QString&) {
             autoinstWindow* w = autoinstWindow::instance();
             w->show();
             w->Listbox1_DropObject({folder});
             w->PushButton1_Action();
         }},
        {"otfinst", "texgyrepagella-regular.otf", ".otf", {},
         [](const QString& folder, const QString&) {
             otfinstWindow* w = otfinstWindow::instance();
             w->show();
             w->Listbox1_DropObject({folder});
             w->PushButton4_Action();
         }},
        {"afm2tfm", "uzcmi8a.afm", ".afm", {},
         [](const QString& folder, const QString&) {
             afm2tfmWin* w = afm2tfmWin::instance();
             w->show();
             w->Listbox1_DropObject({folder});
             if (w->PushButton2->isEnabled())
                 w->prepare();
         }},
        {"fontinst", "uplr8a.pfb", ".pfb", {"uplr8a.afm"},
         [](const QString& folder, const QString&) {
             FontInstWindow* w = FontInstWindow::instance();
             w->show();
             w->Listbox1_DropObject({folder});
             w->process();
         }},
        {"Minion2", "texgyrepagella-regular.otf", ".otf", {},
         [](const QString& folder, const QString&) { Minion2::instance()->Event_DropObject({folder}); }},
        {"Otf Info", "texgyrepagella-regular.otf", ".otf", {},
         [](const QString&, const QString& file) {
             lcdftoolsWindow* w = lcdftoolsWindow::instance();
             w->show();
             w->Listbox1_DropObject({file});
         }},
    };
}

} // namespace

TEST_F(HostileDropTest, FontNamesAShellWouldRunOrAProgramTakeAsAnOptionAreRefusedByName)
{
    const char* hostile[] = {"$(touch pwned)", "`touch pwned`", "-rf", "--help"};
    for (const Road& road : roads()) {
        for (const char* stem : hostile) {
            const QString name = QString::fromUtf8(stem) + road.ending;
            SCOPED_TRACE(std::string(road.name) + " " + name.toStdString());
            env.dialogs.messages.clear();
            QStringList files = road.companions;
            files << name + "=" + road.font;
            const QString folder = folderWith(QString("drop-") + road.name, files);
            const auto before = snapshot(env.root());

            road.dropAndGo(folder, folder + "/" + name);

            ASSERT_FALSE(env.dialogs.messages.isEmpty());
            const QString refusal = env.dialogs.messages.first();
            EXPECT_TRUE(refusal.startsWith("These file names cannot be handed safely to the TeX programs"))
                << refusal.toStdString();
            EXPECT_TRUE(refusal.contains(name + "\n")) << refusal.toStdString();
            EXPECT_EQ(canaries(), QStringList());
            EXPECT_EQ(snapshot(env.root()), before) << "nothing written";
            EXPECT_TRUE(handed.isEmpty()) << handed.join('\n').toStdString();
            for (QWidget* window : QApplication::topLevelWidgets())
                window->close();
            QApplication::processEvents();
        }
    }
}

namespace {
// Every window that takes a drop: the ending of the font it takes and
// whether it takes a folder or one file.
struct DropTarget {
    const char* name;
    const char* ending;
    bool folder; // the window takes a folder, else one file
    std::function<void(const QString& path)> drop;
};

QList<DropTarget> dropTargets()
{
    return {
        {"autoinst", ".otf", true, [](const QString& p) { autoinstWindow::instance()->Listbox1_DropObject({p}); }},
        {"otfinst", ".otf", true, [](const QString& p) { otfinstWindow::instance()->Listbox1_DropObject({p}); }},
        {"afm2tfm", ".pfb", true, [](const QString& p) { afm2tfmWin::instance()->Listbox1_DropObject({p}); }},
        {"fontinst", ".pfb", true, [](const QString& p) { FontInstWindow::instance()->Listbox1_DropObject({p}); }},
        {"Minion2", ".otf", true, [](const QString& p) { Minion2::instance()->Event_DropObject({p}); }},
        {"math alphabet", ".tfm", true,
         [](const QString& p) { MathAlphabetWin::instance()->Listbox2_DropObject({p}); }},
        {"MathTime", ".tfm", true, [](const QString& p) { MathtimeWin::instance()->dropItems({p}); }},
        {"Berry names", ".pfb", true, [](const QString& p) { ToBerryWin::instance()->Listbox1_DropObject({p}); }},
        {"Otf Info", ".otf", false, [](const QString& p) { lcdftoolsWindow::instance()->Listbox1_DropObject({p}); }},
        {"Examine DVI", ".dvi", false, [](const QString& p) { DVIwindow::instance()->Listbox1_DropObject({p}); }},
    };
}
} // namespace

TEST_F(HostileDropTest, FifosAndDeviceLinksAreRefusedAtOnceOnEveryWindow)
{
    using Case = DropTarget;
    const QList<Case> cases = dropTargets();
    for (const Case& c : cases) {
        for (const bool fifo : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (fifo ? " FIFO" : " /dev/zero"));
            env.dialogs.messages.clear();
            const QString folder = env.root() + "/odd-" + c.name;
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
            if (c.folder)
                env.writeFile(QString("odd-") + c.name + "/settings", "");
            // The snapshots read every file: they are taken without the odd one.
            const auto before = snapshot(env.root());
            const QString item = folder + "/odd" + c.ending;
            if (fifo)
                ASSERT_EQ(mkfifo(QFile::encodeName(item).constData(), 0600), 0);
            else
                ASSERT_TRUE(QFile::link("/dev/zero", item));

            c.drop(c.folder ? folder : item);

            // A window may have said something of its own when it opened
            // (MathTime misses its package here).
            const QStringList refusals = env.dialogs.messages.filter(QRegularExpression("^These items are not regular files"));
            ASSERT_EQ(refusals.size(), 1) << env.dialogs.messages.join('\n').toStdString();
            const QString refusal = refusals.first();
            EXPECT_TRUE(refusal.contains("odd" + QString(c.ending))) << refusal.toStdString();
            EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(),
                      c.folder ? 2 : 1)
                << "nothing written beside it";
            ASSERT_TRUE(QFile::remove(item));
            EXPECT_EQ(snapshot(env.root()), before);
            for (QWidget* window : QApplication::topLevelWidgets())
                window->close();
            QApplication::processEvents();
        }
    }
}

TEST_F(HostileDropTest, AutoinstLooksAgainBeforeItsGlobTakesTheFolder)
{
    autoinstWindow* w = autoinstWindow::instance();
    w->show();
    const QString folder = folderWith("pagella", {"texgyrepagella-regular.otf"});
    w->Listbox1_DropObject({folder});
    ASSERT_TRUE(w->PushButton1->isEnabled());
    ASSERT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
    // A font arrives after the drop, under a name that runs a command.
    ASSERT_TRUE(QFile::copy(texFile("texgyrepagella-regular.otf"), folder + "/$(touch pwned).otf"));
    w->PushButton1_Action();
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().contains("pagella/$(touch pwned).otf"));
    EXPECT_TRUE(handed.isEmpty()) << handed.join('\n').toStdString();
    EXPECT_EQ(canaries(), QStringList());
    EXPECT_FALSE(QFileInfo::exists(folder + "/texmf"));
}

// Names that are not UTF-8, which Qt's listings pass over: in a dropped
// folder, and the dropped item itself (its path as Qt makes it from the
// dropped URL, which names nothing). Each window names them, and nothing
// is written.
TEST_F(HostileDropTest, NamesThatAreNotUtf8AreRefusedByNameOnEveryWindow)
{
    const QString bad(QChar::ReplacementCharacter);
    for (const DropTarget& t : dropTargets()) {
        for (const bool itself : {false, true}) {
            if (!itself && !t.folder)
                continue; // a window that takes one file lists no folder
            SCOPED_TRACE(std::string(t.name) + (itself ? ": the dropped item" : ": a file in the folder"));
            env.dialogs.messages.clear();
            const QString base = env.root() + "/enc-" + t.name;
            QDir(base).removeRecursively();
            QString path, named;
            if (!itself) {
                // fonts/x\xff<ending>
                path = env.writeFile("enc-" + QString(t.name) + "/fonts/settings", "").section('/', 0, -2);
                const QByteArray file = QFile::encodeName(path) + "/x\xff" + t.ending;
                ASSERT_EQ(::close(::open(file.constData(), O_WRONLY | O_CREAT, 0600)), 0);
                named = "fonts/x" + bad + t.ending + "\n";
            } else {
                // caf\xe9 (a folder holding a file) or caf\xe9<ending>
                QDir().mkpath(base);
                const QByteArray raw = QFile::encodeName(base) + "/caf\xe9" + (t.folder ? "" : t.ending);
                if (t.folder) {
                    ASSERT_EQ(::mkdir(raw.constData(), 0700), 0);
                    ASSERT_EQ(::close(::open((raw + "/settings").constData(), O_WRONLY | O_CREAT, 0600)), 0);
                } else {
                    ASSERT_EQ(::close(::open(raw.constData(), O_WRONLY | O_CREAT, 0600)), 0);
                }
                path = QUrl::fromEncoded("file://" + QUrl::toPercentEncoding(base, "/") + "/caf%E9" +
                                         (t.folder ? QByteArray() : QByteArray(t.ending)))
                           .toLocalFile();
                named = "\n" + base + "/caf" + bad + (t.folder ? "" : t.ending);
            }
            const auto before = snapshot(env.root());

            t.drop(path);

            const QStringList refusals =
                env.dialogs.messages.filter(QRegularExpression("^These names are not valid UTF-8"));
            ASSERT_EQ(refusals.size(), 1) << env.dialogs.messages.join('\n').toStdString();
            EXPECT_TRUE(refusals.first().contains(named)) << refusals.first().toStdString();
            EXPECT_EQ(snapshot(env.root()), before) << "nothing written";
            for (QWidget* window : QApplication::topLevelWidgets())
                window->close();
            QApplication::processEvents();
        }
    }
}

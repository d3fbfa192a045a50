#include "mainwindow/Window1.h"
#include "mainwindow/WindowFixture.h"

#include "services/FileHelpers.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "support/TestEnv.h"
#include "texenv/DeprecatedWin.h"
#include "texenv/Init.h"
#include "texenv/PersonalTrees.h"
#include "texenv/ScanParse.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

// A small font-name database with the four tables, beside a stand-in
// application folder.
void makeFontDB(test::TestEnv& env)
{
    const QString app = env.root() + "/app";
    QDir().mkpath(app);
    setAppFolderForTesting(app);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((app + "/TeXFonts.db").toUtf8().constData(), &db), SQLITE_OK);
    const char* sql =
        "CREATE TABLE Suppliers (SupplierID TEXT, SupplierShortName TEXT);"
        "CREATE TABLE Typefaces (TFID TEXT, TFShortName TEXT);"
        "CREATE TABLE FontFiles (FilBerryName TEXT, FilPSName TEXT, FilFName TEXT, FilID TEXT, FilSupplier TEXT);"
        "CREATE TABLE Variants (VID TEXT, VNames TEXT);"
        "INSERT INTO Suppliers VALUES ('p', 'adobe');";
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

QString logText(const test::TestEnv& env)
{
    closeLog();
    return readTextFile(env.home() + "/QLKlogfile.txt");
}

// What the real kpsewhich says about a variable in this test's environment.
QString kpseVar(const QString& name)
{
    return runProgram(texProgram("kpsewhich"), {"-var-value=" + name}).output.trimmed();
}

// Collects the error reports of failed commands.
struct FailureRecorder {
    QStringList reports;
    FailureRecorder()
    {
        uiHooks().showCommandFailure = [this](const QString& r) { reports << r; };
    }
};

// Indexes of `needles` in `text`, each searched after the previous one; -1
// for one not found in that order.
QList<int> inOrder(const QString& text, const QStringList& needles)
{
    QList<int> at;
    int from = 0;
    for (const QString& n : needles) {
        const int i = int(text.indexOf(n, from));
        at << i;
        if (i >= 0)
            from = i + int(n.size());
    }
    return at;
}

} // namespace

TEST(InitRealTexLive, StartsWithoutQuitAndLogsInOrder)
{
    test::TestEnv env(false);
    makeFontDB(env);
    FailureRecorder failures;
    Window1* w = test::freshWindow();
    init();
    EXPECT_EQ(env.takeQuits(), 0);
    EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << env.dialogs.transcript.join("\n").toStdString();
    EXPECT_TRUE(failures.reports.isEmpty()) << failures.reports.join("\n").toStdString();

    const QString log = logText(env);
    static const QRegularExpression start(
        QStringLiteral("^\nStarting Quillmark2013 at \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\n"));
    EXPECT_TRUE(start.match(log).hasMatch()) << log.toStdString();
    const QList<int> at = inOrder(log, {"Starting Quillmark2013 at ", "updmap.cfg found at: ",
                                        "In init: updmap1 (sys) has ", "In readupdmap: updmap1 has ",
                                        "Found all distribution map files", "Finished Setupwin"});
    for (int i : at)
        EXPECT_GE(i, 0) << log.toStdString();

    // The preferences file holds the defaults and what the main window added.
    resetPrefsForTesting();
    for (const char* key : {"method", "sudo", "AdobeAFMLink", "useFontsite", "otftotfm", "sourcemaps",
                            "PathToTFM", "editor", "app_vers", "ignoreupdmap"})
        EXPECT_TRUE(haspref(QLatin1String(key))) << key;

    EXPECT_EQ(texYear, QStringLiteral("2022"));
    EXPECT_EQ(texmfHome, kpseVar("TEXMFHOME"));
    EXPECT_EQ(texmfHome, env.texmfHome());
    EXPECT_EQ(texmfVar, kpseVar("TEXMFVAR"));
    EXPECT_EQ(texmfConfig, kpseVar("TEXMFCONFIG"));
    EXPECT_EQ(texmfLocal, kpseVar("TEXMFLOCAL"));
    EXPECT_EQ(texmfDist, kpseVar("TEXMFDIST"));
    EXPECT_EQ(texmfSysVar, kpseVar("TEXMFSYSVAR"));
    EXPECT_EQ(texmfSysConfig, kpseVar("TEXMFSYSCONFIG"));

    // Every tree of the search path, each with its own name; a tree with
    // no role name (Debian's /usr/share/texmf) is shown without one.
    const QStringList trees = parseTexmfPath(kpseVar("TEXMF"));
    ASSERT_EQ(w->Listbox2->rowCount(), trees.size());
    QStringList names;
    for (int i = 0; i < trees.size(); ++i) {
        EXPECT_EQ(w->Listbox2->cell(i, 0), trees.at(i));
        const QString name = w->Listbox2->cell(i, 1);
        if (!name.isEmpty()) {
            EXPECT_EQ(kpseVar(name), trees.at(i));
        }
        names << name;
    }
    for (const QString& var : texmfVarNames)
        EXPECT_TRUE(names.contains(var)) << var.toStdString();
    if (int i = int(trees.indexOf("/usr/share/texmf")); i >= 0) {
        EXPECT_EQ(names.at(i), QString());
    }

    // The personal trees exist now, TEXMFHOME with its skeleton.
    for (const char* sub : {"tex/latex", "tex/generic", "web2c", "pdftex", "doc", "fonts/enc", "fonts/dvips",
                            "fonts/map/dvips", "fonts/type1", "fonts/truetype", "fonts/tfm", "fonts/afm",
                            "fonts/vf"})
        EXPECT_TRUE(QFileInfo(texmfHome + "/" + sub).isDir()) << sub;
    EXPECT_TRUE(QFileInfo(texmfVar + "/fonts/map/dvips").isDir());
    EXPECT_TRUE(QFileInfo(texmfConfig + "/web2c").isDir());

    // The pdftex.map in use is the system one updmap-sys made.
    const QString active = runProgram(texProgram("kpsewhich"), {"pdftex.map"}).output.trimmed();
    ASSERT_GE(w->Listbox1[0]->rowCount(), 1);
    EXPECT_EQ(w->Listbox1[0]->cell(0, 0), QStringLiteral("[M0]"));
    EXPECT_EQ(w->Listbox1[0]->cell(0, 1), pdftexMapRoot(active));
    EXPECT_TRUE(w->StaticText8->text().contains("system tree.")) << w->StaticText8->text().toStdString();
    EXPECT_EQ(w->StaticText10->text(), QStringLiteral("2022"));
    EXPECT_EQ(w->Listbox1[2]->rowCount(), updmapSys.size());
    EXPECT_EQ(w->Listbox1[2]->cell(0, 0), QStringLiteral("[S0]"));
    EXPECT_EQ(w->Listbox1[1]->rowCount(), 0);
    // Option values no updmap.cfg sets come from updmap: a default
    // installation raises no warning.
    EXPECT_EQ(w->updmapc.at(0), QStringLiteral("URWkb"));
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(w->updmapc.at(i), QStringLiteral("true"));
    EXPECT_EQ(w->RadioButton2[1]->toolTip(), texmfHome);
    EXPECT_EQ(w->RadioButton2[3]->toolTip(), texmfVar);
}

TEST(InitRealTexLive, RefreshFillsTheDisplayOnce)
{
    test::TestEnv env(false);
    makeFontDB(env);
    env.writeFile("texmf-local/fonts/map/dvips/x/local.map", "");
    Window1* w = test::freshWindow();
    init();
    const int trees = w->Listbox2->rowCount();
    const int copies = w->Listbox1[0]->rowCount();
    w->Clearitems();
    EXPECT_EQ(w->Listbox2->rowCount(), 0);
    EXPECT_EQ(w->Listbox4->rowCount(), 0);
    EXPECT_TRUE(w->StaticText20->text().isEmpty());
    init();
    EXPECT_EQ(env.takeQuits(), 0);
    EXPECT_EQ(w->Listbox2->rowCount(), trees);
    EXPECT_EQ(w->Listbox1[0]->rowCount(), copies);
    EXPECT_EQ(w->Listbox4->rowCount(), 1);
    EXPECT_EQ(w->StaticText20->text().count("[M0]"), 1);
    EXPECT_EQ(logText(env).count("Finished Setupwin"), 2);
}

TEST(InitRealTexLive, PersonalUpdmapCfgIsListedComparedAndChecked)
{
    test::TestEnv env(false);
    makeFontDB(env);
    const QString cfg = env.writeFile("home/.texlive2022/texmf-config/web2c/updmap.cfg",
                                      "LW35 URW\n#! MixedMap cm.map\nMap mine.map\n");
    env.dialogs.answers = {true}; // stop checking the options
    Window1* w = test::freshWindow();
    init();
    EXPECT_EQ(env.takeQuits(), 0);
    EXPECT_EQ(updmapHome, QStringList{cfg});
    EXPECT_EQ(w->Listbox1[1]->rowCount(), 1);
    EXPECT_EQ(w->Listbox1[1]->cell(0, 0), QStringLiteral("[P0]"));
    EXPECT_EQ(w->Listbox1[1]->cell(0, 1), cfg);
    EXPECT_EQ(w->TextArea1->toPlainText(), QStringLiteral("cm.map"));
    EXPECT_EQ(w->TextArea2->toPlainText(), QStringLiteral("mine.map"));
    EXPECT_EQ(w->updmapc.at(0), QStringLiteral("URW"));
    // updmap-user of this TeX Live keeps the file there by design: no advice.
    EXPECT_EQ(env.dialogs.transcript,
              (QStringList{"message: WARNING: Your setting for LW35 in updmap.cfg may not be optimal. Usually "
                           "URWkb is preferred.",
                           "question: Press Yes to avoid checking the updmap.cfg options in future"}));
    EXPECT_EQ(prefInt("ignoreupdmap"), 1);

    // The next refresh no longer checks the options and still gives no advice.
    env.dialogs.transcript.clear();
    w->Clearitems();
    init();
    EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << env.dialogs.transcript.join('\n').toStdString();
}

// The same personal updmap.cfg under a TeX that reports an older year (its
// kpsewhich answers SELFAUTOPARENT for a 2016 tree, everything else as the
// real one does): the file is advised to be a link, a linked one is not.
TEST(InitRealTexLive, SymlinkAdviceOnlyForATexBefore2017)
{
    struct Case {
        const char* year;
        bool linked;
        QStringList advice;
    };
    const QString advice = "message: You have an updmap.cfg in TEXMFCONFIG---it would be better to symlink this";
    const QList<Case> cases{{"2016", false, {advice}}, {"2016", true, {}}, {"2017", false, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.year) + (c.linked ? " linked" : ""));
        test::TestEnv env(false);
        makeFontDB(env);
        setpref("ignoreupdmap", qint32(1));
        const QString text = "Map mine.map\n";
        const QString cfgPath = env.home() + "/.texlive2022/texmf-config/web2c/updmap.cfg";
        if (c.linked) {
            QDir().mkpath(QFileInfo(cfgPath).path());
            QFile::link(env.writeFile("elsewhere/updmap.cfg", text.toUtf8()), cfgPath);
        } else {
            env.writeFile("home/.texlive2022/texmf-config/web2c/updmap.cfg", text.toUtf8());
        }
        // The one -expand-var query's first line is SELFAUTOPARENT.
        env.writeScript("old bin/kpsewhich", QStringLiteral("case \"$1\" in\n"
                                                           "  -expand-var=*) /usr/bin/kpsewhich \"$@\" | "
                                                           "{ read -r first; echo /usr/local/texlive/%1; cat; };;\n"
                                                           "  *) exec /usr/bin/kpsewhich \"$@\";;\n"
                                                           "esac\n")
                                                .arg(c.year));
        for (const char* program : {"tex", "mktexlsr", "updmap-user", "updmap-sys", "pdftex", "pdflatex"})
            QFile::link(QStringLiteral("/usr/bin/") + program, env.root() + "/old bin/" + program);
        setTexbinForTesting(env.root() + "/old bin");
        test::freshWindow();
        init();
        setTexbinForTesting(QString());
        EXPECT_EQ(env.takeQuits(), 0);
        EXPECT_EQ(texYear, QString::fromLatin1(c.year));
        EXPECT_EQ(env.dialogs.transcript, c.advice);
    }
}

TEST(InitRealTexLive, FontMapListsAlertsAndDeprecatedFolders)
{
    test::TestEnv env(false);
    makeFontDB(env);
    const QString local = env.writeFile("texmf-local/fonts/map/dvips/mine/mine.map", "");
    const QString localCm = env.writeFile("texmf-local/fonts/map/dvips/mine/cm.map", "");
    const QString personal = env.writeFile("home/texmf/fonts/map/dvips/mine.map", "");
    env.writeFile("home/texmf/fonts/map/dvips/updmap/skipped.map", "");
    const QString impermanent = env.writeFile("home/.texlive2022/texmf-var/fonts/map/dvips/tmp.map", "");
    // Only TEXMFHOME has the deprecated folder; the others are missing.
    const QString old = env.writeFile("home/texmf/dvips/old.map", "");
    QStringList deprecatedRows;
    env.dialogs.onModal = [&](QDialog* d) {
        auto* win = qobject_cast<DeprecatedWin*>(d);
        if (win) {
            for (int i = 0; i < win->Listbox3->count(); ++i)
                deprecatedRows << win->Listbox3->item(i)->text();
        }
        return 0;
    };
    Window1* w = test::freshWindow();
    init();
    EXPECT_EQ(env.takeQuits(), 0);
    EXPECT_EQ(deprecatedRows, QStringList{old});
    ASSERT_EQ(w->Listbox4->rowCount(), 2);
    EXPECT_EQ(w->Listbox5->rowCount(), 1);
    EXPECT_EQ(w->Listbox5->cell(0, 0), personal);
    EXPECT_EQ(w->Listbox6->rowCount(), 1);
    EXPECT_EQ(w->Listbox6->cell(0, 0), impermanent);
    const QString distCm = "/usr/share/texlive/texmf-dist/fonts/map/dvips/amsfonts/cm.map";
    QStringList expected;
    if (QFile::exists(distCm))
        expected << "message: Alert!! Found competing .map files: \n" + localCm + "\n" + distCm;
    expected << "message: Alert!! Found competing .map files: \n" + personal + "\n" + local;
    QStringList alerts;
    for (const QString& t : env.dialogs.transcript) {
        if (t.startsWith("message: Alert!!"))
            alerts << t;
    }
    EXPECT_EQ(alerts, expected);
    EXPECT_EQ(mapDict.value("mine.map"), personal);
    EXPECT_TRUE(env.dialogs.transcript.contains("modal"));
}

// A kill during an Install left hidden copies in the personal tree: the
// start-up clears them (an installed copy set aside goes back) before the
// map inventory, which then has no competing map to report.
TEST(InitRealTexLive, AnInterruptedInstallIsClearedAtStartUp)
{
    test::TestEnv env(false);
    makeFontDB(env);
    const QString map = env.writeFile("home/texmf/fonts/map/dvips/STIX/STIX.map", "installed");
    const QString copy = env.writeFile("home/texmf/fonts/map/dvips/.STIX.qlk-new/STIX.map", "new");
    env.writeFile("home/texmf/tex/latex/.STIX.qlk-old/STIX.sty", "installed");
    env.writeFile("home/texmf/tex/latex/.STIX.qlk-new/STIX.sty", "new");
    Window1* w = test::freshWindow();
    init();
    EXPECT_EQ(env.takeQuits(), 0);
    for (const QString& t : env.dialogs.transcript)
        EXPECT_FALSE(t.contains("Alert!!")) << t.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(copy).path()));
    EXPECT_FALSE(QFileInfo::exists(env.texmfHome() + "/tex/latex/.STIX.qlk-new"));
    EXPECT_EQ(readTextFile(env.texmfHome() + "/tex/latex/STIX/STIX.sty"), QStringLiteral("installed"));
    EXPECT_EQ(readTextFile(map), QStringLiteral("installed"));
    ASSERT_EQ(w->Listbox5->rowCount(), 1);
    EXPECT_EQ(w->Listbox5->cell(0, 0), map);
    const QString log = logText(env);
    EXPECT_TRUE(log.contains("Removed " + QFileInfo(copy).path() + ", left by an interrupted install\n"))
        << log.toStdString();
    EXPECT_TRUE(log.contains("Put back " + env.texmfHome() + "/tex/latex/STIX, left aside by an interrupted install\n"));
}

TEST(InitRealTexLive, FatalChecksQuitBeforeTheWindowIsFilled)
{
    struct Case {
        const char* name;
        std::function<void(test::TestEnv&)> prepare;
        QString message;   // shown, when not empty
        QString logged;    // in the log, when not empty
    };
    const QList<Case> cases = {
        {"no database", [](test::TestEnv& env) { setAppFolderForTesting(env.root() + "/elsewhere"); },
         "Database file 'TeXFonts.db' not available.\nFile may have been moved from application folder.",
         "Database file 'TeXFonts.db' not available.\nFile may have been moved from application folder."},
        {"database is no database",
         [](test::TestEnv& env) {
             setAppFolderForTesting(env.root() + "/bad");
             env.writeFile("bad/TeXFonts.db", "not a database");
         },
         "Cannot connect to 'TeXFonts.db'. Must quit.", "Cannot connect to 'TeXFonts.db'. Must quit."},
        {"file in place of TEXMFHOME", [](test::TestEnv& env) { env.writeFile("home/texmf", "x"); },
         "", "Bailing out! You have a file named texmf in "},
        {"file in place of TEXMFVAR",
         [](test::TestEnv& env) { env.writeFile("home/.texlive2022/texmf-var", "x"); },
         "The name '", ""},
        {"updmap-local.cfg refused",
         [](test::TestEnv& env) {
             env.writeFile("texmf-local/web2c/updmap-local.cfg", "Map a.map\n");
             env.dialogs.answers = {false};
         },
         "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestEnv env(false);
        makeFontDB(env);
        env.writeFile("texmf-local/fonts/map/dvips/x/local.map", "");
        c.prepare(env);
        Window1* w = test::freshWindow();
        init();
        EXPECT_EQ(env.takeQuits(), 1);
        EXPECT_EQ(w->Listbox4->rowCount(), 0);
        EXPECT_EQ(w->Listbox2->rowCount(), 0);
        if (!c.message.isEmpty()) {
            ASSERT_FALSE(env.dialogs.messages.isEmpty());
            EXPECT_TRUE(env.dialogs.messages.last().startsWith(c.message))
                << env.dialogs.messages.last().toStdString();
        }
        const QString log = logText(env);
        if (!c.logged.isEmpty()) {
            EXPECT_TRUE(log.contains(c.logged)) << log.toStdString();
        }
        EXPECT_FALSE(log.contains("Finished Setupwin"));
    }
}

TEST(InitRealTexLive, UpdmapLocalCfgQuestionAndUserWithoutAdminRights)
{
    test::TestEnv env(false);
    makeFontDB(env);
    env.writeFile("texmf-local/web2c/updmap-local.cfg", "Map a.map\n");
    env.dialogs.answers = {true};
    test::freshWindow();
    setEffectiveUidForTesting(1000); // not root
    init();
    if (isAdmin)
        GTEST_SKIP() << "this account is an administrator by its groups";
    // Yes without administrator rights changes nothing; the scan goes on.
    EXPECT_EQ(env.takeQuits(), 0);
    EXPECT_EQ(env.dialogs.questions.value(0),
              QStringLiteral("You have a file updmap-local.cfg whose contents must be moved into "
                             "web2c/updmap.cfg, and possibly edited. Do it?"));
    EXPECT_TRUE(QFile::exists(env.texmfLocal() + "/web2c/updmap-local.cfg"));
}

// Root is an administrator whatever its groups: "method" defaults to the
// system trees. Another account goes by its groups.
TEST(InitRealTexLive, RootIsAnAdministrator)
{
    for (int uid : {0, 1000}) {
        SCOPED_TRACE(uid);
        test::TestEnv env(false);
        makeFontDB(env);
        test::freshWindow();
        setEffectiveUidForTesting(uid);
        init();
        EXPECT_EQ(env.takeQuits(), 0);
        const bool byGroups = adminFromGroups(runShell("id -Gn"));
        EXPECT_EQ(isAdmin, uid == 0 || byGroups);
        EXPECT_EQ(prefInt("method"), isAdmin ? 1 : 0);
    }
}

TEST(InitRealTexLive, PersonalTreeRepairsAndStrayLsR)
{
    // Unwritable trees, as after "sudo updmap": No quits, Yes repairs.
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        test::TestEnv env(false);
        makeFontDB(env);
        QDir().mkpath(env.texmfHome());
        env.writeFile("home/texmf/ls-R", "% ls-R\n");
        setWritableCheckForTesting([&](const QString& p) { return p != env.texmfHome(); });
        env.dialogs.answers = {yes, true};
        test::freshWindow();
        init();
        setWritableCheckForTesting({});
        EXPECT_EQ(env.dialogs.questions.value(0),
                  "Your folder " + env.texmfHome() + " (TEXMFHOME) is not writable. Correct?");
        EXPECT_EQ(env.takeQuits(), yes ? 0 : 1);
        EXPECT_TRUE(logText(env).contains("Your folder " + env.texmfHome() + " (TEXMFHOME) is not writable. "));
        if (yes) {
            EXPECT_EQ(env.dialogs.questions.value(1),
                      QStringLiteral("You have an inappropriate ls-R in your permanent personal tree. Remove?"));
            EXPECT_FALSE(QFile::exists(env.texmfHome() + "/ls-R"));
        }
    }
}

TEST(InitRealTexLive, RepairFolderIsNeverTheHomeFolder)
{
    test::TestEnv env(false);
    texmfVar = env.home() + "/.texlive2022/texmf-var";
    EXPECT_EQ(impermanentRepairFolder(), env.home() + "/.texlive2022");
    texmfVar = env.home() + "/texmf-var";
    EXPECT_EQ(impermanentRepairFolder(), texmfVar);
    texmfVar = "/var/tmp/texmf-var";
    EXPECT_EQ(impermanentRepairFolder(), texmfVar);
    // The user's own name, quoted, never whoami through the root route.
    const QString line = ownershipRepairCommand(env.home() + "/my trees");
    EXPECT_TRUE(line.startsWith("/usr/bin/sudo /bin/chown -R "));
    EXPECT_FALSE(line.contains("whoami"));
    EXPECT_TRUE(line.endsWith("'" + env.home() + "/my trees'"));
}

namespace {
// A stand-in texbin whose kpsewhich answers from a table; tex answers
// `texVersion` when given.
void standInTexbin(test::TestEnv& env, const QString& selfAutoParent, const QString& texmf,
                   const QString& trees, const QString& texVersion = QString())
{
    env.writeFile("answers/sap", selfAutoParent.toUtf8());
    env.writeFile("answers/texmf", texmf.toUtf8());
    env.writeFile("answers/trees", trees.toUtf8());
    const QString a = env.root() + "/answers/";
    // One -expand-var query answers the root, the search path and the trees, a line each.
    env.writeScript("tex bin/kpsewhich", QStringLiteral("case \"$1\" in\n"
                                                       "  -expand-var=*) printf '%s\\n' \"$(cat '%1sap')\" "
                                                       "\"$(cat '%1texmf')\"; cat '%1trees';;\n"
                                                       "esac\n")
                                            .arg(a));
    if (!texVersion.isEmpty())
        env.writeScript("tex bin/tex", "echo '" + texVersion + "'\n");
    // A blank in the folder: program paths must be quoted too.
    setTexbinForTesting(env.root() + "/tex bin");
}
} // namespace

TEST(InitStandIn, OldOrUnknownTexLiveIsRefusedBeforeTheLog)
{
    struct Case {
        const char* name;
        QString root;
        QString version;
    };
    const QList<Case> cases = {
        {"TeX Live 2012", "/usr/local/texlive/2012\n", ""},
        {"empty answer", "", ""},
        {"Debian root, old version line", "/\n", "TeX 3.14159265 (TeX Live 2012/Debian)"},
        {"no year anywhere", "/opt/tex\n", "TeX 3.14159265"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        makeFontDB(env);
        standInTexbin(env, c.root, "", "", c.version);
        Window1* w = test::freshWindow();
        init();
        EXPECT_EQ(env.dialogs.messages,
                  QStringList{"This software works only with TeX Live versions 2013 or later---bailing out."});
        EXPECT_EQ(env.takeQuits(), 1);
        EXPECT_FALSE(logText(env).contains("Starting Quillmark2013"));
        EXPECT_EQ(w->Listbox2->rowCount(), 0);
    }
}

TEST(InitStandIn, TreesAreTakenByNameAndAMissingOneStopsTheScan)
{
    const QString base = "/usr/local/texlive";
    for (bool lacksLocal : {true, false}) {
        SCOPED_TRACE(lacksLocal ? "TEXMFLOCAL unknown" : "search path lacks a tree");
        test::TestEnv env;
        makeFontDB(env);
        const QString h = env.home();
        // Six trees on the search path, in Debian's order, TEXMFSYSVAR missing.
        const QString texmf = "{" + h + "/.texlive2022/texmf-config," + h + "/.texlive2022/texmf-var," + h +
                              "/texmf,!!" + env.texmfLocal() + ",/etc/texmf,!!" + base + "/2013/texmf-dist}\n";
        const QString trees = h + "/.texlive2022/texmf-config\n" + h + "/.texlive2022/texmf-var\n" + h +
                              "/texmf\n/etc/texmf\n/var/lib/texmf\n" +
                              (lacksLocal ? QString("$TEXMFLOCAL") : env.texmfLocal()) + "\n" + base +
                              "/2013/texmf-dist\n";
        standInTexbin(env, base + "/2013\n", texmf, trees);
        test::freshWindow();
        init();
        EXPECT_EQ(env.takeQuits(), 1);
        EXPECT_EQ(texYear, QStringLiteral("2013"));
        EXPECT_EQ(texmfTrees.size(), 6);
        const QString log = logText(env);
        if (lacksLocal) {
            ASSERT_EQ(env.dialogs.messages.size(), 1);
            EXPECT_TRUE(env.dialogs.messages.at(0).contains("TEXMFLOCAL"));
            EXPECT_FALSE(log.contains("Starting Quillmark2013"));
        } else {
            // By name, not by position: the sixth entry is TEXMFDIST, yet
            // TEXMFLOCAL and TEXMFSYSVAR are the trees named so.
            EXPECT_EQ(texmfLocal, env.texmfLocal());
            EXPECT_EQ(texmfSysVar, QStringLiteral("/var/lib/texmf"));
            EXPECT_EQ(texmfDist, base + "/2013/texmf-dist");
            EXPECT_EQ(texmfHome, h + "/texmf");
            // The stand-in knows no updmap.cfg: the scan stops there, after its start line.
            EXPECT_GE(log.indexOf("Starting Quillmark2013"), 0);
            EXPECT_GT(log.indexOf("You appear to have no updmap.cfg"), log.indexOf("Starting Quillmark2013"));
        }
    }
}

#include "installer/Installation.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/QuitPath.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace qlk::installer {
namespace {

QStringList readLines(const QString& path)
{
    QString text = QString::fromUtf8(test::readBytes(path));
    if (text.endsWith('\n'))
        text.chop(1);
    return text.split('\n');
}

bool copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QFileInfo& fi : QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString dest = to + '/' + fi.fileName();
        if (fi.isDir() ? !copyFolder(fi.filePath(), dest) : !QFile::copy(fi.filePath(), dest))
            return false;
    }
    return true;
}

// A source folder laid out like the build's copy, a prefix and a personal
// tree, all inside the test's own world.
class InstallationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        source = env.root() + "/build/Quillmark2013";
        QDir().mkpath(source);
        setup.sourceFolder = source;
        setup.prefix = env.root() + "/opt/Quillmark2013";
        setup.personalTree = env.texmfHome();
        setup.applicationsFolder = env.home() + "/.local/share/applications";
        setup.clock = [this] { return now; };
        setDesktopRecorder([this](const QString& action, const QString& path) { opened << action + ' ' + path; });
    }
    void TearDown() override { setDesktopRecorder({}); }

    // The real program, its scripts and database; small pictures and TeX files.
    void layOutSource(const QString& program = QString())
    {
        if (program.isEmpty()) {
            ASSERT_TRUE(QFile::copy(QLK_APP_DIR "/Quillmark2013", source + "/Quillmark2013"));
            ASSERT_TRUE(copyFolder(QLK_APP_DIR "/Resources", source + "/Resources"));
            ASSERT_TRUE(QFile::copy(QLK_APP_DIR "/TeXFonts.db", source + "/TeXFonts.db"));
            ASSERT_TRUE(QFile::copy(QLK_APP_DIR "/Exceptions.txt", source + "/Exceptions.txt"));
        } else {
            env.writeFile("build/Quillmark2013/Quillmark2013", program.toUtf8());
            env.writeFile("build/Quillmark2013/TeXFonts.db", "db");
            env.writeFile("build/Quillmark2013/Exceptions.txt", "ptmr8r\n");
        }
        env.writeFile("build/Quillmark2013/README.txt", "Read me.\n");
        env.writeFile("build/Quillmark2013/otfinst.py", "# script\n");
        env.writeFile("build/Quillmark2013/img/gl1.png", "png1");
        env.writeFile("build/Quillmark2013/img/LM hat.png", "png2");
        env.writeFile("build/Quillmark2013/TDS/tex/latex/quillmark2013/qlk.sty", "\\ProvidesPackage{qlk}\n");
        env.writeFile("build/Quillmark2013/TDS/tex/fontinst/quillmark2013/qlk.mtx", "\\relax\n");
    }

    QString prefix() const { return setup.prefix; }
    QString tree() const { return setup.personalTree; }

    test::TestEnv env{false}; // the machine's system trees, read only: the program needs pdftex.map
    InstallSetup setup;
    QString source;
    QDateTime now = QDateTime(QDate(2026, 12, 11), QTime(10, 0, 0));
    QStringList opened;
};

TEST_F(InstallationTest, FullRunLaysOutThePrefixAndTheTreeAndLogsEachStep)
{
    layOutSource();
    QDir(env.texmfHome()).removeRecursively(); // the tree starts missing

    ASSERT_EQ(runInstallation(setup), InstallOutcome::Finished) << env.dialogs.messages.join('|').toStdString();

    const QString p = prefix();
    for (const char* f : {"Quillmark2013", "Resources/sudocmd.sh", "Resources/sudoterm.sh", "img/gl1.png",
                          "img/LM hat.png", "TDS/tex/latex/quillmark2013/qlk.sty", "README.txt", "otfinst.py",
                          "TeXFonts.db", "Exceptions.txt", "QLKInstall.txt"})
        EXPECT_TRUE(QFileInfo::exists(p + '/' + f)) << f;
    EXPECT_TRUE(QFileInfo(p + "/Quillmark2013").isExecutable());
    for (const char* d : {"tex", "web2c", "dvips", "fonts", "tex/latex/quillmark2013", "tex/fontinst/quillmark2013"})
        EXPECT_TRUE(QFileInfo(tree() + '/' + d).isDir()) << d;
    EXPECT_EQ(test::readBytes(tree() + "/tex/latex/quillmark2013/qlk.sty"), "\\ProvidesPackage{qlk}\n");
    EXPECT_TRUE(test::readBytes(setup.applicationsFolder + "/Quillmark2013.desktop")
                    .contains("Exec=\"" + (p + "/Quillmark2013").toUtf8() + "\""));

    QStringList expected{"", "Starting new installer run at 2026-12-11 10:00:00",
                         "Most recent TeXLive year appears to be 2022", "Trying to create " + tree()};
    for (const char* d : {"tex", "web2c", "dvips", "fonts", "tex/latex", "tex/fontinst", "tex/latex/quillmark2013",
                          "tex/fontinst/quillmark2013"})
        expected << "Trying to create " + tree() + '/' + d;
    expected << "Copied README.txt to " + p + "/" << "Copied otfinst.py to " + p + "/"
             << "Copied TeXFonts.db to " + p + "/" << "Copied Exceptions.txt to " + p + "/";
    for (const char* f : {"lmodernzuv.pdf", "mt2test.pdf", "mt2vitals.txt", "Quillmark2013.pdf", "tl2013.pdf",
                          "qlkheader.mtx", "mt2testfileMA.tex", "eps2png"})
        expected << QString(f) + " is not part of this build";
    expected << "Copied Quillmark2013 to " + p + "/"
             << "Copied Quillmark2013.desktop to " + setup.applicationsFolder + "/"
             << "Copied TDS folder to TEXMFHOME" << "Copied TDS folder to TEXMFHOME";
    EXPECT_EQ(readLines(p + "/QLKInstall.txt"), expected);
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"Installation finished! The log file will show what was installed."});
    EXPECT_EQ(opened, QStringList{"open " + p + "/QLKInstall.txt"});

    // The installed program starts from the prefix and finds its database.
    QProcess program;
    QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
    pe.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(pe);
    program.start(p + "/Quillmark2013", {});
    ASSERT_TRUE(program.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    QByteArray log;
    while (clock.elapsed() < 30000 && !log.contains("Finished Setupwin")) {
        QThread::msleep(100);
        log = test::readBytes(env.home() + "/QLKlogfile.txt");
    }
    program.kill();
    program.waitForFinished(5000);
    EXPECT_TRUE(log.contains("Finished Setupwin")) << log.toStdString();
}

TEST_F(InstallationTest, SecondRunAppendsReplacesFilesAndKeepsTheUsersOwn)
{
    layOutSource("#!/bin/sh\necho first\n");
    ASSERT_EQ(runInstallation(setup), InstallOutcome::Finished);
    env.writeFile("home/texmf/tex/latex/mine/mine.sty", "% the user's own\n");
    QFile::setPermissions(tree() + "/tex/latex/mine/mine.sty", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    env.writeFile("build/Quillmark2013/README.txt", "Read me again.\n");
    env.writeFile("build/Quillmark2013/Quillmark2013", "#!/bin/sh\necho second\n");
    QFile::remove(source + "/img/gl1.png");
    now = now.addDays(1);

    ASSERT_EQ(runInstallation(setup), InstallOutcome::Finished);
    EXPECT_EQ(test::readBytes(prefix() + "/README.txt"), "Read me again.\n");
    EXPECT_EQ(test::readBytes(prefix() + "/Quillmark2013"), "#!/bin/sh\necho second\n");
    EXPECT_FALSE(QFileInfo::exists(prefix() + "/img/gl1.png")); // img is emptied and refilled
    EXPECT_EQ(test::readBytes(tree() + "/tex/latex/mine/mine.sty"), "% the user's own\n");
    // Folders open to all, files readable but never made executable.
    EXPECT_EQ(QFileInfo(tree() + "/tex/latex/mine/mine.sty").permissions() & 0x7777,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser |
                  QFileDevice::ReadGroup | QFileDevice::ReadOther);

    const QStringList log = readLines(prefix() + "/QLKInstall.txt");
    const int second = int(log.indexOf("Starting new installer run at 2026-12-12 10:00:00"));
    ASSERT_GT(second, 2);
    EXPECT_EQ(log.at(second - 1), "");
    const QStringList secondRun = log.mid(second);
    EXPECT_FALSE(secondRun.join('\n').contains("Trying to create"));
    EXPECT_TRUE(secondRun.contains("Deleted " + prefix() + "/Quillmark2013"));
    EXPECT_EQ(secondRun.count("Copied TDS folder to TEXMFHOME"), 2);
}

TEST_F(InstallationTest, FatalChecksStopWithTheirTextsAndCopyNothing)
{
    layOutSource("#!/bin/sh\n");
    struct Case {
        const char* what;
        QString kpsewhich; // stand-in body; empty: no TeX at all
        QString tex;
        bool treeIsAFile = false;
        bool treeUnwritable = false;
        QString message; // shown
        QString logged;  // last log line
    } cases[] = {
        {"TeX Live 2012", "echo /usr/local/texlive/2012", "echo 'TeX 3.1 (TeX Live 2012)'", false, false,
         "TeX Live 2013 or later must be installed before proceeding",
         "TeX Live 2013 or later must be installed before proceeding"},
        {"no year at all", "echo /usr", "echo 'TeX 3.1'", false, false,
         "TeX Live 2013 or later must be installed before proceeding",
         "TeX Live 2013 or later must be installed before proceeding"},
        {"no TeX", QString(), QString(), false, false,
         "You must install a recent version of TeX Live before proceeding",
         "You must install a recent version of TeX Live before proceeding"},
        {"tree not writable", "echo /usr/local/texlive/2022", QString(), false, true, QString(),
         "Folder " + env.texmfHome() + " is not writeable. Correct this and re-run the installer."},
        {"a file where the tree should be", "echo /usr/local/texlive/2022", QString(), true, false,
         "Error creating " + env.texmfHome() + "/tex: 20", "Failed"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString bin = env.root() + "/bin" + QString::number(++n);
        QDir().mkpath(bin);
        if (!c.kpsewhich.isEmpty())
            env.writeScript("bin" + QString::number(n) + "/kpsewhich", c.kpsewhich + "\n");
        if (!c.tex.isEmpty())
            env.writeScript("bin" + QString::number(n) + "/tex", c.tex + "\n");
        setTexbinForTesting(bin);
        QDir(prefix()).removeRecursively();
        QDir(tree()).removeRecursively();
        QFile::remove(tree());
        if (c.treeIsAFile)
            env.writeFile("home/texmf", "not a folder");
        else
            QDir().mkpath(tree());
        setup.isWritable = [&c](const QString&) { return !c.treeUnwritable; };
        env.dialogs.messages.clear();
        resetQuitState();

        EXPECT_EQ(runInstallation(setup), InstallOutcome::Stopped);
        EXPECT_EQ(env.takeQuits(), 1);
        EXPECT_EQ(env.dialogs.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(readLines(prefix() + "/QLKInstall.txt").last(), c.logged);
        EXPECT_FALSE(QFileInfo::exists(prefix() + "/README.txt"));
        EXPECT_FALSE(QFileInfo::exists(prefix() + "/Quillmark2013"));
        EXPECT_FALSE(QFileInfo::exists(tree() + "/tex/latex/quillmark2013/qlk.sty"));
    }
    setTexbinForTesting(QString());
}

TEST_F(InstallationTest, ASupportFileThatCannotBeCopiedStopsAfterTheOnesBefore)
{
    layOutSource("#!/bin/sh\n");
    QFile::remove(source + "/TeXFonts.db");
    QDir().mkpath(source + "/TeXFonts.db/inside"); // a folder cannot be copied as a file

    EXPECT_EQ(runInstallation(setup), InstallOutcome::Stopped);
    EXPECT_EQ(env.takeQuits(), 1);
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith("Error copying TeXFonts.db to " + prefix() + ": errorcode="));
    const QStringList log = readLines(prefix() + "/QLKInstall.txt");
    EXPECT_EQ(log.last(), env.dialogs.messages.first());
    EXPECT_TRUE(log.contains("Copied otfinst.py to " + prefix() + "/"));
    EXPECT_FALSE(QFileInfo::exists(prefix() + "/Quillmark2013"));
}

TEST_F(InstallationTest, AFailedProgramCopyKeepsThePreviousProgramAndTheRunGoesOn)
{
    layOutSource("#!/bin/sh\necho old\n");
    ASSERT_EQ(runInstallation(setup), InstallOutcome::Finished);
    env.writeFile("build/Quillmark2013/Quillmark2013", "#!/bin/sh\necho new\n");
    // The temporary copy's name is taken by a folder that cannot be removed as a file.
    env.writeFile("opt/Quillmark2013/.Quillmark2013.new/blocker", "x");
    env.dialogs.messages.clear();

    EXPECT_EQ(runInstallation(setup), InstallOutcome::Finished);
    EXPECT_EQ(test::readBytes(prefix() + "/Quillmark2013"), "#!/bin/sh\necho old\n");
    ASSERT_EQ(env.dialogs.messages.size(), 2);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith("Error copying Quillmark2013 to " + prefix()));
    const QStringList log = readLines(prefix() + "/QLKInstall.txt");
    EXPECT_EQ(log.mid(log.size() - 3),
              (QStringList{env.dialogs.messages.first(), "Copied TDS folder to TEXMFHOME",
                           "Copied TDS folder to TEXMFHOME"}));
}

TEST_F(InstallationTest, MissingSourceFoldersNeverCopyTheWorkingFolder)
{
    layOutSource("#!/bin/sh\n");
    QDir(source + "/TDS").removeRecursively();
    QDir(source + "/img").removeRecursively();
    env.writeFile("cwd/canary.tex", "must stay here");
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(env.root() + "/cwd");

    EXPECT_EQ(runInstallation(setup), InstallOutcome::Finished);
    QDir::setCurrent(oldCwd);
    EXPECT_EQ(env.dialogs.messages,
              (QStringList{"Error copying TDS folder to TEXMFHOME", "Error copying TDS folder to TEXMFHOME",
                           "Installation finished! The log file will show what was installed."}));
    EXPECT_FALSE(QFileInfo::exists(tree() + "/canary.tex"));
    EXPECT_FALSE(QFileInfo::exists(prefix() + "/TDS/canary.tex"));
    EXPECT_FALSE(QFileInfo::exists(prefix() + "/img/canary.tex"));
    EXPECT_TRUE(readLines(prefix() + "/QLKInstall.txt")
                    .contains("Error copyng img folder to " + prefix() + "/img :no img folder in " + source));
}

TEST_F(InstallationTest, RefusedPrefixesChangeNothing)
{
    layOutSource("#!/bin/sh\n");
    env.writeFile("foreign/Quillmark2013/someone-elses.txt", "keep");
    const QString cases[] = {"/", env.home(), env.root() + "/opt/Quillmark", env.root() + "/foreign/Quillmark2013",
                             env.texmfHome() + "/Quillmark2013", "relative/Quillmark2013"};
    for (const QString& p : cases) {
        SCOPED_TRACE(p.toStdString());
        setup.prefix = p;
        env.dialogs.messages.clear();
        resetQuitState();
        EXPECT_EQ(runInstallation(setup), InstallOutcome::Stopped);
        EXPECT_EQ(env.takeQuits(), 1); // each refusal ends the installer
        ASSERT_EQ(env.dialogs.messages.size(), 1);
        EXPECT_TRUE(env.dialogs.messages.first().startsWith("Quillmark2013 cannot be installed into"));
        EXPECT_FALSE(QFileInfo::exists(p + "/QLKInstall.txt"));
    }
    EXPECT_FALSE(QFileInfo::exists(env.root() + "/opt"));
    EXPECT_FALSE(QFileInfo::exists(env.texmfHome()));
    EXPECT_EQ(QDir(env.root() + "/foreign/Quillmark2013").entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"someone-elses.txt"});
}

TEST(InstallerDesktopEntry, QuotesTheProgramPath)
{
    const QString entry = desktopEntry("/opt/my $apps/50%/Quillmark2013");
    EXPECT_TRUE(entry.contains("Exec=\"/opt/my \\$apps/50%%/Quillmark2013\"\n"));
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\nType=Application\nName=Quillmark2013\n"));
}

} // namespace
} // namespace qlk::installer

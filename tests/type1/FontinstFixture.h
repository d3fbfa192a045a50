#pragma once
#include "fontinfo/ExamineList.h"
#include "fontinfo/FontDB.h"
#include "mainwindow/InstallFixture.h"
#include "platform/BundleScripts.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/Privileged.h"
#include "support/MenuFixture.h"
#include "support/TestEnv.h"
#include "texenv/FinishInstall.h"
#include "type1/FontInstWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>

#include <gtest/gtest.h>

namespace qlk::test {

// URW Palatino from TeX Live under URW's own file names, which the font
// database maps to their Berry names.
inline const QList<std::pair<QString, QString>>& urwPalatino()
{
    static const QList<std::pair<QString, QString>> names{
        {"uplr8a", "p052003l"}, {"uplri8a", "p052023l"}, {"uplb8a", "p052004l"}, {"uplbi8a", "p052024l"}};
    return names;
}

// The root route for installs: the unpack ("cd ... && unzip") runs, every
// other command (mktexlsr, updmap-sys) is only recorded; with `status` set
// nothing runs and that status is answered.
struct UnpackRecorder {
    QStringList commands;
    int status = -1;
    UnpackRecorder()
    {
        setBundleScriptRunner([this](const QString&, const QStringList& args) {
            const QString text = args.value(0);
            commands << text;
            if (status >= 0)
                return ScriptResult{status, QString()};
            // The unpack (staged by bash -c) runs; the map commands are only recorded.
            if (!text.startsWith("cd ") && !text.contains("unzip -o -qq"))
                return ScriptResult{0, QString()};
            const ProcessResult r = runRootCommands(text);
            return ScriptResult{r.exitCode, r.output};
        });
    }
};

// The terminal script: each command is recorded and run with bash, or
// answered with `status` without running when that is set.
struct TermRecorder {
    QStringList commands;
    int status = -1;
    TermRecorder()
    {
        setBundleScriptRunner([this](const QString&, const QStringList& args) {
            commands << args.value(0);
            if (status >= 0)
                return ScriptResult{status, QString()};
            const ProcessResult r = runRootCommands(args.value(0), 120000);
            return ScriptResult{r.exitCode, r.output};
        });
    }
};

class FontinstFixture : public ::testing::Test {
public:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(connectFontDB(QStringLiteral(QLK_APP_DIR "/TeXFonts.db"), &error)) << error.toStdString();
        // The rescan after an installation connects to the database beside the program.
        setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
        pointTreesAt(env);
        homePath = env.home();
        setDesktopRecorder([this](const QString& action, const QString& path) { desktop << action + ": " + path; });
    }
    void TearDown() override
    {
        if (w)
            w->close();
        QApplication::processEvents();
        disconnectFontDB();
        tdsFolder.clear();
    }

    // Opens the window through the File menu.
    FontInstWindow* open()
    {
        EXPECT_TRUE(chooseMenuItem("FileFontinst"));
        w = FontInstWindow::instance();
        return w;
    }

    // Copies the TeX Live file `texName` + ext to `relPath` below the test's root.
    QString copyTexFile(const QString& texName, const QString& relPath)
    {
        const QString src = texFile(texName);
        EXPECT_FALSE(src.isEmpty()) << texName.toStdString();
        const QString target = env.root() + "/" + relPath;
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(src, target)) << target.toStdString();
        return target;
    }

    // The four vendor-named pairs, two of them in a subfolder, with a
    // .DS_Store and a notes.txt beside them.
    QString vendorFolder()
    {
        const QString folder = env.root() + "/urw";
        int i = 0;
        for (const auto& [berry, vendor] : urwPalatino()) {
            const QString sub = i++ < 2 ? QString() : QStringLiteral("more/");
            copyTexFile(berry + ".afm", "urw/" + sub + vendor + ".afm");
            copyTexFile(berry + ".pfb", "urw/" + sub + vendor + ".pfb");
        }
        env.writeFile("urw/.DS_Store", "junk");
        env.writeFile("urw/notes.txt", "notes");
        return folder;
    }

    QStringList rows() const
    {
        QStringList out;
        for (int i = 0; i < w->Listbox1->rowCount(); ++i)
            out << w->Listbox1->cell(i, 0);
        return out;
    }

    // The work folders in Documents.
    QStringList workFolders() const
    {
        return QDir(documentsFolder()).entryList({"tmp*"}, QDir::Dirs | QDir::NoDotAndDotDot);
    }
    QStringList files(const QString& dir) const { return QDir(dir).entryList(QDir::Files, QDir::Name); }

    // The machine's system trees stay visible: the rescan after an
    // installation reads them.
    TestEnv env{false};
    QStringList desktop;
    QPointer<FontInstWindow> w;
};

} // namespace qlk::test

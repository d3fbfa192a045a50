#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "support/TestEnv.h"
#include "texenv/PrefDefaults.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

namespace {
const char* const kDefaultKeys[] = {"method", "sudo", "AdobeAFMLink", "useFontsite",
                                    "otftotfm", "sourcemaps", "PathToTFM", "editor"};
}

TEST(PrefDefaults, FirstRunStoresEveryDefaultInTheFile)
{
    for (bool admin : {true, false}) {
        SCOPED_TRACE(admin ? "administrator" : "user");
        test::TestEnv env;
        isAdmin = admin;
        texmfLocal = env.texmfLocal();
        setPrefDefaults();
        EXPECT_EQ(personalInstall, !admin);
        // What the file holds, read back from disk.
        ASSERT_TRUE(QFile::exists(prefsfile()));
        resetPrefsForTesting();
        for (const char* key : kDefaultKeys)
            EXPECT_TRUE(haspref(QLatin1String(key))) << key;
        EXPECT_TRUE(haspref("app_vers"));
        EXPECT_FALSE(haspref("ignoreupdmap"));
        EXPECT_EQ(prefInt("method"), admin ? 1 : 0);
        EXPECT_EQ(prefInt("sudo"), 1);
        EXPECT_EQ(prefText("otftotfm"), texProgram("otftotfm"));
        EXPECT_EQ(prefText("PathToTFM"), env.texmfLocal() + "/fonts/tfm");
        EXPECT_EQ(prefText("editor"), QStringLiteral("TextEdit"));
        EXPECT_TRUE(prefText("AdobeAFMLink").startsWith(QLatin1String("http://")));
        EXPECT_TRUE(prefText("AdobeAFMLink").endsWith(QLatin1String("/pub/adobe/type/win/all/afmfiles")));
        EXPECT_EQ(prefText("sourcemaps").split('\t'), defaultSourceMaps());
        EXPECT_EQ(sourceMapFiles, defaultSourceMaps());
        EXPECT_EQ(sourceMapFiles.first(), QStringLiteral("{TEXMFDIST}/fonts/map/fontname/adobe.map"));
        // TEXMFLOCAL/fonts/tfm does not exist in a fresh tree.
        EXPECT_EQ(tfmFolder, documentsFolder());
    }
}

TEST(PrefDefaults, StoredValuesStayExceptAMethodAboveOne)
{
    struct Case {
        int stored;
        int expected;
        bool personal;
    };
    // -1 stays in the file but reads as 0: a personal installation.
    for (const Case c : {Case{2, 1, false}, Case{-1, -1, true}, Case{0, 0, true}}) {
        SCOPED_TRACE(c.stored);
        test::TestEnv env;
        isAdmin = true;
        texmfLocal = env.texmfLocal();
        setpref("method", qint32(c.stored));
        setpref("Editor", QStringLiteral("kate"));
        setpref("sudo", qint32(0));
        setpref("sourcemaps", QStringLiteral("/a.map\t/b.map\t/c.map"));
        const QString tfm = env.root() + "/tfm";
        QDir().mkpath(tfm);
        setpref("PathToTFM", tfm);
        setPrefDefaults();
        EXPECT_EQ(prefInt("method"), c.expected);
        EXPECT_EQ(personalInstall, c.personal);
        EXPECT_EQ(prefText("editor"), QStringLiteral("kate"));
        EXPECT_EQ(prefInt("sudo"), 0);
        EXPECT_EQ(sourceMapFiles, (QStringList{"/a.map", "/b.map", "/c.map"}));
        EXPECT_EQ(prefText("sourcemaps"), QStringLiteral("/a.map\t/b.map\t/c.map"));
        EXPECT_EQ(tfmFolder, tfm);
    }
}

TEST(PrefDefaults, VanishedMetricFolderFallsBackToDocuments)
{
    test::TestEnv env;
    setpref("PathToTFM", env.root() + "/no/such/folder");
    setPrefDefaults();
    EXPECT_EQ(tfmFolder, documentsFolder());
    EXPECT_EQ(prefText("PathToTFM"), env.root() + "/no/such/folder");
}

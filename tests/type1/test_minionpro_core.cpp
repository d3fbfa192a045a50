#include "type1/Downloads.h"
#include "type1/MinionPro.h"

#include <gtest/gtest.h>

using namespace qlk;

// otfinfo -v answers as recorded from real fonts, and what each selects.
TEST(MinionPro, VersionChoosesTheEncodingArchive)
{
    setDownloadHostsForTesting("https://ctan.test", "https://lists.test");
    struct Case {
        const char* otfinfo;
        bool uni2113;
        const char* version;
        const char* archive;
    };
    const Case cases[] = {
        {"Version 1.000;PS 001.000;Core 1.0.35;makeotf.lib1.5.4492", false, "001.000", "enc-1.000.zip"},
        {"Version 1.001;PS 001.001;Core 1.0.38;makeotf.lib1.6.6565", false, "001.001", "enc-1.001.zip"},
        {"Version 2.000;PS 2.000;hotconv 1.0.51;makeotf.lib2.0.18671", false, "2.000", "enc-2.000.zip"},
        {"Version 2.004;PS 2.004;hotconv 1.0.49;makeotf.lib2.0.14853\n", false, "2.004", "enc-2.000.zip"},
        // No ";"-separated PS field: unreadable, taken as any other version.
        {"Version 1.00", false, "", "enc-2.000.zip"},
        {"Version 1.00;", false, "", "enc-2.000.zip"},
        // The glyph wins over every version.
        {"Version 1.000;PS 001.000;Core 1.0.35", true, "001.000", "attachment.zip"},
    };
    for (const Case& c : cases) {
        const QString version = minionPsVersion(QString::fromLatin1(c.otfinfo));
        EXPECT_EQ(version, QString::fromLatin1(c.version)) << c.otfinfo;
        const MinionDownload d = minionEncodingArchive(c.uni2113, version);
        EXPECT_EQ(d.file, QString::fromLatin1(c.archive)) << c.otfinfo;
        const QString expectedUrl =
            c.uni2113 ? "https://lists.test/pipermail/minionpro-devel/attachments/20090814/4e956ea2/attachment.zip"
                      : "https://ctan.test/tex-archive/fonts/minionpro/" + QString::fromLatin1(c.archive);
        EXPECT_EQ(d.url, expectedUrl);
    }
    setDownloadHostsForTesting({}, {});
    EXPECT_TRUE(minionCtanUrl("metrics-base.zip").startsWith("https://"));
    EXPECT_TRUE(minionEncodingArchive(true, {}).url.startsWith("https://"));
}

TEST(MinionPro, MetricsLevelFromTheFileNames)
{
    const QList<QPair<QStringList, int>> cases{
        {{"MinionPro-Regular.otf", "MinionPro-It.otf"}, 0},
        {{"MinionPro-Regular.otf", "MinionPro-SEMIBOLD.otf"}, 1},
        {{"MinionPro-Capt.otf"}, 2},
        {{"minionpro-boldcapt.otf"}, 2},
        // Both words in one name count as "semibold" only.
        {{"MinionPro-SemiboldCapt.otf"}, 1},
        {{"MinionPro-Semibold.otf", "MinionPro-Capt.otf"}, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(minionMetricsLevel(c.first), c.second) << c.first.join(' ').toStdString();
    EXPECT_EQ(minionMetricArchives(0), QStringList{"metrics-base.zip"});
    EXPECT_EQ(minionMetricArchives(1), (QStringList{"metrics-base.zip", "metrics-full.zip"}));
    EXPECT_EQ(minionMetricArchives(2), (QStringList{"metrics-base.zip", "metrics-full.zip", "metrics-opticals.zip"}));
}

TEST(MinionPro, ChooserStartsBesideTheUsersOwnCopy)
{
    EXPECT_EQ(minionStartFolder({"/home/u/Library/Fonts/MinionPro-Regular.otf", "/usr/share/x/MinionPro-Regular.otf",
                                 "/home/u/bought/Minion/MinionPro-Regular.otf"},
                                "/home/u/Documents"),
              "/home/u/bought/Minion");
    EXPECT_EQ(minionStartFolder({"/home/u/.local/share/FONTS/MinionPro-Regular.otf", "/opt/USR/MinionPro-Regular.otf"},
                                "/home/u/Documents"),
              "/home/u/Documents");
    EXPECT_EQ(minionStartFolder({}, "/home/u/Documents"), "/home/u/Documents");

    for (const char* name : {"MinionPro-Regular.otf", "minionpro-it.OTF", "MINIONPRO-Bold.Otf"})
        EXPECT_TRUE(isMinionProFont(name)) << name;
    for (const char* name : {"MinionPro-Regular.pfb", "Minion-Regular.otf", "MyMinionPro-It.otf", "MinionPro.otf.bak"})
        EXPECT_FALSE(isMinionProFont(name)) << name;
}

TEST(Downloads, CurlCommandChecksAndQuotes)
{
    EXPECT_EQ(curlCommand("/tmp/a b", "x y.zip", "https://h/p?q=1&r"),
              "cd '/tmp/a b' && /usr/bin/prlimit --fsize=1073741824 /usr/bin/curl -sS -f -L --proto =https "
              "--proto-redir =https --max-filesize 1073741824 -o 'x y.zip' 'https://h/p?q=1&r'");
}

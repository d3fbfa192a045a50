#include "fontinfo/BerryRename.h"

#include "Print.h"
#include "fontinfo/FontDB.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

// The font-name database the build made, connected while the test runs.
class BerryRenameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(connectFontDB(QStringLiteral(QLK_APP_DIR "/TeXFonts.db"), &error)) << error.toStdString();
        folder = env.root() + QStringLiteral("/fonts");
        QDir().mkpath(folder);
    }
    void TearDown() override { disconnectFontDB(); }

    // Copies a font file of Debian's TeX Live into the folder under another name.
    void copyAs(const char* texName, const char* name)
    {
        const QString src = test::texFile(QString::fromLatin1(texName));
        ASSERT_FALSE(src.isEmpty()) << texName;
        ASSERT_TRUE(QFile::copy(src, folder + QLatin1Char('/') + QLatin1String(name))) << name;
    }
    QStringList files() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    test::TestEnv env;
    QString folder;
};

} // namespace

TEST_F(BerryRenameTest, ProposalsFromTheDatabaseAndTheFontFiles)
{
    copyAs("utmr8a.pfb", "n021003l.pfb");      // a vendor file name the database knows
    copyAs("utmr8a.afm", "N021003L.AFM");
    copyAs("utmb8a.pfb", "TimesBold.pfb");     // only the PostScript name inside is known
    copyAs("uhvr8a.pfb", "helv.pfa");          // read as a PFA: the same cleartext line
    env.writeFile(QStringLiteral("fonts/Foo.afm"), "StartFontMetrics 2.0\nFontName Foo-Bold\nFamilyName Foo\n");
    env.writeFile(QStringLiteral("fonts/Foo.pfb"), "/FontName /Other-Name def\n");
    env.writeFile(QStringLiteral("fonts/nothing.pfb"), "no name here\n");
    for (const char* junk : {"a.b.afm", "README", ".DS_Store", "._Font.afm", "notes.txt", "sub/inner.pfb"})
        env.writeFile(QStringLiteral("fonts/") + QLatin1String(junk), "x");

    const BerryFolderScan scan = scanFontFolder(folder);
    // A base name is spelled as its first file in the folder's (byte) order.
    EXPECT_EQ(scan.slst, (QStringList{"Foo", "helv", "N021003L", "nothing", "TimesBold"}));
    EXPECT_EQ(scan.proposals, (QStringList{"Foo-Bold", "uhvr8a", "utmr8a", "", "utmb8a"}));
    QStringList fn = scan.fn;
    fn.sort();
    EXPECT_EQ(fn, (QStringList{"Foo.afm", "Foo.pfb", "N021003L.AFM", "TimesBold.pfb", "helv.pfa", "n021003l.pfb",
                               "nothing.pfb"}));
}

TEST_F(BerryRenameTest, RenamesKeepExtensionsInLowerCaseAndNeverOverwrite)
{
    copyAs("utmr8a.pfb", "n021003l.pfb");
    copyAs("utmr8a.afm", "N021003L.AFM");
    env.writeFile(QStringLiteral("fonts/Times.AFM"), "Times afm");
    env.writeFile(QStringLiteral("fonts/times.pfb"), "Times pfb");
    env.writeFile(QStringLiteral("fonts/keep.pfb"), "keep");
    env.writeFile(QStringLiteral("fonts/taken.pfb"), "taken");
    env.writeFile(QStringLiteral("fonts/other.pfb"), "other, already there");
    env.writeFile(QStringLiteral("fonts/slash.pfb"), "slash");
    env.writeFile(QStringLiteral("fonts/long.pfb"), "long");

    const BerryFolderScan scan = scanFontFolder(folder);
    ASSERT_EQ(scan.slst, (QStringList{"keep", "long", "N021003L", "other", "slash", "taken", "Times"}));
    const QStringList names{"  \t", QString(300, QLatin1Char('x')), " utmr8a ", "", "../up", "other", "ptmr8a"};
    const QStringList failed = renameToBerry(folder, scan.fn, scan.slst, names);

    EXPECT_EQ(files(), (QStringList{"keep.pfb", "long.pfb", "other.pfb", "ptmr8a.afm", "ptmr8a.pfb", "slash.pfb",
                                    "taken.pfb", "utmr8a.afm", "utmr8a.pfb"}));
    QFile other(folder + QStringLiteral("/other.pfb"));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), QByteArray("other, already there"));
    ASSERT_EQ(failed.size(), 3) << failed.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(failed.at(0).startsWith(QLatin1String("long.pfb: could not be renamed to xxx")));
    EXPECT_EQ(failed.at(1), QStringLiteral("slash.pfb: the name ../up may not hold \"/\""));
    EXPECT_EQ(failed.at(2), QStringLiteral("taken.pfb: other.pfb exists already"));
    EXPECT_FALSE(QFile::exists(env.root() + QStringLiteral("/up.pfb")));
}

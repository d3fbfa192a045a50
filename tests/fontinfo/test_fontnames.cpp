#include "Fixtures.h"

#include "fontinfo/FontDB.h"
#include "fontinfo/FontNames.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "support/TestEnv.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

// Each test connects the database the build made.
class BuiltDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        ASSERT_TRUE(connectFontDB(test::builtDatabase(), &why)) << why.toStdString();
    }
    void TearDown() override { disconnectFontDB(); }
    test::TestEnv env;
};

} // namespace

TEST_F(BuiltDatabase, AnswersSuppliersTypefacesAndVariants)
{
    EXPECT_EQ(supplierName(QStringLiteral("p")), QStringLiteral("adobe"));
    EXPECT_EQ(supplierName(QStringLiteral("u")), QStringLiteral("urw"));
    EXPECT_EQ(supplierName(QStringLiteral("!")), QString());
    EXPECT_EQ(typefaceName(QStringLiteral("tm")), QStringLiteral("Times"));
    EXPECT_EQ(typefaceName(QStringLiteral("tm ")), QStringLiteral("Times"));
    EXPECT_EQ(variantNames(QStringLiteral("i")), QStringLiteral("Italic Kursiv Ital"));
    EXPECT_EQ(variantNames(QStringLiteral("8t")), QStringLiteral("ECEncoding CorkEncoding"));
}

TEST_F(BuiltDatabase, BerryNameForFileAndPostScriptNames)
{
    const struct {
        const char* name;
        const char* berry;
    } cases[] = {
        {"tir_____", "ptmr8a"},    // Adobe's own file name; underscores are stored as "~"
        {"Times-Roman", "ptmr8a"}, // PostScript name
        {" tir_____ ", "ptmr8a"},  // blanks around the name
        {"TIR_____", "ptmr8a"},    // file names match without regard to case
        {"n021003l", "utmr8a"},    // URW
        {"NimbusRomNo9L-Regu", "utmr8a"},
        {"tir", ""},               // only whole names match
        {"no-such-font", ""},
        {"", ""},
        {"it's", ""},              // a quote is data, not SQL
        {"%", ""},                 // and so is a wildcard
        {"tir%", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(berryNameFor(QString::fromUtf8(c.name)), QString::fromUtf8(c.berry)) << c.name;
}

TEST_F(BuiltDatabase, IsOpenedReadOnly)
{
    char* err = nullptr;
    EXPECT_NE(sqlite3_exec(fontDB, "DELETE FROM Suppliers", nullptr, nullptr, &err), SQLITE_OK);
    sqlite3_free(err);
    EXPECT_EQ(supplierName(QStringLiteral("p")), QStringLiteral("adobe"));
}

TEST(SupplierName, FiveFollowsTheFontsitePreference)
{
    test::TestEnv env;
    // No database is needed: "5" is answered without a query.
    disconnectFontDB();
    EXPECT_EQ(supplierName(QStringLiteral("5")), QStringLiteral("fontsite")); // never set: default 1
    setpref(QStringLiteral("useFontsite"), 0);
    EXPECT_EQ(supplierName(QStringLiteral("5")), QStringLiteral("softmake"));
    setpref(QStringLiteral("UseFontsite"), 1);
    EXPECT_EQ(supplierName(QStringLiteral("5")), QStringLiteral("fontsite"));
}

TEST(BerryNameFor, FileNameMatchWinsAndWordsOfSeveralFileNamesMatch)
{
    test::TestEnv env;
    test::FixtureDb db;
    db.fontFile(QStringLiteral("pabr8a"), QStringLiteral("shared"), QStringLiteral("ab~~~~~~"));
    db.fontFile(QStringLiteral("pxyr8a"), QStringLiteral("Xy-Roman"), QStringLiteral("shared"));
    db.fontFile(QStringLiteral("pmnr8a"), QStringLiteral("Mn-Roman"), QStringLiteral("first mid last"));
    db.fontFile(QStringLiteral("pabr8a2"), QStringLiteral("Ab-Roman"), QStringLiteral("ab~~~~~~"));
    db.connect();
    const struct {
        const char* name;
        const char* berry;
    } cases[] = {
        {"shared", "pxyr8a"},  // the FilFName row, although the FilPSName row came first
        {"ab______", "pabr8a"}, // the first of two rows
        {"first", "pmnr8a"},
        {"last", "pmnr8a"},
        {"mid", ""},            // neither the whole, the first nor the last word
        {"Mn-Roman", "pmnr8a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(berryNameFor(QString::fromUtf8(c.name)), QString::fromUtf8(c.berry)) << c.name;
}

TEST(TypefaceName, ThreeLettersReadFontFilesOtherLengthsNothing)
{
    test::TestEnv env;
    test::FixtureDb db;
    db.typeface(QStringLiteral("ab"), QStringLiteral("Abc"));
    db.typeface(QStringLiteral("_b"), QStringLiteral("Underscore"));
    db.fontFile(QStringLiteral("5abr8a"), QStringLiteral("AbcSoft-Regular"), QString());
    db.fontFile(QStringLiteral("5abb8a"), QStringLiteral("AbcSoft-Bold"), QString());
    db.connect();
    EXPECT_EQ(typefaceName(QStringLiteral("ab")), QStringLiteral("Abc"));
    EXPECT_EQ(typefaceName(QStringLiteral(" ab ")), QStringLiteral("Abc"));
    EXPECT_EQ(typefaceName(QStringLiteral("5ab")), QStringLiteral("AbcSoft-Regular"));
    EXPECT_EQ(typefaceName(QStringLiteral("5_b")), QString()); // "_" is no wildcard
    for (const char* code : {"", "  ", "a", "5abr", "5abr8a"})
        EXPECT_EQ(typefaceName(QString::fromUtf8(code)), QString()) << code;
}

TEST(WeightNames, FixedTableIgnoringCase)
{
    const struct {
        const char* code;
        const char* names;
    } cases[] = {
        {"r", "Regular\tRoman\tNormal"}, {"R", "Regular\tRoman\tNormal"},
        {"a", "Thin\tHairline"},         {"h", "Heavy\tHeavyface"},
        {"x", "ExtraBold\tExtraBlack"},  {"b", "Bold"},
        {"k", "Book"},                   {"j", "ExtraLight"},
        {"e", ""},                       {" ", ""},
        {"5", ""},                       {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(weightNames(QString::fromUtf8(c.code)), QString::fromUtf8(c.names)) << c.code;
}

TEST(IsDigit, FirstCharacterOnly)
{
    EXPECT_TRUE(isDigit(QStringLiteral("8t")));
    EXPECT_TRUE(isDigit(QStringLiteral("0")));
    EXPECT_FALSE(isDigit(QStringLiteral("t8")));
    EXPECT_FALSE(isDigit(QString()));
}

TEST(IsException, ListedNamesIgnoringCaseNeverTheEmptyName)
{
    test::TestEnv env;
    const QString app = env.root() + QStringLiteral("/app");
    setAppFolderForTesting(app);
    EXPECT_FALSE(isException(QStringLiteral("cmr10"))); // no file at all

    env.writeFile(QStringLiteral("app/Exceptions.txt"), "cmr10\n\nmsam10\n");
    EXPECT_TRUE(isException(QStringLiteral("cmr10")));
    EXPECT_TRUE(isException(QStringLiteral("CMR10")));
    EXPECT_TRUE(isException(QStringLiteral("msam10")));
    EXPECT_FALSE(isException(QStringLiteral("cmr")));
    EXPECT_FALSE(isException(QStringLiteral("cmr10 ")));
    // Neither the empty line nor the piece after the last line end lists "".
    EXPECT_FALSE(isException(QString()));

    // CR LF lines match only through a last line without a line end.
    env.writeFile(QStringLiteral("app/Exceptions.txt"), "cmr10\r\nmsam10");
    EXPECT_FALSE(isException(QStringLiteral("cmr10")));
    EXPECT_TRUE(isException(QStringLiteral("msam10")));
}

TEST(IsException, TheBuiltListHoldsTheNonstandardNames)
{
    test::TestEnv env;
    setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
    for (const char* name : {"cmr10", "cmbx12", "msam10", "wasy5", "cmssbi"})
        EXPECT_TRUE(isException(QString::fromUtf8(name))) << name;
    for (const char* name : {"ptmr8t", "", "utmr8a"})
        EXPECT_FALSE(isException(QString::fromUtf8(name))) << name;
}

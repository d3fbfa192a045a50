#include "Fixtures.h"

#include "fontinfo/BerryName.h"
#include "fontinfo/FontDB.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using namespace qlk;

namespace {

const char* const kRegular = "Regular\tRoman\tNormal";

// One decoding: the name and every key it must leave, "key=value" with lists
// written "a|b". Keys not listed must be absent.
struct Case {
    const char* name;
    std::vector<const char*> keys;
};

void expectDecoded(const Case& c)
{
    BerryNameInfo info;
    parseBerryName(QString::fromUtf8(c.name), info);
    QStringList expectedKeys;
    for (const char* kv : c.keys) {
        const QString s = QString::fromUtf8(kv);
        const QString key = s.section(QLatin1Char('='), 0, 0);
        const QString value = s.section(QLatin1Char('='), 1);
        expectedKeys << key.toLower();
        ASSERT_TRUE(info.contains(key)) << c.name << ": missing " << key.toStdString();
        if (key == QLatin1String("vr") || key == QLatin1String("vrv"))
            EXPECT_EQ(info.list(key).join(QLatin1Char('|')), value) << c.name << " " << key.toStdString();
        else
            EXPECT_EQ(info.text(key), value) << c.name << " " << key.toStdString();
    }
    for (const QString& key : info.keys())
        EXPECT_TRUE(expectedKeys.contains(key.toLower()))
            << c.name << ": unexpected " << key.toStdString() << "=" << info.text(key).toStdString();
}

} // namespace

TEST(ParseBerryName, WorkedExamplesAndEdgeCases)
{
    test::TestEnv env;
    env.writeFile(QStringLiteral("app/Exceptions.txt"), "cmr10\nodd_name\n");
    setAppFolderForTesting(env.root() + QStringLiteral("/app"));
    test::FixtureDb db;
    db.supplier(QStringLiteral("p"), QStringLiteral("adobe"));
    db.supplier(QStringLiteral("Q"), QStringLiteral("capital"));
    db.typeface(QStringLiteral("tm"), QStringLiteral("Times"));
    db.variant(QStringLiteral("i"), QStringLiteral("Italic"));
    db.variant(QStringLiteral("c"), QStringLiteral("SmallCaps"));
    db.variant(QStringLiteral("1"), QStringLiteral("superior"));
    db.variant(QStringLiteral("5a"), QStringLiteral("PhoneticAlternate"));
    db.variant(QStringLiteral("5A"), QStringLiteral("CapitalA"));
    db.fontFile(QStringLiteral("5abr8a"), QStringLiteral("AbcSoft-Regular"), QString());
    db.connect();

    const std::string reg = std::string("Weight=") + kRegular;
    const char* w = reg.c_str();
    const std::vector<Case> cases = {
        {"ptmri8t10", {"OK=Y", "orig=ptmri8t10", "size=10", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                       "Family=Times", "WeightCode=r", w, "vlist=i", "Encoding=8t", "vr=i", "vrv=Italic"}},
        {"ptmr8t", {"OK=Y", "orig=ptmr8t", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm", "Family=Times",
                    "WeightCode=r", w, "vlist=", "Encoding=8t"}},
        {"ptmr", {"OK=Y", "orig=ptmr", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm", "Family=Times",
                  "WeightCode=r", w}},
        {" p_tm_r8t ", {"OK=Y", "orig=ptmr8t", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                        "Family=Times", "WeightCode=r", w, "vlist=", "Encoding=8t"}},
        {"ptmr7", {"OK=Y", "orig=ptmr7", "size=7", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                   "Family=Times", "WeightCode=r", w}},
        {"ptmr8t12", {"OK=Y", "orig=ptmr8t12", "size=12", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                      "Family=Times", "WeightCode=r", w, "vlist=", "Encoding=8t"}},
        // 88: only the last 8 is the size; the other is a tail of one digit.
        {"ptmr88", {"OK=N", "orig=ptmr88", "size=8", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                    "Family=Times", "WeightCode=r", w, "vlist=",
                    "ErrorMsg=Digit 8 at end of name not understood"}},
        {"p", {"OK=N", "orig=p", "SupplierCode=p", "Supplier=adobe", "FamilyCode=  ", "Family=Unrecognized",
               "Remarks=Unrecognized Font Family ID: '  '", "WeightCode= ",
               "ErrorMsg=Unrecognized Font Weight ID: ' '"}},
        {"", {"OK=N", "orig=", "SupplierCode= ", "ErrorMsg=Unrecognized supplier ID: ' '"}},
        {"xtmr8t", {"OK=N", "orig=xtmr8t", "SupplierCode=x", "ErrorMsg=Unrecognized supplier ID: 'x'"}},
        // The supplier lookup compares as the database does; z is no lookup.
        {"Ptmr8t", {"OK=N", "orig=Ptmr8t", "SupplierCode=P", "ErrorMsg=Unrecognized supplier ID: 'P'"}},
        {"ztmr8t", {"OK=Y", "orig=ztmr8t", "SupplierCode=z", "Supplier=-", "Family=-", "WeightCode=r", w,
                    "vlist=", "Encoding=8t"}},
        {"Zqqb", {"OK=Y", "orig=Zqqb", "SupplierCode=Z", "Supplier=-", "Family=-", "WeightCode=b",
                  "Weight=Bold"}},
        {"5abr8a", {"OK=Y", "orig=5abr8a", "SupplierCode=5", "Supplier=fontsite", "FamilyCode=ab",
                    "Family=AbcSoft-Regular", "WeightCode=r", w, "vlist=", "Encoding=8a"}},
        {"pqqr8t", {"OK=Y", "orig=pqqr8t", "SupplierCode=p", "Supplier=adobe", "FamilyCode=qq",
                    "Family=Unrecognized", "Remarks=Unrecognized Font Family ID: 'qq'", "WeightCode=r", w,
                    "vlist=", "Encoding=8t"}},
        {"ptmq8t", {"OK=N", "orig=ptmq8t", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm", "Family=Times",
                    "WeightCode=q", "ErrorMsg=Unrecognized Font Weight ID: 'q'"}},
        {"ptmR8t", {"OK=Y", "orig=ptmR8t", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm", "Family=Times",
                    "WeightCode=R", w, "vlist=", "Encoding=8t"}},
        {"ptmr5a8t", {"OK=Y", "orig=ptmr5a8t", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                      "Family=Times", "WeightCode=r", w, "vlist=5a", "Encoding=8t", "vr=5a",
                      "vrv=PhoneticAlternate"}},
        {"ptmr5A8t", {"OK=Y", "orig=ptmr5A8t", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                      "Family=Times", "WeightCode=r", w, "vlist=5A", "Encoding=8t", "vr=5A", "vrv=CapitalA"}},
        {"ptmr5q8t", {"OK=N", "orig=ptmr5q8t", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                      "Family=Times", "WeightCode=r", w, "vlist=5q", "Encoding=8t",
                      "ErrorMsg=UnknownVariant: '5q'"}},
        // A digit 5-9 closing the variant part stands alone, and no letter set takes it.
        {"ptmr58t", {"OK=N", "orig=ptmr58t", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                     "Family=Times", "WeightCode=r", w, "vlist=5", "Encoding=8t",
                     "ErrorMsg=UnknownVariant: '5'"}},
        // Digits 0-4 are codes of their own; names unknown to the database are empty.
        {"ptmr1ci8t", {"OK=Y", "orig=ptmr1ci8t", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                       "Family=Times", "WeightCode=r", w, "vlist=1ci", "Encoding=8t", "vr=1|c|i",
                       "vrv=superior|SmallCaps|Italic"}},
        {"ptmrq", {"OK=Y", "orig=ptmrq", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm", "Family=Times",
                   "WeightCode=r", w, "vlist=q", "vr=q", "vrv="}},
        {"ptmr8tx", {"OK=Y", "orig=ptmr8tx", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                     "Family=Times", "WeightCode=r", w, "vlist=", "Encoding=8t", "endvalues="}},
        {"ptmr8txy", {"OK=Y", "orig=ptmr8txy", "SupplierCode=p", "Supplier=adobe", "FamilyCode=tm",
                      "Family=Times", "WeightCode=r", w, "vlist=", "Encoding=8t", "endvalues=y"}},
        // No length limit.
        {"ptmrcicici8tzzz", {"OK=Y", "orig=ptmrcicici8tzzz", "SupplierCode=p", "Supplier=adobe",
                             "FamilyCode=tm", "Family=Times", "WeightCode=r", w, "vlist=cicici", "Encoding=8t",
                             "endvalues=zz", "vr=c|i|c|i|c|i",
                             "vrv=SmallCaps|Italic|SmallCaps|Italic|SmallCaps|Italic"}},
        // Exceptions: only "OK" and "orig", whatever the letters; "_" is removed first.
        {"CMR10", {"OK=Y", "orig=CMR10"}},
        {"oddname", {"OK=N", "orig=oddname", "SupplierCode=o", "ErrorMsg=Unrecognized supplier ID: 'o'"}},
        {"odd_name", {"OK=N", "orig=oddname", "SupplierCode=o", "ErrorMsg=Unrecognized supplier ID: 'o'"}},
    };
    for (const Case& c : cases)
        expectDecoded(c);

    setpref(QStringLiteral("useFontsite"), 0);
    BerryNameInfo info;
    parseBerryName(QStringLiteral("5abr8a"), info);
    EXPECT_EQ(info.text(QStringLiteral("supplier")), QStringLiteral("softmake"));
}

TEST(ParseBerryName, EmptyNameIsNoExceptionEvenWhenTheListEndsInALineEnd)
{
    test::TestEnv env;
    env.writeFile(QStringLiteral("app/Exceptions.txt"), "cmr10\n\n");
    setAppFolderForTesting(env.root() + QStringLiteral("/app"));
    test::FixtureDb db;
    db.connect();
    BerryNameInfo info;
    parseBerryName(QString(), info);
    EXPECT_EQ(info.text(QStringLiteral("OK")), QStringLiteral("N"));
    EXPECT_EQ(info.text(QStringLiteral("ErrorMsg")), QStringLiteral("Unrecognized supplier ID: ' '"));
}

TEST(ParseBerryName, OnTheBuiltDatabase)
{
    test::TestEnv env;
    setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
    ASSERT_TRUE(connectFontDB(test::builtDatabase()));
    BerryNameInfo info;
    parseBerryName(QStringLiteral("ptmri8t10"), info);
    EXPECT_EQ(info.text(QStringLiteral("OK")), QStringLiteral("Y"));
    EXPECT_EQ(info.text(QStringLiteral("Supplier")), QStringLiteral("adobe"));
    EXPECT_EQ(info.text(QStringLiteral("Family")), QStringLiteral("Times"));
    EXPECT_EQ(info.list(QStringLiteral("vrv")), QStringList{QStringLiteral("Italic Kursiv Ital")});
    // The caller's fallbacks for absent keys.
    BerryNameInfo cm;
    parseBerryName(QStringLiteral("cmr10"), cm);
    EXPECT_EQ(cm.text(QStringLiteral("OK")), QStringLiteral("Y"));
    EXPECT_EQ(cm.text(QStringLiteral("WeightCode"), QStringLiteral("m")), QStringLiteral("m"));
    disconnectFontDB();
}

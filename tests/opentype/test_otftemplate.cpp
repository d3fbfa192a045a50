#include "opentype/common/OtfTemplate.h"

#include <gtest/gtest.h>

using namespace qlk;

namespace {

// A template with every marker once, in order, with text around each.
QString wellFormed()
{
    const QStringList m = otfinstMarkers();
    QString t = QStringLiteral("#!/usr/bin/env python3\r\nimport os\n");
    const QStringList between{"enc = 'T1'\n", "\nx = 1\n", "dir = '/'\n", "\n", "berryname = {}\n",
                              "\n", "scaled = {}\n", "\ntail()\n"};
    for (int i = 0; i < 8; ++i)
        t += m.at(i) + between.at(i);
    return t;
}

} // namespace

TEST(OtfTemplate, CutGivesNinePiecesThatRebuildTheFile)
{
    const QString text = wellFormed();
    const TemplateCut cut = cutTemplate(text, otfinstMarkers());
    ASSERT_TRUE(cut.ok()) << cut.badMarker.toStdString();
    ASSERT_EQ(cut.pieces.size(), 9);
    QString rebuilt = cut.pieces.at(0);
    for (int i = 0; i < 8; ++i)
        rebuilt += otfinstMarkers().at(i) + cut.pieces.at(i + 1);
    EXPECT_EQ(rebuilt, text);
    EXPECT_EQ(cut.pieces.at(0), QStringLiteral("#!/usr/bin/env python3\r\nimport os\n"));
    EXPECT_EQ(cut.pieces.at(8), QStringLiteral("\ntail()\n"));
}

TEST(OtfTemplate, MarkerFaultsNameTheMarker)
{
    const QStringList m = otfinstMarkers();
    struct Case {
        QString text;
        const char* bad;
    };
    QString swapped = wellFormed();
    swapped.replace(m.at(0), QStringLiteral("@@")).replace(m.at(1), m.at(0)).replace(QStringLiteral("@@"), m.at(1));
    QString doubled = wellFormed();
    doubled.replace(m.at(4), m.at(4) + QStringLiteral("\n") + m.at(4));
    QString missing = wellFormed();
    missing.remove(m.at(7));
    const QList<Case> cases{
        {swapped, "###endencodingmarker"},
        {doubled, "###berrynamemarker"},
        {missing, "###endscaledmarker"},
    };
    for (const Case& c : cases) {
        const TemplateCut cut = cutTemplate(c.text, m);
        EXPECT_EQ(cut.badMarker, QLatin1String(c.bad));
    }
    // A later marker written before the first one is plain text of piece 0.
    const TemplateCut early = cutTemplate(QStringLiteral("# see ") + m.at(6) + QStringLiteral("\n") + wellFormed(), m);
    ASSERT_TRUE(early.ok());
    EXPECT_TRUE(early.pieces.at(0).contains(m.at(6)));
}

TEST(OtfTemplate, TablesReadAsTheirSyntaxSays)
{
    QStringList keys, values;
    readTemplateTable(QStringLiteral("# comment\nberryname = { 'Libra Serif' : 'lbs',\n"
                                     "          \"Libra Sans\":\"lbn\",\n          }\nother = {'x':'y'}\n"),
                      true, keys, values);
    EXPECT_EQ(keys, (QStringList{"Libra Serif", "Libra Sans"}));
    EXPECT_EQ(values, (QStringList{"lbs", "lbn"}));

    QStringList sk, sv;
    readTemplateTable(QStringLiteral("scaled = { 'Libra Serif' : 1.05, 'Quoted' : '0.9', Libra : 2 : x }"), false, sk,
                      sv);
    // Scale values stay as written; a key without quotes loses its ends.
    EXPECT_EQ(sk, (QStringList{"Libra Serif", "Quoted", "ibr"}));
    EXPECT_EQ(sv, (QStringList{"1.05", "'0.9'", "2"}));

    // The lists grow with every reading; no "}" reads nothing.
    readTemplateTable(QStringLiteral("scaled = { 'A' : 1.0"), false, sk, sv);
    EXPECT_EQ(sk.size(), 3);
}

TEST(OtfTemplate, ParseurlAndShortform)
{
    const QList<QPair<const char*, const char*>> urls{
        {"http://www.maker.com", "maker"},
        {"https://www.maker.com.au/fonts/x.html", "maker"},
        {"maker.de", "maker"},
        {"www.maker.co.uk", "co"},
        {"http://dejavu.sourceforge.net", "sourceforge"},
        {"adobe", "adobe"},
        {"", ""},
        {"com.au", ""},
    };
    for (const auto& u : urls)
        EXPECT_EQ(parseurl(QLatin1String(u.first)), QLatin1String(u.second)) << u.first;

    const QList<QPair<const char*, const char*>> names{
        {"Libra Serif Pro", "libraserif"}, {"Libra Std Pro", "libra"}, {"Libra Pro Std", "librapro"},
        {"TeX Gyre Pagella", "texgyrepagella"}, {"Minion pro", "minion"}, {"Pro", "pro"},
    };
    for (const auto& n : names)
        EXPECT_EQ(shortform(QLatin1String(n.first)), QLatin1String(n.second)) << n.first;
}

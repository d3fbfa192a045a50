#include "fontinfo/DviListing.h"

#include "DviBytes.h"
#include "Print.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qlk;
using qlk::test::DviBytes;

namespace {

// Rows as "opcode|label|text" lines, readable in a failure report.
std::vector<std::string> lines(const QList<DviRow>& rows)
{
    std::vector<std::string> out;
    for (const DviRow& r : rows)
        out.push_back((QString::number(r.opcode) + QLatin1Char('|') + r.label + QLatin1Char('|') + r.text)
                          .toStdString());
    return out;
}

std::vector<std::string> lines(std::initializer_list<const char*> expected)
{
    std::vector<std::string> out;
    for (const char* e : expected)
        out.push_back(QString::fromUtf8(e).toStdString());
    return out;
}

// A tiny document typeset by the real tex: a font at its design size, the
// same font at twice that, and the page number in the first.
QString typesetTiny(const QString& folder)
{
    QFile tex(folder + QStringLiteral("/tiny.tex"));
    if (!tex.open(QIODevice::WriteOnly))
        return QString();
    tex.write("\\font\\big=cmr10 at 20pt\nHi {\\big Yo}\\bye\n");
    tex.close();
    const ProcessResult r = runBash(QStringLiteral("cd ") + shellQuote(folder) +
                                    QStringLiteral(" && tex -interaction=batchmode tiny.tex"));
    return r.exitCode == 0 ? folder + QStringLiteral("/tiny.dvi") : QString();
}

QString preComment(const QByteArray& dvi)
{
    return QString::fromLatin1(dvi.mid(15, quint8(dvi.at(14))));
}

} // namespace

TEST(DviListing, FileTypesetByTexListsEveryInstructionInFull)
{
    test::TestEnv env;
    const QString dvi = typesetTiny(env.root());
    ASSERT_FALSE(dvi.isEmpty());
    QFile f(dvi);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString comment = preComment(f.readAll());
    ASSERT_TRUE(comment.startsWith(QLatin1String(" TeX output ")));

    const DviListing l = listDviFile(dvi, false);
    EXPECT_TRUE(l.error.isEmpty()) << l.error.toStdString();
    std::vector<std::string> expected{("247|pre|" + comment).toStdString()};
    for (const auto& s : lines({"139|bop|", "141|push|", "159|dn3|", "142|pop|", "160|dn4|", "141|push|",
                                "160|dn4|", "141|push|", "145|mvrt|", "243|fdef1(0)|cmr10*1000",
                                "171|usefnt(0)|Hi", "145|mvrt|", "243|fdef1(50)|cmr10*2000",
                                "221|usefnt(50)|Y", "145|mvrt|o", "142|pop|", "142|pop|", "159|dn3|",
                                "141|push|", "146|mvrt|", "171|usefnt(0)|1", "142|pop|", "140|eop|",
                                "248|post|", "243|fdef1(50)|cmr10*2000", "243|fdef1(0)|cmr10*1000",
                                "249|post_post|"}))
        expected.push_back(s);
    EXPECT_EQ(lines(l.rows), expected);
}

TEST(DviListing, FileTypesetByTexListsFontChangesWithTheTextSetInThem)
{
    test::TestEnv env;
    const QString dvi = typesetTiny(env.root());
    ASSERT_FALSE(dvi.isEmpty());
    QFile f(dvi);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString comment = preComment(f.readAll());

    const DviListing l = listDviFile(dvi, true);
    EXPECT_TRUE(l.error.isEmpty());
    std::vector<std::string> expected{("247|pre|" + comment).toStdString()};
    for (const auto& s : lines({"139|bop|", "243|fdef1(0)|cmr10*1000", "171|usefnt(0)|Hi",
                                "243|fdef1(50)|cmr10*2000", "221|usefnt(50)|Yo", "171|usefnt(0)|1",
                                "140|eop|", "248|post|", "243|fdef1(50)|cmr10*2000",
                                "243|fdef1(0)|cmr10*1000", "249|post_post|"}))
        expected.push_back(s);
    EXPECT_EQ(lines(l.rows), expected);
}

TEST(DviListing, ParameterWidthsOfEveryInstruction)
{
    // Each instruction, its parameters, then the character "A": when the
    // reader takes the wrong number of bytes, the "A" goes missing or a
    // parameter byte turns up as a character or an instruction.
    struct Case {
        QByteArray bytes;
        const char* row;
    };
    const QList<Case> cases{
        {DviBytes().op(132).word(1).word(2).data(), "132|set_rule|A"},
        {DviBytes().op(137).word(1).word(2).data(), "137|put_rule|A"},
        {DviBytes().op(140).data(), "140|eop|A"},
        {DviBytes().op(141).data(), "141|push|A"},
        {DviBytes().op(142).data(), "142|pop|A"},
        {DviBytes().op(143).bytes({65}).data(), "143|mvrt|A"},
        {DviBytes().op(146).bytes({66, 66, 66, 66}).data(), "146|mvrt|A"},
        {DviBytes().op(147).data(), "147|w0|A"},
        {DviBytes().op(149).bytes({66, 66}).data(), "149|w2|A"},
        {DviBytes().op(152).data(), "152|x0|A"},
        {DviBytes().op(156).bytes({66, 66, 66, 66}).data(), "156|x4|A"},
        {DviBytes().op(157).bytes({66}).data(), "157|dn1|A"},
        {DviBytes().op(160).bytes({66, 66, 66, 66}).data(), "160|dn4|A"},
        {DviBytes().op(161).data(), "161|y0|A"},
        {DviBytes().op(163).bytes({66, 66}).data(), "163|y2|A"},
        {DviBytes().op(166).data(), "166|z0|A"},
        {DviBytes().op(170).bytes({66, 66, 66, 66}).data(), "170|z4|A"},
        {DviBytes().op(171).data(), "171|usefnt(0)|A"},
        {DviBytes().op(234).data(), "234|usefnt(63)|A"},
        {DviBytes().op(235).bytes({7}).data(), "235|usefnt1(7)|A"},
        {DviBytes().op(236).num(300, 2).data(), "236|usefnt2(300)|A"},
        {DviBytes().op(237).num(70000, 3).data(), "237|usefnt3(70000)|A"},
        {DviBytes().op(238).word(-1).data(), "238|usefnt4(-1)|A"},
        {DviBytes().op(239).bytes({0}).data(), "239|xxx1|A"},
        {DviBytes().op(239).bytes({3}).text("B\x80\xff").data(), "239|xxx1|A"},
        {DviBytes().op(240).num(2, 2).text("BB").data(), "240|xxx2|A"},
        {DviBytes().op(242).word(1).text("B").data(), "242|xxx4|A"},
        {DviBytes().op(139).bytes({}).data() + QByteArray(44, 'B'), "139|bop|A"},
        {DviBytes().post().data(), "248|post|A"},
        {DviBytes().op(250).data(), "250||A"},
        {DviBytes().op(255).data(), "255||A"},
        // The whole character code of set and put instructions.
        {DviBytes().op(128).bytes({200}).data(), "128||ÈA"},
        {DviBytes().op(129).bytes({1, 65}).data(), "129||ŁA"},
        {DviBytes().op(130).num(0x1D49C, 3).data(), "130||\xF0\x9D\x92\x9C" "A"},
        {DviBytes().op(131).word(0x41).data(), "131||AA"},
        {DviBytes().op(131).word(-1).data(), "131||\xEF\xBF\xBD" "A"},
        {DviBytes().op(133).bytes({66}).data(), "133||BA"},
        {DviBytes().op(134).bytes({0, 66}).data(), "134||BA"},
        {DviBytes().op(136).word(0xE9).data(), "136||éA"},
        // Font definitions: name, "*" and 1000 * s / d.
        {DviBytes().fntDef1(3, 10 << 16, 10 << 16, "cmr10").data(), "243|fdef1(3)|cmr10*1000A"},
        {DviBytes().fntDef1(3, 36 << 16, 10 << 16, "ptmr8t").data(), "243|fdef1(3)|ptmr8t*3600A"},
        {DviBytes().fntDef1(3, 5, 0, "zero").data(), "243|fdef1(3)|zero*0A"},
        {DviBytes().fntDef1(3, -1, 3, "neg").data(), "243|fdef1(3)|neg*-333A"},
        {DviBytes().fntDef1(9, 1, 1, "cmr10", "/some/area/").data(), "243|fdef1(9)|cmr10*1000A"},
        {DviBytes().op(246).word(-2).word(0).word(1).word(1).bytes({0, 1}).text("f").data(),
         "246|fdef4(-2)|f*1000A"},
    };
    for (const Case& c : cases) {
        const QByteArray data = c.bytes + "A";
        const DviListing l = listDvi(data, false);
        EXPECT_TRUE(l.error.isEmpty()) << c.row;
        EXPECT_EQ(lines(l.rows), lines({c.row})) << c.row;
    }
}

TEST(DviListing, NopsPreambleCommentAndCharactersBeforeTheFirstRow)
{
    const QByteArray data = DviBytes()
                                .text("lost")             // before any row: dropped
                                .op(138)
                                .pre(QByteArray("a\x8b\xff" "b")) // comment bytes are text, not opcodes
                                .op(138)
                                .text("x")
                                .op(138)
                                .text("y")
                                .bop()
                                .op(138)
                                .op(138)
                                .op(140)
                                .data();
    EXPECT_EQ(lines(listDvi(data, false).rows), lines({"247|pre|a\xc2\x8b\xc3\xbf" "bxy", "139|bop|", "140|eop|"}));
}

TEST(DviListing, FontChangesOnlyRunsTextOnAndSkipsOtherRows)
{
    const QByteArray data = DviBytes()
                                .pre("c")
                                .bop()
                                .op(141)
                                .fntDef1(1, 1, 1, "f")
                                .op(172)
                                .text("ab")
                                .op(143)
                                .bytes({5})
                                .op(133)
                                .bytes({67})
                                .op(132)
                                .word(1)
                                .word(1)
                                .op(239)
                                .bytes({2})
                                .text("zz")
                                .op(129)
                                .num(0x44, 2)
                                .op(250)
                                .text("e")
                                .op(142)
                                .op(140)
                                .op(249)
                                .text("never read")
                                .data();
    EXPECT_EQ(lines(listDvi(data, true).rows),
              lines({"247|pre|c", "139|bop|", "243|fdef1(1)|f*1000", "172|usefnt(1)|abCDe", "140|eop|",
                     "249|post_post|"}));
}

TEST(DviListing, DamagedFilesKeepTheRowsReadAndNeverReadPastTheEnd)
{
    struct Case {
        QByteArray bytes;
        std::vector<std::string> rows;
        bool error;
    };
    const QByteArray head = DviBytes().pre("c").bop().text("Hi").data();
    const QList<Case> cases{
        // Ends cleanly after an instruction: nothing is damaged, the text after
        // the last row stays with it.
        {head, lines({"247|pre|c", "139|bop|Hi"}), false},
        // Ends inside a font definition's name.
        {head + DviBytes().fntDef1(4, 1, 1, "cmr10").data().chopped(2),
         lines({"247|pre|c", "139|bop|Hi", "243|fdef1(4)|cmr"}), true},
        // Ends inside the font number itself.
        {head + DviBytes().op(244).bytes({1}).data(), lines({"247|pre|c", "139|bop|Hi", "244|fdef2|"}), true},
        // A special whose length runs far past the end.
        {head + DviBytes().op(242).word(0x7fffffff).text("abc").data(),
         lines({"247|pre|c", "139|bop|Hi", "242|xxx4|"}), true},
        {head + DviBytes().op(242).word(-1).data(), lines({"247|pre|c", "139|bop|Hi", "242|xxx4|"}), true},
        // bop, set4, a preamble comment and rules cut short.
        {DviBytes().pre("c").op(139).word(1).data(), lines({"247|pre|c", "139|bop|"}), true},
        {head + DviBytes().op(131).bytes({0, 0}).data(), lines({"247|pre|c", "139|bop|Hi", "131||"}), true},
        {DviBytes().op(247).op(2).word(1).word(1).word(1).op(40).text("short").data(), lines({"247|pre|short"}), true},
        {head + DviBytes().op(137).word(1).data(), lines({"247|pre|c", "139|bop|Hi", "137|put_rule|"}), true},
        {QByteArray(), {}, false},
    };
    for (const Case& c : cases) {
        const DviListing l = listDvi(c.bytes, false);
        EXPECT_EQ(lines(l.rows), c.rows);
        EXPECT_EQ(!l.error.isEmpty(), c.error) << l.error.toStdString();
    }
    const DviListing cut = listDvi(head + DviBytes().op(243).data(), false);
    EXPECT_EQ(cut.error.toStdString(),
              "The DVI file ends early: the instruction 243 at byte 63 is cut short at byte 64. "
              "The listing shows what was read up to there.");
}

TEST(DviListing, MissingFileGivesAMessageAndNoRows)
{
    test::TestEnv env;
    const DviListing l = listDviFile(env.root() + QStringLiteral("/gone.dvi"), false);
    EXPECT_TRUE(l.rows.isEmpty());
    EXPECT_TRUE(l.error.startsWith(QLatin1String("Cannot read the file "))) << l.error.toStdString();
}

TEST(DviListing, SavedLinesEscapeControlCharacters)
{
    const QList<DviRow> rows{{247, QStringLiteral("pre"), QStringLiteral("a\nb\rc\td\x7f") + QChar(0x85) + QChar(0xe9)},
                             {139, QStringLiteral("bop"), QString()},
                             {171, QStringLiteral("usefnt(0)"), QStringLiteral("^x\\")}};
    EXPECT_EQ(listingText(rows).toStdString(),
              "247\tpre\ta^^Jb^^Mc^^Id^^?^^85\xc3\xa9\n139\tbop\t\n171\tusefnt(0)\t^x\\\n");
    EXPECT_EQ(listingText({}), QString());
}

TEST(DviListing, SavedListingOfReadRowsEscapesTheTextAsRead)
{
    // Control characters, C1 codes beside characters whose UTF-8 form looks
    // like them (U+00A0, U+00C2), and rows without text between rows with it.
    const QByteArray dvi = DviBytes()
                               .pre("c\x85\xa0\xc2\x85\x9f")
                               .bop()
                               .bytes({1, 9, 127, 128, 0x85})
                               .op(141)
                               .op(238)
                               .word(-5)
                               .text("x")
                               .op(142)
                               .op(249)
                               .data();
    const DviListing l = listDvi(dvi, false);
    ASSERT_TRUE(l.error.isEmpty()) << l.error.toStdString();
    ASSERT_EQ(l.rows.size(), 7);
    EXPECT_EQ(l.rows.at(0).text, QStringLiteral("c") + QChar(0x85) + QChar(0xa0) + QChar(0xc2) + QChar(0x85) +
                                     QChar(0x9f));
    EXPECT_EQ(l.rows.at(1).text, QStringLiteral("\x01\t\x7f"));
    EXPECT_EQ(l.rows.at(4).label, QStringLiteral("usefnt4(-5)"));
    EXPECT_TRUE(l.rows.at(3).text.isEmpty());

    test::TestEnv env;
    const QString sav = env.root() + QStringLiteral("/x.sav");
    QString error;
    ASSERT_TRUE(writeListing(sav, QString(), l.rows, &error)) << error.toStdString();
    QFile f(sav);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray saved = f.readAll();
    EXPECT_EQ(saved.toStdString(), "247\tpre\tc^^85\xc2\xa0\xc3\x82^^85^^9f\n"
                                   "139\tbop\t^^A^^I^^?\n"
                                   "128\t\t^^85\n"
                                   "141\tpush\t\n"
                                   "238\tusefnt4(-5)\tx\n"
                                   "142\tpop\t\n"
                                   "249\tpost_post\t\n");
    // The same as the rows listed one by one.
    QList<DviRow> rows;
    for (const DviRow& r : l.rows)
        rows.append(r);
    EXPECT_EQ(listingText(rows).toUtf8(), saved);
}

TEST(DviListing, SavedListingNameAndNeverOverwritingTheListedFile)
{
    const QList<QPair<QString, QString>> names{
        {"paper.dvi", "paper.sav"}, {"PAPER.DVI", "PAPER.sav"}, {"thesis", "thesis.sav"},
        {"dvi", "dvi.sav"},         {"a.sav", "a.sav.sav"},     {"x.dvi.bak", "x.dvi.bak.sav"}};
    for (const auto& n : names)
        EXPECT_EQ(savedListingName(n.first), n.second) << n.first.toStdString();

    test::TestEnv env;
    const QString dvi = env.writeFile(QStringLiteral("doc/paper.dvi"), DviBytes().pre("c").data());
    const QList<DviRow> rows{{247, QStringLiteral("pre"), QStringLiteral("c")}};
    QString error;
    EXPECT_FALSE(writeListing(dvi, dvi, rows, &error));
    EXPECT_FALSE(error.isEmpty());
    // Nor through a link that leads to it.
    const QString link = env.root() + QStringLiteral("/doc/paper.sav");
    ASSERT_TRUE(QFile::link(dvi, link));
    EXPECT_FALSE(writeListing(link, dvi, rows, &error));
    QFile f(dvi);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), DviBytes().pre("c").data());
    QFile::remove(link);

    // An existing listing is replaced; a folder that is not there is reported.
    const QString sav = env.writeFile(QStringLiteral("doc/paper.sav"), "old listing with more text\n");
    EXPECT_TRUE(writeListing(sav, dvi, rows, &error));
    QFile s(sav);
    ASSERT_TRUE(s.open(QIODevice::ReadOnly));
    EXPECT_EQ(s.readAll(), QByteArray("247\tpre\tc\n"));
    EXPECT_FALSE(writeListing(env.root() + QStringLiteral("/missing/paper.sav"), dvi, rows, &error));
    EXPECT_TRUE(error.startsWith(QLatin1String("Could not write "))) << error.toStdString();
}

#include "fontinfo/TfmCatalogue.h"
#include "fontinfo/TfmTrace.h"

#include "Print.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

namespace {
QStringList names(const QList<TfmEntry>& entries)
{
    QStringList out;
    for (const TfmEntry& e : entries)
        out << e.name + (e.vf ? QStringLiteral("+vf") : QString());
    return out;
}
} // namespace

TEST(TfmCatalogue, FilterRules)
{
    const QList<QPair<QString, QString>> accepted{
        {"", "%"},       {"tm", "tm%"},     {"tm*", "tm%"}, {"*tm", "%tm"},  {"*tm*", "%tm%"},
        {"**", "%%"},    {"  tm  ", "tm%"}, {"*", "%"},     {"a_b", "a_b%"}, {"PTM", "PTM%"}};
    for (const auto& c : accepted) {
        const auto p = tfmFilterPattern(c.first);
        ASSERT_TRUE(p.has_value()) << c.first.toStdString();
        EXPECT_EQ(*p, c.second);
    }
    for (const char* rejected : {"t*m", "*t*m", "***", "t*m*", "*a*b*", "a**"})
        EXPECT_FALSE(tfmFilterPattern(QString::fromLatin1(rejected)).has_value()) << rejected;
}

TEST(TfmCatalogue, NamesFromLsRTextsAndTheirVirtualFlag)
{
    const LsRFontNames listed =
        lsRFontNames("% ls-R\n./:\nls-R\n\n./fonts/tfm/a:\nx.tfm\ny.vf\nz.tfm.bak\n.tfm\nX.TFM\n.vf\nw.vf.gz\n");
    EXPECT_EQ(listed.tfm, QList<QByteArrayView>{"x"});
    EXPECT_EQ(listed.vf, QList<QByteArrayView>{"y"});

    // The .vf of one tree marks the .tfm of another, whatever the case.
    const QByteArray dist("./fonts/tfm/adobe:\nptmr8t.tfm\nptmr8r.tfm\nZapf.tfm\n"
                          "./fonts/tfm/other:\nptmr8r.tfm\nab_c.tfm\nabxc.tfm\nit's.tfm\n");
    const QByteArray home("./fonts/vf/adobe:\nPTMR8T.vf\n");
    TfmCatalogue cat;
    QString error;
    ASSERT_TRUE(cat.open(&error)) << error.toStdString();
    QStringList errors;
    cat.build({dist, home}, &errors);
    EXPECT_TRUE(errors.isEmpty());

    auto filter = [&](const char* pattern) {
        QString e;
        const auto r = cat.filter(QString::fromLatin1(pattern), &e);
        EXPECT_TRUE(r.has_value()) << e.toStdString();
        return r ? names(*r) : QStringList{"<failed>"};
    };
    // Upper case sorts first; a name in two folders is listed twice.
    EXPECT_EQ(filter("%"), (QStringList{"Zapf", "ab_c", "abxc", "it's", "ptmr8r", "ptmr8r", "ptmr8t+vf"}));
    EXPECT_EQ(filter("PTM%"), (QStringList{"ptmr8r", "ptmr8r", "ptmr8t+vf"}));
    EXPECT_EQ(filter("%8t"), (QStringList{"ptmr8t+vf"}));
    EXPECT_EQ(filter("ab_c%"), (QStringList{"ab_c", "abxc"}));
    // A quote is only data.
    EXPECT_EQ(filter("it's%"), (QStringList{"it's"}));
    EXPECT_EQ(filter("zzz%"), QStringList{});
    EXPECT_TRUE(cat.isVirtual(QStringLiteral("ptmr8t")));
    EXPECT_FALSE(cat.isVirtual(QStringLiteral("ptmr8r")));
    EXPECT_FALSE(cat.isVirtual(QStringLiteral("it's")));
}

TEST(TfmCatalogue, NamesBeyondAsciiAndALastLineWithoutLineFeed)
{
    // Letter case is folded beyond ASCII too; a text need not end in a line feed.
    const QByteArray dist = QStringLiteral("./fonts/tfm/x:\nÉlan.tfm\nStraße.tfm\nlast.tfm").toUtf8();
    const QByteArray home = QStringLiteral("./fonts/vf/x:\nélan.vf\nLAST.vf").toUtf8();
    TfmCatalogue cat;
    ASSERT_TRUE(cat.open(nullptr));
    QStringList errors;
    cat.build({dist, home}, &errors);
    EXPECT_TRUE(errors.isEmpty());
    const auto all = cat.filter(QStringLiteral("%"), nullptr);
    ASSERT_TRUE(all.has_value());
    EXPECT_EQ(names(*all), (QStringList{QStringLiteral("Straße"), QStringLiteral("last+vf"),
                                        QStringLiteral("Élan+vf")}));
}

TEST(TfmCatalogue, MapRowsFromMasterMapLines)
{
    struct Case {
        QStringList lines;
        TfmMapRow row;
    };
    const QList<Case> cases{
        {{}, {"f", "????", "????", true}},
        {{"f PSName <font.pfb"}, {"f", "PSName", "font.pfb", false}},
        {{"f NimbusRomNo9L-Regu \" TeXBase1Encoding ReEncodeFont \" <8r.enc <utmr8a.pfb"},
         {"f", "NimbusRomNo9L-Regu", "utmr8a.pfb", false}},
        {{"f Foo-Bold"}, {"f", "Foo-Bold", "", false}},
        {{"f Foo-Bold <8r.enc"}, {"f", "Foo-Bold", "????", true}},
        {{"f Foo <[texnansi.enc <<font.pfb"}, {"f", "Foo", "font.pfb", false}},
        {{"f Foo < font.pfb"}, {"f", "Foo", "font.pfb", false}},
        {{"f First <first.pfb", "f Second <second.pfb"}, {"f", "First", "first.pfb", false}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tfmMapRow(QStringLiteral("f"), c.lines), c.row) << c.lines.join(QLatin1Char('|')).toStdString();
}

TEST(TfmCatalogue, TraceStopsAtAVirtualFontThatLeadsBackToItself)
{
    test::TestEnv env;
    // qlkloopa maps to qlkloopb, which maps back to qlkloopa and to cmr10.
    const QString vf = env.texmfHome() + QStringLiteral("/fonts/vf/test");
    const QString tfm = env.texmfHome() + QStringLiteral("/fonts/tfm/test");
    QDir().mkpath(vf);
    QDir().mkpath(tfm);
    auto vpl = [](const QStringList& fonts) {
        QString text = QStringLiteral("(DESIGNSIZE R 10.0)\n");
        for (int i = 0; i < fonts.size(); ++i)
            text += QStringLiteral("(MAPFONT D %1 (FONTNAME %2) (FONTDSIZE R 10.0))\n").arg(i).arg(fonts.at(i));
        text += QStringLiteral("(CHARACTER C A (CHARWD R 1.0) (MAP (SETCHAR C A)))\n");
        return text.toUtf8();
    };
    const QString work = env.root() + QStringLiteral("/work");
    env.writeFile(QStringLiteral("work/qlkloopa.vpl"), vpl({"qlkloopb", "qlkloopb"}));
    env.writeFile(QStringLiteral("work/qlkloopb.vpl"), vpl({"qlkloopa", "cmr10"}));
    for (const char* n : {"qlkloopa", "qlkloopb"}) {
        const QString name = QString::fromLatin1(n);
        const ProcessResult r = runBash(QStringLiteral("cd ") + shellQuote(work) + QStringLiteral(" && vptovf ") + name +
                                        QStringLiteral(".vpl ") + shellQuote(vf + QLatin1Char('/') + name) +
                                        QStringLiteral(".vf ") + shellQuote(tfm + QLatin1Char('/') + name) +
                                        QStringLiteral(".tfm"));
        ASSERT_EQ(r.exitCode, 0) << r.errorOutput.toStdString();
    }
    TfmCatalogue cat;
    ASSERT_TRUE(cat.open(nullptr));
    cat.build({"qlkloopa.tfm\nqlkloopb.tfm\nqlkloopa.vf\nqlkloopb.vf\ncmr10.tfm\n"}, nullptr);
    const QString scratch = env.root() + QStringLiteral("/scratch");
    QDir().mkpath(scratch);
    TfmTracer tracer(cat, scratch);
    ASSERT_TRUE(tracer.trace(QStringLiteral("qlkloopa"), true));
    EXPECT_EQ(tracer.vfbase, (QStringList{"qlkloopb", "qlkloopb"}));
    EXPECT_EQ(tracer.tfmbase, QStringList{"cmr10"});
    for (const char* f : {"qlkloopa.tfm", "qlkloopa.vf", "qlkloopa.vpl", "qlkloopb.vpl"})
        EXPECT_TRUE(QFile::exists(scratch + QLatin1Char('/') + QString::fromLatin1(f))) << f;

    // A TFM kpsewhich cannot find changes nothing.
    EXPECT_FALSE(tracer.trace(QStringLiteral("qlk-no-such-font"), false));
    EXPECT_EQ(tracer.tfmbase, QStringList{"cmr10"});
    // A plain TFM stands for itself.
    ASSERT_TRUE(tracer.trace(QStringLiteral("cmr10"), false));
    EXPECT_EQ(tracer.tfmbase, QStringList{"cmr10"});
    EXPECT_TRUE(tracer.vfbase.isEmpty());

    // A font whose name begins with "-" is found and expanded as a name.
    env.writeFile(QStringLiteral("work/-qlkdash.vpl"), vpl({"cmr10"}));
    const ProcessResult r = runBash(QStringLiteral("cd ") + shellQuote(work) + QStringLiteral(" && vptovf ./-qlkdash.vpl ") +
                                    shellQuote(vf + QStringLiteral("/-qlkdash.vf")) + QLatin1Char(' ') +
                                    shellQuote(tfm + QStringLiteral("/-qlkdash.tfm")));
    ASSERT_EQ(r.exitCode, 0) << r.errorOutput.toStdString();
    TfmCatalogue dashed;
    ASSERT_TRUE(dashed.open(nullptr));
    dashed.build({"-qlkdash.tfm\n-qlkdash.vf\ncmr10.tfm\n"}, nullptr);
    TfmTracer dash(dashed, scratch);
    ASSERT_TRUE(dash.trace(QStringLiteral("-qlkdash"), true));
    EXPECT_EQ(dash.vfbase, QStringList{"cmr10"});
    EXPECT_EQ(dash.tfmbase, QStringList{"cmr10"});
}

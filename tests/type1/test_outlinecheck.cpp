#include "platform/Process.h"
#include "platform/Quote.h"
#include "support/TestEnv.h"
#include "support/HostileFonts.h"
#include "support/Type1Fixtures.h"
#include "type1/OutlineCheck.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;
using namespace qlk::test;

// Each way a PFB file can be broken is named; a sound font passes both
// the segment reading and t1disasm.
TEST(OutlineCheck, DamagedFontsAreNamedSoundOnesPass)
{
    TestEnv env;
    const QByteArray pfb = readBytes(texFile("uplr8a.pfb"));
    ASSERT_TRUE(pfb.startsWith("\x80\x01"));
    // t1binary turns a PFA with a binary encrypted part into a PFB whose
    // trailer sits inside the encrypted segment.
    env.writeFile("binary.pfa", pfbWithoutSegmentHeaders(pfb));
    const ProcessResult r = runBash("cd " + shellQuote(env.root()) + " && t1binary binary.pfa converted.pfb");
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString();
    const QByteArray converted = readBytes(env.root() + "/converted.pfb");
    QByteArray cleartextOnly("\x80\x01\x05\x00\x00\x00%!PS\n\x80\x03", 13);

    struct Case {
        const char* name;
        QByteArray data;
        QString problem; // a piece of the answer; empty: sound
    } cases[] = {
        {"sound", pfb, ""},
        {"binary encrypted part through t1binary", converted, "not followed by the cleartext trailer"},
        {"cut short", pfb.left(20000), "bytes more than the file holds"},
        {"no end-of-file marker", pfb.chopped(2), "without the end-of-file marker"},
        {"a PFA", "%!PS-AdobeFont-1.0: X\n", "not a PFB font"},
        {"empty", "", "not a PFB font"},
        {"no encrypted part", cleartextOnly, "no encrypted part"},
        {"unknown segment", QByteArray("\x80\x01\x02\x00\x00\x00%!\x80\x07", 10), "unknown type 7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString segments = pfbSegmentProblem(c.data);
        EXPECT_EQ(segments.isEmpty(), c.problem.isEmpty()) << segments.toStdString();
        EXPECT_TRUE(segments.contains(c.problem)) << segments.toStdString();
        // The file on disk gets the same answer.
        const QString path = env.writeFile(QString("case/%1.pfb").arg(c.name).replace(' ', '-'), c.data);
        EXPECT_EQ(outlineFontProblem(path), segments);
    }
    EXPECT_TRUE(outlineFontProblem(env.root() + "/missing.pfb").startsWith("it cannot be read"));
}

// The segments of a font cut or scrambled inside its encrypted part still
// fit, and t1disasm reads it without complaint; the decrypted part tells.
TEST(OutlineCheck, EncryptedPartCutOrScrambledIsRefused)
{
    TestEnv env;
    const QByteArray pfb = readBytes(texFile("uplr8a.pfb"));
    ASSERT_TRUE(pfbSegmentProblem(pfb).isEmpty());
    struct Case {
        const char* name;
        QByteArray data;
        const char* problem;
    } cases[] = {
        {"cut in half", test::eexecCutInHalf(pfb), "cut short"},
        {"cut after the glyphs", test::withEncrypted(pfb, [](QByteArray b) { return b.chopped(20); }),
         "ends before \"closefile\""},
        {"scrambled from byte 1000", test::eexecScrambled(pfb), "garbled"},
        {"100 bytes scrambled in the glyphs",
         test::withEncrypted(pfb, [](QByteArray b) { return test::scrambled(b, 30000, 100); }), "garbled"},
        {"scrambled whole", test::withEncrypted(pfb, [](QByteArray b) { return test::scrambled(b, 0, b.size()); }),
         "garbled"},
        {"only four bytes", test::withEncrypted(pfb, [](QByteArray b) { return b.left(4); }), "empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString problem = pfbSegmentProblem(c.data);
        EXPECT_TRUE(problem.contains(c.problem)) << problem.toStdString();
        const QString path = env.writeFile(QString("enc/%1.pfb").arg(c.name).replace(' ', '-'), c.data);
        EXPECT_EQ(outlineFontProblem(path), problem);
    }

    // A .pfa goes through t1binary first: its hex part cut in half, or a
    // stretch of its digits changed, is refused in the PFB made of it.
    const QString sound = env.writeFile("pfa/sound.pfb", pfb);
    ASSERT_EQ(runBash("cd " + shellQuote(env.root() + "/pfa") + " && t1ascii sound.pfb sound.pfa").exitCode, 0);
    const QByteArray pfa = readBytes(env.root() + "/pfa/sound.pfa");
    const int hexStart = pfa.indexOf("eexec") + 6;
    const int hexEnd = pfa.indexOf("0000000000000000000000000000000000000000");
    ASSERT_GT(hexStart, 6);
    ASSERT_GT(hexEnd, hexStart);
    QByteArray changed = pfa;
    for (int i = hexStart + 30000; i < hexStart + 30200; ++i) {
        if (changed.at(i) != '\n' && changed.at(i) != '\r')
            changed[i] = changed.at(i) == 'A' ? 'B' : 'A';
    }
    struct PfaCase {
        const char* name;
        QByteArray data;
        const char* problem; // empty: sound
    } pfaCases[] = {
        {"sound", pfa, ""},
        {"hex cut in half", pfa.left(hexStart + (hexEnd - hexStart) / 2) + "\n" + pfa.mid(hexEnd), "cut short"},
        {"hex digits changed", changed, "garbled"},
    };
    for (const PfaCase& c : pfaCases) {
        SCOPED_TRACE(c.name);
        env.writeFile("pfa/in.pfa", c.data);
        ASSERT_EQ(runBash("cd " + shellQuote(env.root() + "/pfa") + " && t1binary in.pfa in.pfb").exitCode, 0);
        const QString problem = outlineFontProblem(env.root() + "/pfa/in.pfb");
        EXPECT_EQ(problem.isEmpty(), QString(c.problem).isEmpty()) << problem.toStdString();
        EXPECT_TRUE(problem.contains(c.problem)) << problem.toStdString();
        // The hex part read as it stands gives the same verdict.
        EXPECT_EQ(encryptedPartProblem(c.data.mid(hexStart)).isEmpty(), QString(c.problem).isEmpty());
    }
}

// Real fonts of several makers pass: TeX Live's PFB files and the URW
// base 35 fonts (their encrypted parts, which follow "eexec" in binary).
TEST(OutlineCheck, RealFontsPass)
{
    for (const char* name : {"uplr8a.pfb", "cmr10.pfb", "lmr10.pfb", "putr8a.pfb", "utmr8a.pfb", "cmsy10.pfb"}) {
        SCOPED_TRACE(name);
        const QString path = texFile(name);
        ASSERT_FALSE(path.isEmpty());
        EXPECT_EQ(outlineFontProblem(path), QString());
    }
    const QStringList urw = QDir("/usr/share/fonts/type1/urw-base35").entryList({"*.t1"}, QDir::Files);
    ASSERT_FALSE(urw.isEmpty());
    for (const QString& name : urw) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray font = readBytes("/usr/share/fonts/type1/urw-base35/" + name);
        int at = font.indexOf("eexec") + 5;
        while (at < font.size() && (font.at(at) == '\r' || font.at(at) == '\n'))
            ++at;
        EXPECT_EQ(encryptedPartProblem(font.mid(at)), QString());
    }
}

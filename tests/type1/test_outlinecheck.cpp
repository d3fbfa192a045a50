#include "platform/Process.h"
#include "platform/Quote.h"
#include "support/TestEnv.h"
#include "support/Type1Fixtures.h"
#include "type1/OutlineCheck.h"

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

#include "type1/FontinstJob.h"

#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

class FontinstWalk : public ::testing::Test {
protected:
    QString file(const QString& rel) { return env.writeFile(QStringLiteral("drop/") + rel, "x"); }
    QString dir(const QString& rel) const { return env.root() + QStringLiteral("/drop/") + rel; }

    test::TestEnv env;
    FontinstJob job;
};

} // namespace

TEST_F(FontinstWalk, SortsFilesByKindAtEveryDepth)
{
    file("a.afm");
    const QString apfb = file("a.pfb");
    file("b.PFA");
    file("notes.txt");
    file("sub/deeper/c.tfm");
    file("sub/FOO.PFB");
    file("a.pfb.bak");
    file(".DS_Store");
    file("._a.pfb");
    file(".hidden/d.afm");
    YFolder(job, dir(QString()));

    // Walk order: by name, so the hidden folder comes first.
    EXPECT_EQ(job.ylist, (QStringList{"d", "a"}));
    EXPECT_EQ(job.blist, (QStringList{"a", "b", "FOO"}));
    EXPECT_EQ(job.bIspfa, (QList<bool>{false, true, false}));
    EXPECT_EQ(job.tlist, QStringList{"c"});
    EXPECT_EQ(job.xlist, QStringList{"notes"});
    EXPECT_EQ(job.bitem.size(), 3);
    EXPECT_EQ(job.titem, QStringList{dir("sub/deeper/c.tfm")});
    EXPECT_EQ(job.FirstPF, apfb);
    // Hidden and unknown files are met (and remembered) but not taken.
    EXPECT_TRUE(job.pathlist.contains(dir(".DS_Store")));
    EXPECT_TRUE(job.pathlist.contains(dir("._a.pfb")));
    EXPECT_TRUE(job.pathlist.contains(dir("a.pfb.bak")));

    // The lists sort per kind, letter case ignored, FirstPF untouched.
    YFolder(job, env.writeFile(QStringLiteral("more/A0.pfb"), "x"));
    sortJobLists(job);
    EXPECT_EQ(jobRows(job), (QStringList{"a.afm", "d.afm", "a.pfb", "A0.pfb", "b.pfa", "FOO.pfb", "c.tfm"}));
    EXPECT_EQ(job.bitem.at(3), dir("sub/FOO.PFB"));
    EXPECT_EQ(job.bIspfa, (QList<bool>{false, false, true, false}));
    EXPECT_EQ(job.FirstPF, apfb);
}

TEST_F(FontinstWalk, FilesMetBeforeAreNotTakenAgain)
{
    const QString a = file("a.pfb");
    file("b.afm");
    YFolder(job, dir(QString()));
    YFolder(job, dir(QString()));
    YFolder(job, a);
    EXPECT_EQ(job.blist, QStringList{"a"});
    EXPECT_EQ(job.ylist, QStringList{"b"});
    // A file added later is taken by the next drop of the same folder.
    file("c.pfb");
    YFolder(job, dir(QString()));
    EXPECT_EQ(job.blist, (QStringList{"a", "c"}));
    EXPECT_EQ(job.FirstPF, a);
}

TEST_F(FontinstWalk, LinkLoopsAndBrokenLinksEnd)
{
    file("sub/a.pfb");
    ASSERT_TRUE(QFile::link(dir(QString()), dir("sub/back")));
    ASSERT_TRUE(QFile::link(dir("missing.pfb"), dir("broken.pfb")));
    // A linked font is taken under its own path.
    ASSERT_TRUE(QFile::link(dir("sub/a.pfb"), dir("alias.pfb")));
    YFolder(job, dir(QString()));
    EXPECT_EQ(job.blist, (QStringList{"alias", "a"}));
    EXPECT_FALSE(job.pathlist.contains(dir("broken.pfb")));
}

#include "services/RunLog.h"

#include "services/FileHelpers.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

TEST(RunLog, LinesGoOnlyWhereTheFirstOpenPointedAndAfterCloseAreDropped)
{
    test::TestEnv env;
    const QString a = env.root() + QStringLiteral("/a");
    const QString b = env.root() + QStringLiteral("/b");
    QDir().mkpath(a);
    QDir().mkpath(b);

    logLine(QStringLiteral("before any open")); // dropped, no error
    openLog(a);
    logLine(QStringLiteral("one"));
    openLog(b); // only repoints logFile
    EXPECT_EQ(logFile, b + QStringLiteral("/QLKlogfile.txt"));
    writeLog(); // the same pending line twice
    logMessage = QStringLiteral("two\nlines");
    writeLog();
    closeLog();
    EXPECT_FALSE(logStream);
    logLine(QStringLiteral("after close")); // dropped
    EXPECT_EQ(readTextFile(a + QStringLiteral("/QLKlogfile.txt")), QStringLiteral("one\none\ntwo\nlines\n"));
    EXPECT_FALSE(QFile::exists(b + QStringLiteral("/QLKlogfile.txt")));

    // Reopening appends; an existing log is never truncated.
    openLog(a);
    logLine(QString());
    logLine(QStringLiteral("again"));
    closeLog();
    EXPECT_EQ(readTextFile(a + QStringLiteral("/QLKlogfile.txt")), QStringLiteral("one\none\ntwo\nlines\n\nagain\n"));
}

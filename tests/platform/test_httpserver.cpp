#include "platform/Process.h"
#include "support/HttpTestServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qlk::test {
namespace {

// The download tests rest on this server: what it serves must arrive whole,
// anything else must be an HTTP error that curl -f reports, and every path
// asked for must be recorded in order.
TEST(HttpTestServer, ServesKnownPathsRecordsRequestsAndRefusesTheRest)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    QByteArray body;
    for (int i = 0; i < 100000; ++i)
        body += char(i * 7);
    server.serve(QStringLiteral("/a/b.zip"), body);
    server.answer(QStringLiteral("/moved"), 302, {}, (server.baseUrl() + "/a/b.zip").toLatin1());

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("got"));
    const QString base = server.baseUrl();
    ProcessResult r = runProgram(QStringLiteral("/usr/bin/curl"),
                                 {QStringLiteral("--noproxy"), QStringLiteral("*"), QStringLiteral("-sf"), QStringLiteral("-o"), out, base + "/a/b.zip"});
    ASSERT_EQ(r.exitCode, 0) << r.errorOutput.toStdString();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), body);

    r = runProgram(QStringLiteral("/usr/bin/curl"), {QStringLiteral("--noproxy"), QStringLiteral("*"), QStringLiteral("-sf"), QStringLiteral("-o"),
                                            dir.filePath(QStringLiteral("none")), base + "/missing"});
    EXPECT_EQ(r.exitCode, 22); // curl -f: HTTP error
    r = runProgram(QStringLiteral("/usr/bin/curl"), {QStringLiteral("--noproxy"), QStringLiteral("*"), QStringLiteral("-sfL"), QStringLiteral("-o"),
                                            dir.filePath(QStringLiteral("moved")), base + "/moved"});
    EXPECT_EQ(r.exitCode, 0);

    EXPECT_EQ(server.requests(),
              (QStringList{QStringLiteral("/a/b.zip"), QStringLiteral("/missing"), QStringLiteral("/moved"),
                           QStringLiteral("/a/b.zip")}));
}

} // namespace
} // namespace qlk::test

#pragma once
#include "mainwindow/Window1.h"
#include "platform/BundleScripts.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"
#include "support/HttpTestServer.h"
#include "support/TestEnv.h"
#include "texenv/FinishInstall.h"
#include "texenv/Init.h"
#include "type1/Downloads.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace qlk::test {

// A test's world for the bought-font installers: its own HOME and trees,
// scanned as at start-up with installs going to "method"; both download
// hosts on a local server; failure reports of the shell runner and root
// commands recorded (root commands are not run).
struct DownloadWorld {
    TestEnv env{false};
    HttpTestServer server;
    QStringList reports;
    QStringList rootTexts;
    int rootStatus = 0;
    QMap<QByteArray, QByteArray> proxies;

    explicit DownloadWorld(int method = 0)
    {
        lastInstallStatus.clear();
        // A proxy of the machine must not see the local server's requests.
        for (const char* v : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"}) {
            if (qEnvironmentVariableIsSet(v))
                proxies.insert(v, qgetenv(v));
            qunsetenv(v);
        }
        setDownloadHostsForTesting(server.baseUrl(), server.baseUrl());
        setAppFolderForTesting(QLK_APP_DIR);
        setpref("method", qint32(method));
        Window1* w = Window1::instance();
        w->Clearitems();
        init();
        w->TextField2->clear();
        uiHooks().showCommandFailure = [this](const QString& r) { reports << r; };
        setBundleScriptRunner([this](const QString&, const QStringList& args) {
            rootTexts << args.value(0);
            return ScriptResult{rootStatus, QString()};
        });
        env.dialogs.transcript.clear();
        env.dialogs.messages.clear();
        env.dialogs.questions.clear();
    }
    ~DownloadWorld()
    {
        setDownloadHostsForTesting({}, {});
        for (auto it = proxies.constBegin(); it != proxies.constEnd(); ++it)
            qputenv(it.key().constData(), it.value());
    }
    // What the last install's map enabling said (no window writes it for them).
    QString status() const { return lastInstallStatus; }
    // The one scratch folder in Documents (empty when there is none or more).
    QString scratch() const
    {
        const QDir docs(env.home() + "/Documents");
        const QStringList tmp = docs.entryList({"tmp*"}, QDir::Dirs);
        return tmp.size() == 1 ? docs.filePath(tmp.first()) : QString();
    }
};

// Runs a shell line that must succeed; the output, or a failure naming it.
inline QString mustRun(const QString& line)
{
    const ProcessResult r = runBash(line, 60000);
    if (r.exitCode != 0)
        ADD_FAILURE() << line.toStdString() << "\n" << r.errorOutput.toStdString();
    return r.output;
}

// Writes a zip whose entries are (name, content) pairs, names taken as they
// are ("../x" included), with python's zipfile.
inline void writeZip(const QString& zip, const QList<QPair<QString, QString>>& entries)
{
    QString script = "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'w')\n";
    for (int i = 0; i < entries.size(); ++i)
        script += QString("z.write(sys.argv[%1], sys.argv[%2])\n").arg(2 + 2 * i).arg(3 + 2 * i);
    script += "z.close()\n";
    QStringList args{"python3", "-c", script, zip};
    for (const auto& e : entries)
        args << e.second << e.first;
    mustRun(shellJoin(args));
}

} // namespace qlk::test

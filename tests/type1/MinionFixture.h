#pragma once
#include "mainwindow/ArchiveCheck.h"
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
#include <QDirIterator>
#include <QTemporaryDir>
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
// hosts on a local HTTPS server whose certificate curl trusts; failure
// reports of the shell runner and root commands recorded (root commands
// are not run).
struct DownloadWorld {
    TestEnv env{false};
    HttpTestServer server{120, HttpTestServer::Scheme::Https};
    QStringList reports;
    QStringList rootTexts;
    int rootStatus = 0;
    QMap<QByteArray, QByteArray> proxies; // and the CA bundle: the machine's, put back at the end

    explicit DownloadWorld(int method = 0)
    {
        lastInstallStatus.clear();
        // A proxy of the machine must not see the local server's requests.
        for (const char* v : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy",
                              "CURL_CA_BUNDLE"}) {
            if (qEnvironmentVariableIsSet(v))
                proxies.insert(v, qgetenv(v));
            qunsetenv(v);
        }
        qputenv("CURL_CA_BUNDLE", server.certificateFile().toLocal8Bit());
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
        qunsetenv("CURL_CA_BUNDLE");
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

// A zip bomb: one entry of 3 GiB of zeros, a few MB packed. Made once per
// test program; tests only read it.
inline QString zipBomb()
{
    static QTemporaryDir dir;
    static const QString zip = [] {
        const QString path = dir.filePath("bomb.zip");
        mustRun(shellJoin({"python3", "-c",
                           "import sys, zipfile\n"
                           "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED, compresslevel=1)\n"
                           "with z.open('fonts/tfm/adobe/zeros.tfm', 'w', force_zip64=True) as f:\n"
                           "    for i in range(192): f.write(bytes(1 << 24))\n"
                           "z.close()\n",
                           path}));
        return path;
    }();
    return zip;
}
inline constexpr qint64 kBombBytes = qint64(3) << 30;

// Every file below `folder`, relative to it, sorted; the folders in
// `skip` (relative) left out.
inline QStringList filesBelow(const QString& folder, const QStringList& skip = {})
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QString rel = base.relativeFilePath(it.next());
        bool skipped = false;
        for (const QString& s : skip)
            skipped = skipped || rel.startsWith(s + "/");
        if (!skipped)
            files << rel;
    }
    files.sort();
    return files;
}

} // namespace qlk::test

#pragma once
#include "platform/BundleScripts.h"
#include "platform/Process.h"
#include "services/Privileged.h"
#include "support/PrintText.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

namespace qlk::test {

// The TeX trees of a test: the personal and local ones of the TestEnv, a
// small distribution tree of the test's own.
inline void pointTreesAt(TestEnv& env)
{
    texmfConfig = env.texmfConfig();
    texmfVar = env.texmfVar();
    texmfHome = env.texmfHome();
    texmfLocal = env.texmfLocal();
    texmfSysConfig = env.root() + "/sysconfig";
    texmfSysVar = env.root() + "/sysvar";
    texmfDist = env.root() + "/dist";
    texmfVarNames = {"TEXMFCONFIG", "TEXMFVAR", "TEXMFHOME", "TEXMFSYSCONFIG", "TEXMFSYSVAR", "TEXMFLOCAL",
                     "TEXMFDIST"};
    texmfByName.clear();
    const QStringList trees{texmfConfig, texmfVar, texmfHome, texmfSysConfig, texmfSysVar, texmfLocal, texmfDist};
    for (int i = 0; i < 7; ++i)
        texmfByName.insert(texmfVarNames.at(i), trees.at(i));
    texmfTrees = trees;
}

// Every file below `root` with a digest of its bytes: two snapshots are
// equal only when no file was added, removed or changed.
inline QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        QByteArray digest;
        if (f.open(QIODevice::ReadOnly))
            digest = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
        files.insert(QDir(root).relativeFilePath(path), digest);
    }
    return files;
}

// Root commands are recorded and run at once by runRootCommands (in the
// test's own trees only); updmap lines are only recorded.
struct RootRecorder {
    QStringList commands;
    RootRecorder()
    {
        setBundleScriptRunner([this](const QString&, const QStringList& args) {
            const QString text = args.value(0);
            commands << text;
            // updmap itself is not run: the tests check what it was asked.
            if (text.contains(QLatin1String("updmap")))
                return ScriptResult{0, QString()};
            const ProcessResult r = runRootCommands(text);
            return ScriptResult{r.exitCode, r.output};
        });
    }
};

} // namespace qlk::test

#pragma once
#include "support/TestEnv.h"
#include "support/TexGlobals.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace qlk::test {

// Points the TeX environment globals at the trees of a TestEnv, with a
// distribution tree of the test's own (or the real one), and puts them
// back afterwards.
class SearchTrees {
public:
    explicit SearchTrees(const TestEnv& env, const QString& dist = QString())
    {
        homePath = env.home();
        texYear = QStringLiteral("2022");
        texmfVar = env.texmfVar();
        texmfConfig = env.texmfConfig();
        texmfHome = env.texmfHome();
        texmfLocal = env.texmfLocal();
        texmfSysVar = env.root() + QStringLiteral("/texmf-sysvar");
        texmfSysConfig = env.root() + QStringLiteral("/texmf-sysconfig");
        texmfDist = dist.isEmpty() ? env.root() + QStringLiteral("/texmf-dist") : dist;
        mapRoot = texmfSysVar + QStringLiteral("/fonts/map/");
        otherPdftexMaps.clear();
        texmfByName = {{"TEXMFHOME", texmfHome},       {"TEXMFVAR", texmfVar},
                       {"TEXMFCONFIG", texmfConfig},   {"TEXMFLOCAL", texmfLocal},
                       {"TEXMFSYSVAR", texmfSysVar},   {"TEXMFSYSCONFIG", texmfSysConfig},
                       {"TEXMFDIST", texmfDist}};
        texmfTrees = texmfByName.values();
    }

private:
    SavedTexGlobals saved_;
};

// The machine's own value of a TeX variable, whatever the test's
// environment points elsewhere.
inline QString machineVar(const char* name)
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"TEXMFSYSVAR", "TEXMFSYSCONFIG", "TEXMFLOCAL", "TEXMFHOME", "TEXMFVAR", "TEXMFCONFIG"})
        e.remove(QLatin1String(v));
    p.setProcessEnvironment(e);
    p.start(QStringLiteral("/usr/bin/kpsewhich"), {QStringLiteral("-var-value=") + QLatin1String(name)});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Writes `contents` to an absolute `path`, making its folders.
inline QString writeAt(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(contents);
    return path;
}

} // namespace qlk::test

#pragma once
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QString>

namespace qlk::test {

// Points the TeX environment globals at the trees of a TestEnv, with a
// distribution tree of the test's own (or the real one), and puts them
// back afterwards.
class SearchTrees {
public:
    explicit SearchTrees(const TestEnv& env, const QString& dist = QString())
        : saved_{homePath,  texYear,     texmfVar,   texmfHome, texmfConfig, texmfSysVar,
                 texmfSysConfig, texmfLocal, texmfDist, mapRoot},
          savedOthers_(otherPdftexMaps), savedTrees_(texmfTrees), savedByName_(texmfByName)
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
    ~SearchTrees()
    {
        QString* globals[] = {&homePath,  &texYear,        &texmfVar,   &texmfHome, &texmfConfig,
                              &texmfSysVar, &texmfSysConfig, &texmfLocal, &texmfDist, &mapRoot};
        for (int i = 0; i < 10; ++i)
            *globals[i] = saved_[i];
        otherPdftexMaps = savedOthers_;
        texmfTrees = savedTrees_;
        texmfByName = savedByName_;
    }
    SearchTrees(const SearchTrees&) = delete;
    SearchTrees& operator=(const SearchTrees&) = delete;

private:
    QString saved_[10];
    QStringList savedOthers_;
    QStringList savedTrees_;
    QMap<QString, QString> savedByName_;
};

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

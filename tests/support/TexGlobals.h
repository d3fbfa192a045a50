#pragma once
#include "texenv/TexEnv.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace qlk::test {

// Keeps the TeX environment globals a test may point elsewhere (home, year,
// trees, mapRoot and the lists made from them) and puts them back when it
// goes.
class SavedTexGlobals {
public:
    SavedTexGlobals()
    {
        for (int i = 0; i < kCount; ++i)
            strings_[i] = *globals()[i];
        others_ = otherPdftexMaps;
        trees_ = texmfTrees;
        byName_ = texmfByName;
    }
    ~SavedTexGlobals()
    {
        for (int i = 0; i < kCount; ++i)
            *globals()[i] = strings_[i];
        otherPdftexMaps = others_;
        texmfTrees = trees_;
        texmfByName = byName_;
    }
    SavedTexGlobals(const SavedTexGlobals&) = delete;
    SavedTexGlobals& operator=(const SavedTexGlobals&) = delete;

private:
    static constexpr int kCount = 10;
    static QString* const* globals()
    {
        static QString* const all[kCount] = {&homePath,    &texYear,        &texmfVar,   &texmfHome, &texmfConfig,
                                             &texmfSysVar, &texmfSysConfig, &texmfLocal, &texmfDist, &mapRoot};
        return all;
    }
    QString strings_[kCount];
    QStringList others_;
    QStringList trees_;
    QMap<QString, QString> byName_;
};

} // namespace qlk::test

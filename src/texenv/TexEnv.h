#pragma once
#include <QDateTime>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace qlk {

// What the start-up scan found out about the TeX installation. Written by
// the scan (init and its helpers), read everywhere.

// Character constants.
inline const QChar squote(39);
inline const QChar dquote(34);
inline const QChar lf(10);
inline const QChar tab(9);
inline const QChar cr(13);

// A dictionary whose text keys ignore letter case; a key keeps the spelling
// it was first stored with.
template <class T>
class NoCaseDict {
public:
    bool contains(const QString& key) const { return map_.contains(key.toLower()); }
    T value(const QString& key, const T& fallback = T()) const
    {
        auto it = map_.constFind(key.toLower());
        return it == map_.constEnd() ? fallback : it->second;
    }
    void insert(const QString& key, const T& value)
    {
        auto it = map_.find(key.toLower());
        if (it == map_.end())
            map_.insert(key.toLower(), qMakePair(key, value));
        else
            it->second = value;
    }
    void remove(const QString& key) { map_.remove(key.toLower()); }
    // The keys in their stored spelling, ordered without regard to case.
    QStringList keys() const
    {
        QStringList list;
        for (const auto& entry : map_)
            list << entry.first;
        return list;
    }
    int size() const { return int(map_.size()); }
    bool isEmpty() const { return map_.isEmpty(); }
    void clear() { map_.clear(); }

private:
    QMap<QString, QPair<QString, T>> map_;
};

// Thrown by checkedAt; the scan's routines turn it into "Out of Bounds
// error in <routine>!" and a quit.
struct OutOfBounds : std::out_of_range {
    OutOfBounds() : std::out_of_range("index out of range") {}
};

// list[i], or OutOfBounds.
inline const QString& checkedAt(const QStringList& list, qsizetype i)
{
    if (i < 0 || i >= list.size())
        throw OutOfBounds();
    return list.at(i);
}

extern QString homePath;        // the user's home folder
extern bool isAdmin;            // member of admin, sudo or wheel
extern QString selfAutoParent;  // the TeX Live root kpsewhich reports
extern QString texYear;         // e.g. "2022"

extern QStringList texmfTrees;    // the TEXMF search path, in order
extern QStringList texmfVarNames; // the seven role names
extern QMap<QString, QString> texmfByName; // role name (upper case) -> tree
extern QString texmfConfig;
extern QString texmfVar;        // the impermanent personal tree
extern QString texmfHome;       // the permanent personal tree
extern QString texmfSysConfig;
extern QString texmfSysVar;
extern QString texmfLocal;      // the system tree for added fonts
extern QString texmfDist;       // the distribution's tree

extern QStringList updmapSys;   // system updmap.cfg files, highest priority first
extern QStringList updmapHome;  // personal updmap.cfg files
extern bool hasHomeUpdmap;

// The updmap.cfg texts readupdmap read last, and what parsecfgstr made of them.
extern QString distCfgText;     // the distribution's updmap.cfg
extern QString localCfgText;    // the other system ones, lowest priority first
extern QString homeCfgText;     // the personal ones, lowest priority first
extern NoCaseDict<int> distMapState;  // map name -> 1 disabled, 0 enabled
extern NoCaseDict<int> localMapState;
extern QStringList mapsDisabled; // distribution maps the other files disable
extern QStringList mapsAdded;    // maps the other files add

// The pdftex.map copies.
extern QString mapRoot;          // the folder of the pdftex.map in use, ending in "/"
extern QStringList otherPdftexMaps; // the roots of the other copies
extern bool newerMapCopy;        // another copy is newer than the one in use
extern QStringList mapListTags;  // "[M0]", "[M1]" ...
extern QStringList mapListPaths; // the roots, parallel to the tags
extern QStringList mapListDates; // YYYY-MM-DD, parallel to the tags

// Font map file name -> path; the distribution's maps, then those of
// TEXMFLOCAL, TEXMFHOME and TEXMFVAR.
extern NoCaseDict<QString> mapDict;
// The map files of fonts/map/dvips in TEXMFLOCAL, TEXMFHOME and TEXMFVAR,
// as the last scan found them (the lists of the "Font maps" tab).
extern QStringList localMapFiles;
extern QStringList personalMapFiles;
extern QStringList impermanentMapFiles;

// The letter sets the Berry-name decoder checks names against.
extern QString encodingLetters;
extern QStringList variantLetters; // six entries, for variant digits 4 to 9

// Mirrors of preferences.
extern bool personalInstall;        // "method" is 0: installs go to TEXMFHOME
extern QStringList sourceMapFiles;  // "sourcemaps" split at TAB
extern QString tfmFolder;           // where the metric-file chooser starts

// The role name of the named tree that `path` lies in (whole path
// components compared), or the empty text.
QString treeRoleOf(const QString& path);
// Whether `path` lies inside `tree` (whole path components).
bool pathInTree(const QString& path, const QString& tree);
// Whether `path` lies in a personal tree (TEXMFHOME, TEXMFVAR, TEXMFCONFIG).
bool isPersonalPath(const QString& path);
// The tree of a role name ("TEXMFLOCAL", any letter case), or the empty text.
QString treeByName(const QString& name);

// A file's modification date as YYYY-MM-DD, the empty text when it has none.
QString fileDate(const QString& path);

} // namespace qlk

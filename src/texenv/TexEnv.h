#pragma once
#include <QMap>
#include <QString>
#include <QStringList>

namespace qlk {

// What the start-up scan found out about the TeX installation. Written by
// the scan (init and its helpers), read everywhere.

// Character constants.
inline const QChar squote(39);
inline const QChar dquote(34);
inline const QChar lf(10);
inline const QChar tab(9);
inline const QChar cr(13);

extern QString homePath;        // the user's home folder
extern bool isAdmin;            // member of admin, sudo or wheel
extern QString selfAutoParent;  // the TeX Live root kpsewhich reports
extern QString texYear;         // e.g. "2022"

extern QStringList texmfTrees;    // the TEXMF search path, in order
extern QStringList texmfVarNames; // the seven role names
extern QMap<QString, QString> texmfByName; // role name -> tree
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
extern QString mapRoot;         // the folder of the pdftex.map in use

// The role name of the named tree that `path` lies in (whole path
// components compared), or the empty text.
QString treeRoleOf(const QString& path);
// Whether `path` lies inside `tree` (whole path components).
bool pathInTree(const QString& path, const QString& tree);
// Whether `path` lies in a personal tree (TEXMFHOME, TEXMFVAR, TEXMFCONFIG).
bool isPersonalPath(const QString& path);

} // namespace qlk

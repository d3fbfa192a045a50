#pragma once
#include <QString>

namespace qlk {

// Where this port finds the TeX programs and the folders the program uses.
// Every value can be replaced for tests; an empty override restores the
// normal lookup.

// The folder of the TeX programs: /usr/texbin when it holds kpsewhich, else
// the folder of the kpsewhich on the search path. Found once.
QString texbin();
// texbin() + "/" + name.
QString texProgram(const QString& name);
void setTexbinForTesting(const QString& folder);

// A system program named by a fixed path where every Linux has one
// (/bin/chown, /bin/rm ...) or found on the search path (ps2pdf, zip ...).
QString systemProgram(const QString& name);

QString homeFolder();
// The desktop's documents folder, created when missing.
QString documentsFolder();
// The desktop's configuration folder (~/.config), created when missing.
QString configFolder();
QString tempFolder();
// The folder that holds the executable, with the support files beside it.
QString appFolder();
void setAppFolderForTesting(const QString& folder);
// appFolder()/Resources: the scripts and pictures.
QString resourcesFolder();

// The process's effective user id (0: root). Tests may pretend to be
// another user; a negative value restores the real one.
int effectiveUid();
void setEffectiveUidForTesting(int uid);

} // namespace qlk

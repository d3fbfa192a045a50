#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk::installer {

// Everything the installation works on, so that tests can run it on
// temporary folders; the installer window passes the real ones.
struct InstallSetup {
    QString sourceFolder;       // the folder that holds the installer and what it installs
    QString prefix;             // the application folder; its last name is Quillmark2013
    QString personalTree;       // TEXMFHOME
    QString applicationsFolder; // where the desktop entry for the program goes
    QStringList texTrees;       // the TeX installation's trees, never a prefix
    std::function<QDateTime()> clock;
    // Whether a folder may be written; a seam, since tests run as root.
    std::function<bool(const QString&)> isWritable;
};

enum class InstallOutcome { Finished, Stopped };

// The support files, in the order they are copied and logged.
const QStringList& supportFiles();

// Installs the program, its support files, its pictures and its TeX files
// from `setup.sourceFolder`, logging every step in <prefix>/QLKInstall.txt.
// A fatal step shows its message, asks the application to quit and returns
// Stopped; a normal run ends with the closing message and opens the log.
InstallOutcome runInstallation(const InstallSetup& setup);

// Why `prefix` may not be installed into, or the empty text when it may:
// it must end in a folder named Quillmark2013 that is new, empty or holds
// the log of an earlier run, and be neither "/", the home folder nor a TeX
// tree.
QString prefixProblem(const QString& prefix, const QString& personalTree, const QStringList& texTrees);

// The TeX Live year: the last name of SELFAUTOPARENT when it is four
// digits, else the year in the first line of `tex --version`; 0 when
// neither tells.
int texLiveYear();

// The defaults the window uses: /opt/Quillmark2013 for root, else
// ~/.local/share/Quillmark2013; TEXMFHOME as kpsewhich reports it (else
// ~/texmf); the desktop's applications folder.
QString defaultPrefix();
QString defaultPersonalTree();
QStringList defaultTexTrees();
QString defaultApplicationsFolder();

// The text of a freedesktop entry that starts the program at `program`.
QString desktopEntry(const QString& program);

} // namespace qlk::installer

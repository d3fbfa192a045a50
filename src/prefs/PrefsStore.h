#pragma once
#include <QString>
#include <QVariant>

namespace qlk {

// The user's settings: one dictionary of typed values (32-bit integers and
// texts, among others), keys compared without regard to letter case, kept in
// the file "Quillmark Prefs" in the configuration folder. Loaded at the
// first access.
//
// A file that cannot be read is moved aside ("Quillmark Prefs.damaged") and
// the store starts empty, so that every caller still finds a dictionary; the
// run log says so.

// The value under `key`, or an invalid QVariant when there is none (read as
// 0 or the empty text by prefInt/prefText).
QVariant getpref(const QString& key);
void setpref(const QString& key, const QVariant& value);
bool haspref(const QString& key);
// Sets "app_vers" and rewrites the file: a new file is written beside the
// old one and renamed over it, so a failed save leaves the old file whole.
// False (and a line in the run log) when the file could not be written.
bool saveprefs();

int prefInt(const QString& key);
QString prefText(const QString& key);
// "method" as 0 (personal tree, updmap) or 1 (texmf-local, updmap-sys): a
// stored value below 0 reads as 0, above 1 as 1, so every reader agrees.
int prefMethod();

// The file "Quillmark Prefs"; need not exist.
QString prefsfile();
// The packed application version stored under "app_vers".
qint32 appversion();
// The packing: the parts are added, not masked, so a part too large for its
// field carries into the next one.
qint32 packVersion(int major, int minor, int bug, int stage, int nonRelease);

// Forgets the loaded dictionary so that the next access reads the file
// again (tests only).
void resetPrefsForTesting();

} // namespace qlk

#pragma once
#include <QString>
#include <QVariant>

namespace qlk {

// The user's settings: one dictionary of typed values (32-bit integers and
// texts, among others), keys compared without regard to letter case, kept in
// the file "Quillmark Prefs" in the configuration folder. Loaded at the
// first access.

// The value under `key`, or an invalid QVariant when there is none (read as
// 0 or the empty text by prefInt/prefText).
QVariant getpref(const QString& key);
void setpref(const QString& key, const QVariant& value);
bool haspref(const QString& key);
// Sets "app_vers" and rewrites the file.
void saveprefs();

int prefInt(const QString& key);
QString prefText(const QString& key);

// The file "Quillmark Prefs"; need not exist.
QString prefsfile();
// The packed application version stored under "app_vers".
qint32 appversion();

// Forgets the loaded dictionary so that the next access reads the file
// again (tests only).
void resetPrefsForTesting();

} // namespace qlk

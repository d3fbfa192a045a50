#pragma once
#include <QString>

struct sqlite3;

namespace qlk {

// The font-name database TeXFonts.db beside the executable, opened
// read-only; null until the start-up scan connects it.
extern sqlite3* fontDB;

// The database's place: appFolder()/TeXFonts.db.
QString fontDBPath();
// Opens `path` read-only as fontDB (closing any earlier connection).
// False, with a reason in `error`, when the file is missing or is not a
// database with the expected tables.
bool connectFontDB(const QString& path, QString* error = nullptr);
void disconnectFontDB();

} // namespace qlk

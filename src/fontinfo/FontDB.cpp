#include "fontinfo/FontDB.h"

#include "platform/Paths.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace qlk {

sqlite3* fontDB = nullptr;

QString fontDBPath()
{
    return appFolder() + QStringLiteral("/TeXFonts.db");
}

void disconnectFontDB()
{
    if (fontDB)
        sqlite3_close(fontDB);
    fontDB = nullptr;
}

bool connectFontDB(const QString& path, QString* error)
{
    disconnectFontDB();
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("no database at ") + path);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const QString why = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return fail(why);
    }
    // A file that is not a database, or lacks the tables, fails here rather
    // than at the first lookup.
    sqlite3_stmt* st = nullptr;
    const char* sql = "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
                      "('Suppliers','Typefaces','FontFiles','Variants')";
    int tables = 0;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        tables = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    if (tables != 4) {
        sqlite3_close(db);
        return fail(QStringLiteral("not a font-name database: ") + path);
    }
    fontDB = db;
    return true;
}

} // namespace qlk

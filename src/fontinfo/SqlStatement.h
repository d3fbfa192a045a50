#pragma once
#include <QString>
#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;

namespace qlk {

// One prepared SQLite statement, finalized when it goes. Values are bound
// as parameters, so a quote or a wildcard in a name is data, not SQL.
class SqlStatement {
public:
    SqlStatement(sqlite3* db, const char* sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    // False when there is no database or the statement did not compile.
    bool ok() const { return stmt_ != nullptr; }
    // Binds `value` to the parameter numbered `index` (from 1).
    SqlStatement& bind(int index, const QString& value);
    // Moves to the next row; false when there is none (or on an error).
    bool next();
    // The column of the current row as text (NULL reads as the empty text).
    QString text(int column) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// The first column of the first row `sql` gives with `params` bound in
// order; the empty text when there is no row.
QString firstText(sqlite3* db, const char* sql, const QStringList& params);

// The database's last error message, or "out of memory" when there is no
// database (sqlite3_open could not allocate one).
QString dbMessage(sqlite3* db);

// `text` with the LIKE wildcards "%" and "_" and the escape character "\"
// escaped, for a pattern used with ESCAPE '\'.
QString likeEscaped(const QString& text);

} // namespace qlk

#include "fontinfo/SqlStatement.h"

#include <sqlite3.h>

namespace qlk {

QString dbMessage(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

SqlStatement::SqlStatement(sqlite3* db, const char* sql)
{
    if (!db || sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(stmt_);
}

SqlStatement& SqlStatement::bind(int index, const QString& value)
{
    if (stmt_) {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(stmt_, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
    }
    return *this;
}

bool SqlStatement::next()
{
    return stmt_ && sqlite3_step(stmt_) == SQLITE_ROW;
}

QString SqlStatement::text(int column) const
{
    if (!stmt_)
        return QString();
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return t ? QString::fromUtf8(t) : QString();
}

QString firstText(sqlite3* db, const char* sql, const QStringList& params)
{
    SqlStatement st(db, sql);
    for (int i = 0; i < params.size(); ++i)
        st.bind(i + 1, params.at(i));
    return st.next() ? st.text(0) : QString();
}

QString likeEscaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

} // namespace qlk

#include "fontinfo/TfmCatalogue.h"

#include "fontinfo/SqlStatement.h"

#include <QSet>

#include <sqlite3.h>

namespace qlk {

TfmCatalogue::TfmCatalogue() = default;

TfmCatalogue::~TfmCatalogue()
{
    sqlite3_close(db_);
}

bool TfmCatalogue::open(QString* error)
{
    if (sqlite3_open(":memory:", &db_) != SQLITE_OK) {
        if (error)
            *error = dbMessage(db_);
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    if (sqlite3_exec(db_, "CREATE TABLE tfmfiles (tfmname VarChar NOT NULL DEFAULT '',vf Integer NOT NULL DEFAULT 0)",
                     nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (error)
            *error = dbMessage(db_);
        return false;
    }
    return true;
}

void TfmCatalogue::build(const QStringList& lsRTexts, QStringList* errors)
{
    if (!db_)
        return;
    // Virtual fonts of every tree first: a .vf in one tree marks a .tfm of
    // that name in any other.
    QSet<QString> virtualNames;
    for (const QString& text : lsRTexts) {
        for (const QString& name : lsRNames(text, QStringLiteral(".vf")))
            virtualNames.insert(name.toLower());
    }
    for (const QString& text : lsRTexts) {
        const QStringList names = lsRNames(text, QStringLiteral(".tfm"));
        if (names.isEmpty())
            continue;
        sqlite3_stmt* insert = nullptr;
        bool ok = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
                  sqlite3_prepare_v2(db_, "INSERT INTO tfmfiles (tfmname,vf) VALUES (?,?)", -1, &insert,
                                     nullptr) == SQLITE_OK;
        for (int i = 0; ok && i < names.size(); ++i) {
            const QByteArray utf8 = names.at(i).toUtf8();
            sqlite3_bind_text(insert, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 2, virtualNames.contains(names.at(i).toLower()) ? 1 : 0);
            ok = sqlite3_step(insert) == SQLITE_DONE;
            sqlite3_reset(insert);
        }
        const QString message = ok ? QString() : dbMessage(db_);
        sqlite3_finalize(insert);
        if (ok && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
            continue;
        if (errors)
            *errors << (message.isEmpty() ? dbMessage(db_) : message);
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

std::optional<QList<TfmEntry>> TfmCatalogue::filter(const QString& likePattern, QString* error) const
{
    sqlite3_stmt* st = nullptr;
    if (!db_ || sqlite3_prepare_v2(db_, "select tfmname,vf from tfmfiles where tfmname LIKE ? order by tfmname",
                                   -1, &st, nullptr) != SQLITE_OK) {
        if (error)
            *error = dbMessage(db_);
        sqlite3_finalize(st);
        return std::nullopt;
    }
    const QByteArray utf8 = likePattern.toUtf8();
    sqlite3_bind_text(st, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    QList<TfmEntry> entries;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        entries << TfmEntry{QString::fromUtf8(name ? name : ""), sqlite3_column_int(st, 1) == 1};
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        if (error)
            *error = dbMessage(db_);
        return std::nullopt;
    }
    return entries;
}

bool TfmCatalogue::isVirtual(const QString& name) const
{
    SqlStatement st(db_, "select tfmname,vf from tfmfiles where tfmname=? and vf>0");
    st.bind(1, name);
    return st.next();
}

QStringList lsRNames(const QString& lsRText, const QString& extension)
{
    QStringList names;
    for (const QStringView line : QStringView(lsRText).split(QLatin1Char('\n'))) {
        if (line.size() > extension.size() && line.endsWith(extension))
            names << line.left(line.size() - extension.size()).toString();
    }
    return names;
}

std::optional<QString> tfmFilterPattern(const QString& typed)
{
    QString filter = typed;
    while (filter.startsWith(QLatin1Char(' ')))
        filter.remove(0, 1);
    while (filter.endsWith(QLatin1Char(' ')))
        filter.chop(1);
    if (!filter.contains(QLatin1Char('*')))
        filter += QLatin1Char('*');
    const qsizetype count = filter.count(QLatin1Char('*'));
    const qsizetype first = filter.indexOf(QLatin1Char('*'));
    const qsizetype last = filter.size() - 1;
    if (count > 2 || (first != 0 && first != last))
        return std::nullopt;
    if (count == 2 && filter.indexOf(QLatin1Char('*'), first + 1) != last)
        return std::nullopt;
    return filter.replace(QLatin1Char('*'), QLatin1Char('%'));
}

} // namespace qlk

#include "fontinfo/TfmCatalogue.h"

#include "fontinfo/SqlStatement.h"
#include "services/FileHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <cstring>

namespace qlk {

TfmCatalogue::TfmCatalogue() = default;

TfmCatalogue::~TfmCatalogue()
{
    sqlite3_close(db_);
}

bool TfmCatalogue::open(QString* error)
{
    // Only the window's own thread uses the catalogue: no locking needed.
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
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

namespace {
// A name as the virtual-font test compares it, letter case folded: ASCII
// names (nearly all) without decoding them.
QByteArray foldedName(QByteArrayView name)
{
    for (const char c : name) {
        if (uchar(c) >= 0x80)
            return QString::fromUtf8(name).toLower().toUtf8();
    }
    return name.toByteArray().toLower();
}
} // namespace

void TfmCatalogue::build(const QList<QByteArray>& lsRTexts, QStringList* errors)
{
    if (!db_)
        return;
    // Virtual fonts of every tree first: a .vf in one tree marks a .tfm of
    // that name in any other.
    QList<LsRFontNames> listed;
    QSet<QByteArray> virtualNames;
    for (const QByteArray& text : lsRTexts) {
        listed << lsRFontNames(text);
        for (const QByteArrayView name : listed.last().vf)
            virtualNames.insert(foldedName(name));
    }
    for (const LsRFontNames& fonts : listed) {
        const QList<QByteArrayView>& names = fonts.tfm;
        if (names.isEmpty())
            continue;
        sqlite3_stmt* insert = nullptr;
        bool ok = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
                  sqlite3_prepare_v2(db_, "INSERT INTO tfmfiles (tfmname,vf) VALUES (?,?)", -1, &insert,
                                     nullptr) == SQLITE_OK;
        // The names are views into the texts, which outlive each step:
        // bound as they stand, without a copy.
        for (int i = 0; ok && i < names.size(); ++i) {
            const QByteArrayView name = names.at(i);
            sqlite3_bind_text(insert, 1, name.data(), int(name.size()), SQLITE_STATIC);
            sqlite3_bind_int(insert, 2, virtualNames.contains(foldedName(name)) ? 1 : 0);
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

QByteArray catalogueText(const QString& tree, bool listWhenMissing)
{
    const QString lsR = tree + QStringLiteral("/ls-R");
    if (listWhenMissing && !QFileInfo::exists(lsR))
        return lsRListing(tree).toUtf8();
    QFile f(lsR);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

LsRFontNames lsRFontNames(QByteArrayView lsRText)
{
    // ls-R texts run to tens of thousands of lines: one pass over the
    // bytes, each line's end compared in place.
    LsRFontNames names;
    auto endsWith = [](const char* lineEnd, qsizetype length, const char* extension, qsizetype n) {
        return length > n && std::memcmp(lineEnd - n, extension, size_t(n)) == 0;
    };
    const char* p = lsRText.data();
    const char* const end = p + lsRText.size();
    while (p < end) {
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* const lineEnd = lf ? lf : end;
        const qsizetype length = lineEnd - p;
        if (endsWith(lineEnd, length, ".tfm", 4))
            names.tfm << QByteArrayView(p, length - 4);
        else if (endsWith(lineEnd, length, ".vf", 3))
            names.vf << QByteArrayView(p, length - 3);
        if (!lf)
            break;
        p = lf + 1;
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

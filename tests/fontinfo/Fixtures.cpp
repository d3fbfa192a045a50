#include "Fixtures.h"

#include "fontinfo/FontDB.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <sqlite3.h>

#include <cstdlib>

namespace qlk::test {

QString builtDatabase()
{
    return QStringLiteral(QLK_APP_DIR "/TeXFonts.db");
}

FixtureDb::FixtureDb()
{
    path_ = dir_.filePath(QStringLiteral("TeXFonts.db"));
    exec(QStringLiteral("CREATE TABLE Suppliers (SupplierID TEXT, SupplierShortName TEXT)"), {});
    exec(QStringLiteral("CREATE TABLE Typefaces (TFID TEXT, TFShortName TEXT)"), {});
    exec(QStringLiteral("CREATE TABLE Variants (VID TEXT, VNames TEXT)"), {});
    exec(QStringLiteral("CREATE TABLE FontFiles (FilBerryName TEXT, FilPSName TEXT, FilFName TEXT, "
                        "FilID TEXT, FilSupplier TEXT)"),
         {});
}

FixtureDb::~FixtureDb()
{
    disconnectFontDB();
}

void FixtureDb::supplier(const QString& id, const QString& shortName)
{
    exec(QStringLiteral("INSERT INTO Suppliers VALUES (?,?)"), {id, shortName});
}

void FixtureDb::typeface(const QString& id, const QString& name)
{
    exec(QStringLiteral("INSERT INTO Typefaces VALUES (?,?)"), {id, name});
}

void FixtureDb::variant(const QString& id, const QString& names)
{
    exec(QStringLiteral("INSERT INTO Variants VALUES (?,?)"), {id, names});
}

void FixtureDb::fontFile(const QString& berry, const QString& ps, const QString& file, const QString& supplier)
{
    exec(QStringLiteral("INSERT INTO FontFiles VALUES (?,?,?,'',?)"),
         {berry, ps, file, supplier.isEmpty() ? berry.left(1) : supplier});
}

void FixtureDb::connect()
{
    QString why;
    if (!connectFontDB(path_, &why))
        qFatal("fixture database: %s", qPrintable(why));
}

void FixtureDb::exec(const QString& sql, const QStringList& values)
{
    sqlite3* db = nullptr;
    sqlite3_open(path_.toUtf8().constData(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray v = values.at(i).toUtf8();
        sqlite3_bind_text(st, i + 1, v.constData(), v.size(), SQLITE_TRANSIENT);
    }
    sqlite3_step(st);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

TexGlobalsGuard::TexGlobalsGuard()
{
    if (const char* t = ::getenv("TMPDIR")) {
        hadTmpdir_ = true;
        tmpdir_ = t;
    }
}

TexGlobalsGuard::~TexGlobalsGuard()
{
    if (hadTmpdir_)
        ::setenv("TMPDIR", tmpdir_.constData(), 1);
    else
        ::unsetenv("TMPDIR");
}

QStringList scratchFolders(const QString& parent)
{
    static const QRegularExpression re(QStringLiteral("^tmp[0-9]{7}$"));
    QStringList found;
    for (const QString& name : QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (re.match(name).hasMatch())
            found << name;
    }
    return found;
}

QStringList fileLinesOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace qlk::test

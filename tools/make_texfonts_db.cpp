// Builds TeXFonts.db and Exceptions.txt from TeX Live's fontname data
// (texmf-dist/fonts/map/fontname, public domain), found through kpsewhich.
//
//   make_texfonts_db <TeXFonts.db> <Exceptions.txt>
//
// Tables:
//   Suppliers(SupplierID, SupplierShortName, SupplierName)  from supplier.map
//   Typefaces(TFID, TFShortName, TFDirName)                  from typeface.map
//   Variants(VID, VNames)                                    from variant.map
//   FontFiles(FilBerryName, FilPSName, FilFName, FilID, FilSupplier, FilMap)
//                                                            from the vendor maps
// In FilFName and FilPSName "~" stands for "_", so that a LIKE pattern made
// from a vendor file name has no "_" wildcards in it.
//
// The lookups take the first row a query returns, so the order of the
// FontFiles rows matters: adobe.map goes in first (Adobe's own names win a
// tie), the other vendors after it, each map in its file order.
//
// Exceptions.txt lists the names of special.map ("Abbreviations for
// nonstandard TeX font names": cmr10, msam10, wasy5 ...), which follow no
// Berry scheme and are accepted as they stand.

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringList>
#include <QTextStream>

#include <sqlite3.h>

#include <cstdio>

namespace {

// The vendor catalogues, Adobe first. linot-cd, skey1250 and skey1555 are
// older names of linotype-cd, softkey-1250 and softkey-1555 and are left out.
const char* const kVendorMaps[] = {"adobe",    "urw",          "bitstrea",     "monotype", "itc",
                                   "linotype", "linotype-cd",  "apple",        "dtc",      "softkey",
                                   "softkey-1250", "softkey-1555", "yandy"};
const char* const kTableMaps[] = {"supplier", "typeface", "variant", "special"};

void fail(const QString& why)
{
    std::fprintf(stderr, "make_texfonts_db: %s\n", qPrintable(why));
    std::exit(1);
}

// kpsewhich answers one path a line for the names it finds, in order.
QHash<QString, QString> locate(const QStringList& mapNames)
{
    QStringList files;
    for (const QString& m : mapNames)
        files << m + QStringLiteral(".map");
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(QStringLiteral("kpsewhich"), files);
    if (!p.waitForFinished(60000))
        fail(QStringLiteral("kpsewhich did not run: ") + p.errorString());
    QHash<QString, QString> found;
    const QStringList lines =
        QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QString path = line.trimmed();
        found.insert(QFileInfo(path).completeBaseName(), path);
    }
    return found;
}

// The data lines of a fontname map: "@c" comment lines and "@" notes
// dropped, "@r{...}" and "%" remarks cut off, blank lines skipped.
struct MapLine {
    QStringList fields;
    QString remark; // the @r{...} text, texinfo markup removed
};

QString plainRemark(QString r)
{
    static const QRegularExpression word(QStringLiteral("@([a-zA-Z]+)\\{\\}"));
    static const QRegularExpression cmd(QStringLiteral("@[a-zA-Z]+\\{([^{}]*)\\}"));
    r.replace(word, QStringLiteral("\\1")); // @TeX{} -> TeX
    QString prev;
    while (prev != r) {
        prev = r;
        r.replace(cmd, QStringLiteral("\\1"));
    }
    r.replace(QStringLiteral("@@"), QStringLiteral("@"));
    r.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    return r.simplified();
}

// The fields of a line split at runs of white space (no pattern compiled
// per line: the catalogues have tens of thousands of lines).
QStringList whiteFields(const QString& line)
{
    QStringList fields;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && line.at(i).isSpace())
            ++i;
        const qsizetype start = i;
        while (i < n && !line.at(i).isSpace())
            ++i;
        if (i > start)
            fields << line.mid(start, i - start);
    }
    return fields;
}

QList<MapLine> readMap(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read ") + path);
    QList<MapLine> lines;
    const QStringList raw = QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'));
    for (QString line : raw) {
        line.remove(QLatin1Char('\r'));
        if (line.startsWith(QLatin1Char('@')) || line.startsWith(QLatin1Char('%')))
            continue;
        MapLine ml;
        const int at = line.indexOf(QStringLiteral("@r{"));
        if (at >= 0) {
            QString rem = line.mid(at + 3).trimmed();
            if (rem.endsWith(QLatin1Char('}')))
                rem.chop(1);
            ml.remark = plainRemark(rem);
            line.truncate(at);
        }
        const int pct = line.indexOf(QLatin1Char('%'));
        if (pct >= 0)
            line.truncate(pct);
        ml.fields = whiteFields(line);
        if (!ml.fields.isEmpty())
            lines << ml;
    }
    return lines;
}

class Db {
public:
    explicit Db(const QString& path)
    {
        if (sqlite3_open(path.toUtf8().constData(), &db_) != SQLITE_OK)
            fail(QStringLiteral("cannot create ") + path);
    }
    ~Db()
    {
        for (sqlite3_stmt* st : statements_)
            sqlite3_finalize(st);
        sqlite3_close(db_);
    }
    void exec(const char* sql)
    {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK)
            fail(QString::fromUtf8(err ? err : "sqlite error"));
    }
    // Inserts one row; an empty value is stored as NULL, so that no LIKE
    // pattern made from an empty name matches a row without that value.
    // Each statement is prepared once and reused with new values.
    void insert(const char* sql, const QStringList& values)
    {
        sqlite3_stmt* st = statements_.value(sql);
        if (!st) {
            if (sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) != SQLITE_OK)
                fail(QString::fromUtf8(sqlite3_errmsg(db_)));
            statements_.insert(sql, st);
        } else {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
        }
        for (int i = 0; i < values.size(); ++i) {
            if (values.at(i).isEmpty()) {
                sqlite3_bind_null(st, i + 1);
            } else {
                const QByteArray v = values.at(i).toUtf8();
                sqlite3_bind_text(st, i + 1, v.constData(), v.size(), SQLITE_TRANSIENT);
            }
        }
        if (sqlite3_step(st) != SQLITE_DONE)
            fail(QString::fromUtf8(sqlite3_errmsg(db_)));
    }

private:
    sqlite3* db_ = nullptr;
    QHash<const char*, sqlite3_stmt*> statements_;
};

// Digits, optionally a point and more digits.
bool isNumber(const QString& s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto digits = [&] {
        const qsizetype start = i;
        while (i < n && s.at(i) >= QLatin1Char('0') && s.at(i) <= QLatin1Char('9'))
            ++i;
        return i > start;
    };
    if (!digits())
        return false;
    if (i == n)
        return true;
    if (s.at(i) != QLatin1Char('.'))
        return false;
    ++i;
    return digits() && i == n;
}

// The supplier code column of the five-column catalogues: A, BT, MT, LL, ITC, ???.
bool isVendorCode(const QString& s)
{
    if (s.isEmpty() || s.size() > 3)
        return false;
    for (QChar c : s) {
        if (!((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || c == QLatin1Char('?')))
            return false;
    }
    return true;
}

// A file name that is only a placeholder ("________").
QString realFileName(const QString& s)
{
    return s.count(QLatin1Char('_')) == s.size() ? QString() : s;
}

QString tilde(QString s)
{
    return s.replace(QLatin1Char('_'), QLatin1Char('~'));
}

struct FontRow {
    QString berry, ps, file, id;
};

// One catalogue line, in the forms the maps use:
//   berry ps                       (apple, dtc, part of itc and monotype)
//   berry ps file                  (urw, softkey, yandy)
//   berry ps id                    (linotype; its PostScript names may hold a blank)
//   berry ps CODE id               (itc)
//   berry ps CODE file             (adobe, a few lines)
//   berry ps CODE id file          (adobe, bitstrea, monotype, linotype-cd)
bool parseFontLine(const QStringList& f, FontRow& row)
{
    if (f.size() < 2)
        return false;
    row = FontRow{f.at(0), f.at(1), QString(), QString()};
    const QStringList rest = f.mid(2);
    if (rest.isEmpty())
        return true;
    if (isVendorCode(rest.at(0))) {
        if (rest.size() == 3) {
            row.id = rest.at(1);
            row.file = realFileName(rest.at(2));
            return true;
        }
        if (rest.size() == 2) {
            if (isNumber(rest.at(1)))
                row.id = rest.at(1);
            else
                row.file = realFileName(rest.at(1));
            return true;
        }
        return rest.size() == 1;
    }
    if (isNumber(rest.last())) {
        row.id = rest.last();
        row.ps = f.mid(1, f.size() - 2).join(QLatin1Char(' '));
        return true;
    }
    if (rest.size() == 1) {
        row.file = realFileName(rest.at(0));
        return true;
    }
    return false;
}

// The supplier letter of a catalogue: the letter supplier.map gives the
// catalogue's folder name (itc -> i, softkey-1250 -> k); failing that, the
// letter most of its Berry names begin with (yandy -> h).
QString catalogueSupplier(const QString& mapName, const QHash<QString, QString>& letterOfFolder,
                          const QList<FontRow>& rows)
{
    const QString folder = mapName.section(QLatin1Char('-'), 0, 0);
    if (letterOfFolder.contains(folder))
        return letterOfFolder.value(folder);
    QHash<QChar, int> counts;
    for (const FontRow& r : rows)
        ++counts[r.berry.at(0)];
    QChar best;
    int bestCount = 0;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it) {
        if (it.value() > bestCount || (it.value() == bestCount && it.key() < best)) {
            best = it.key();
            bestCount = it.value();
        }
    }
    return best.isNull() ? QString() : QString(best);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        fail(QStringLiteral("usage: make_texfonts_db <TeXFonts.db> <Exceptions.txt>"));
    const QString dbPath = args.at(1);
    const QString exceptionsPath = args.at(2);

    QStringList wanted;
    for (const char* m : kTableMaps)
        wanted << QString::fromLatin1(m);
    for (const char* m : kVendorMaps)
        wanted << QString::fromLatin1(m);
    const QHash<QString, QString> maps = locate(wanted);
    for (const char* m : kTableMaps) {
        if (!maps.contains(QString::fromLatin1(m)))
            fail(QStringLiteral("kpsewhich cannot find %1.map (TeX Live's fontname data)").arg(QString::fromLatin1(m)));
    }
    if (!maps.contains(QStringLiteral("adobe")))
        fail(QStringLiteral("kpsewhich cannot find adobe.map (TeX Live's fontname data)"));

    // Build beside the target and move into place, so that a failed run
    // never leaves half a database behind.
    const QString tmpPath = dbPath + QStringLiteral(".part");
    QFile::remove(tmpPath);
    {
        Db db(tmpPath);
        // Built beside the target and moved into place only when complete:
        // neither a journal nor waits for the disk are needed.
        db.exec("PRAGMA journal_mode=OFF");
        db.exec("PRAGMA synchronous=OFF");
        db.exec("BEGIN");
        db.exec("CREATE TABLE Suppliers (SupplierID TEXT, SupplierShortName TEXT, SupplierName TEXT)");
        db.exec("CREATE TABLE Typefaces (TFID TEXT, TFShortName TEXT, TFDirName TEXT)");
        db.exec("CREATE TABLE Variants (VID TEXT, VNames TEXT)");
        db.exec("CREATE TABLE FontFiles (FilBerryName TEXT, FilPSName TEXT, FilFName TEXT, "
                "FilID TEXT, FilSupplier TEXT, FilMap TEXT)");

        // supplier.map: letter, directory name, the supplier's name as a remark.
        QHash<QString, QString> letterOfFolder;
        for (const MapLine& l : readMap(maps.value(QStringLiteral("supplier")))) {
            if (l.fields.size() < 2 || l.fields.at(0).size() != 1)
                continue;
            if (l.fields.at(0).at(0).isLetterOrNumber() && !letterOfFolder.contains(l.fields.at(1)))
                letterOfFolder.insert(l.fields.at(1), l.fields.at(0));
            db.insert("INSERT INTO Suppliers VALUES (?,?,?)", {l.fields.at(0), l.fields.at(1), l.remark});
        }

        // typeface.map: two letters, directory name, typeface name, then the
        // names other suppliers give it. "__" marks names without letters yet.
        for (const MapLine& l : readMap(maps.value(QStringLiteral("typeface")))) {
            if (l.fields.size() < 2 || l.fields.at(0).size() != 2 || l.fields.at(0) == QLatin1String("__"))
                continue;
            const QString name = l.fields.size() > 2 ? l.fields.at(2) : l.fields.at(1);
            db.insert("INSERT INTO Typefaces VALUES (?,?,?)", {l.fields.at(0), name, l.fields.at(1)});
        }

        // variant.map: the code, then its names; codes without names get the
        // remark that describes them.
        for (const MapLine& l : readMap(maps.value(QStringLiteral("variant")))) {
            const QString code = l.fields.at(0);
            if (code.size() > 2)
                continue;
            QString names = l.fields.mid(1).join(QLatin1Char(' '));
            if (names.isEmpty())
                names = l.remark;
            db.insert("INSERT INTO Variants VALUES (?,?)", {code, names});
        }

        for (const char* m : kVendorMaps) {
            const QString name = QString::fromLatin1(m);
            if (!maps.contains(name)) {
                std::fprintf(stderr, "make_texfonts_db: %s.map not found, left out\n", m);
                continue;
            }
            QList<FontRow> rows;
            for (const MapLine& l : readMap(maps.value(name))) {
                FontRow row;
                // Berry names with "_" are placeholders of fonts that have none yet.
                if (parseFontLine(l.fields, row) && !row.berry.contains(QLatin1Char('_')))
                    rows << row;
            }
            const QString supplier = catalogueSupplier(name, letterOfFolder, rows);
            for (const FontRow& r : rows)
                db.insert("INSERT INTO FontFiles VALUES (?,?,?,?,?,?)",
                          {r.berry, tilde(r.ps), tilde(r.file), r.id, supplier, name});
        }

        db.exec("CREATE INDEX SuppliersByID ON Suppliers (SupplierID)");
        db.exec("CREATE INDEX TypefacesByID ON Typefaces (TFID)");
        db.exec("CREATE INDEX VariantsByID ON Variants (VID)");
        db.exec("CREATE INDEX FontFilesByPSName ON FontFiles (FilPSName)");
        db.exec("COMMIT");
    }
    QFile::remove(dbPath);
    if (!QFile::rename(tmpPath, dbPath))
        fail(QStringLiteral("cannot move the database to ") + dbPath);

    // Exceptions.txt: the first field of every special.map line, once each.
    QSet<QString> seen;
    QStringList exceptions;
    for (const MapLine& l : readMap(maps.value(QStringLiteral("special")))) {
        const QString n = l.fields.at(0);
        if (!seen.contains(n.toLower())) {
            seen.insert(n.toLower());
            exceptions << n;
        }
    }
    QSaveFile out(exceptionsPath);
    if (!out.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write ") + exceptionsPath);
    for (const QString& n : exceptions)
        out.write((n + QLatin1Char('\n')).toUtf8());
    if (!out.commit())
        fail(QStringLiteral("cannot write ") + exceptionsPath);
    return 0;
}

#include "search/FdCatalogue.h"

#include "fontinfo/SqlStatement.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Runners.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace qlk {

NoCaseDict<QString> fdPaths;
sqlite3* fdDB = nullptr;

namespace {

const char* const kCreateFdFiles =
    "CREATE TABLE fdfiles (Berry VarChar NOT NULL DEFAULT '',Parent VarChar NOT NULL DEFAULT '',"
    "Enc VarChar NOT NULL DEFAULT '', Path VarChar NOT NULL DEFAULT '', Remarks VarChar NOT NULL "
    "DEFAULT '') ";

bool startsNoCase(const QString& text, const QString& prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

bool isDigit1to9(const QString& text, int position)
{
    if (text.size() < position)
        return false;
    const QChar c = text.at(position - 1);
    return c >= QLatin1Char('1') && c <= QLatin1Char('9');
}

bool oneOf(const QString& text, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

FdClass classifyFdName(const QString& base, const QString& path, const QString& parent)
{
    // Prefix of n characters in the name's own case, and the rest.
    auto split = [&base](int n) { return FdClass{base.left(n), base.mid(n), QString()}; };
    auto fixed = [&base](const char* enc) {
        const QString e = QLatin1String(enc);
        return FdClass{e, base.mid(e.size()), QString()};
    };

    FdClass c;
    const QString parentName = parent;
    if (startsNoCase(base, QStringLiteral("u")))
        c = split(1);
    else if (base.startsWith(QLatin1Char('8')))
        c = split(2);
    else if (path.contains(QStringLiteral("/cjk/")) || path.contains(QStringLiteral("/ctex/")))
        c = split(3);
    else if (parentName.compare(QStringLiteral("chessfss"), Qt::CaseInsensitive) == 0) {
        const QString lead = base.left(4);
        if (lead.compare(QStringLiteral("lsbc"), Qt::CaseInsensitive) == 0)
            c = split(5);
        else if (oneOf(lead, {"lsis", "lsfs", "lsbs"}))
            c = split(3);
        else
            c = split(4);
    } else if (parentName.compare(QStringLiteral("cbcoptic"), Qt::CaseInsensitive) == 0)
        c = split(4);
    else if (oneOf(parentName, {"montex", "ucs", "Bg5", "arabi", "boisik", "mdwtools", "bgreek", "zhmetrics"}))
        c = split(3);
    else if (parentName.compare(QStringLiteral("sauterfonts"), Qt::CaseInsensitive) == 0)
        c = startsNoCase(base, QStringLiteral("su")) ? fixed("su") : split(4);
    else if (startsNoCase(base, QStringLiteral("ts0x")))
        c = fixed("ts0x");
    else if (startsNoCase(base, QStringLiteral("mdomx")))
        c = fixed("mdomx");
    else if (oneOf(base.left(3), {"oml", "oms", "omx", "t2a", "t2b", "t2c", "lcy", "lgr", "lgb", "lmr",
                                  "ts0", "fml", "fms", "fmx", "mda", "mdb", "lgi", "lmx"}))
        c = split(3);
    else if (startsNoCase(base, QStringLiteral("qx")))
        c = fixed("qx");
    else if (isDigit1to9(base, 2))
        c = split(2);
    else if (isDigit1to9(base, 3))
        c = split(3);
    else
        c = FdClass{QString(), base, QString()};

    if (c.enc.isEmpty())
        c.remarks = QStringLiteral("Berry scheme not followed");
    return c;
}

QStringList unnamedDistTrees()
{
    QStringList trees;
    for (const QString& tree : texmfTrees) {
        if (treeRoleOf(tree).isEmpty() && !isPersonalPath(tree) && !trees.contains(tree))
            trees << tree;
    }
    return trees;
}

QList<FdScanStep> scanFdTrees()
{
    const QString below = QStringLiteral("/tex/latex");
    const QString pattern = QStringLiteral("*.fd");
    QList<FdScanStep> steps;

    QStringList distRoots{texmfDist + below};
    for (const QString& tree : unnamedDistTrees())
        distRoots << tree + below;
    steps << FdScanStep{findFilesByName(distRoots, pattern), QStringLiteral(" noted in texmfdist"), false};
    steps << FdScanStep{findFilesByName({texmfLocal + below}, pattern),
                        QStringLiteral(" noted while scanning texmflocal"), true};
    steps << FdScanStep{findFilesByName({texmfHome + below}, pattern),
                        QStringLiteral(" noted while scanning texmfhome"), true};

    // TEXMFVAR is walked with find, its names compared in their own case.
    FdScanStep var{{}, QStringLiteral(" noted while scanning texmfvar"), true};
    const QString varOutput =
        runShellQuiet(shellQuote(systemProgram(QStringLiteral("find"))) + QLatin1Char(' ') + shellQuote(texmfVar + below) +
                      QStringLiteral(" -name ") + shellQuote(pattern));
    for (const QString& line : varOutput.split(lf)) {
        if (!line.isEmpty())
            var.paths << line;
    }
    steps << var;
    return steps;
}

QStringList buildFdCatalogue(const QList<FdScanStep>& steps)
{
    fdPaths = NoCaseDict<QString>();
    QStringList report;
    for (const FdScanStep& step : steps) {
        for (const QString& path : step.paths) {
            const QString name = path.section(QLatin1Char('/'), -1);
            if (name.isEmpty())
                continue;
            if (fdPaths.contains(name)) {
                const QString kept = fdPaths.value(name);
                report << QStringLiteral("Duplicate ") + name + step.header;
                report << QStringLiteral("  0: ") + kept + QStringLiteral("  (dated ") + fileDate(kept) +
                              QLatin1Char(')');
                report << QStringLiteral("  1: ") + path + QStringLiteral("  (dated ") + fileDate(path) +
                              QLatin1Char(')');
                if (step.laterWins)
                    fdPaths.insert(name, path);
            } else {
                fdPaths.insert(name, path);
            }
        }
    }

    if (fdDB)
        sqlite3_close(fdDB);
    fdDB = nullptr;
    if (sqlite3_open(":memory:", &fdDB) != SQLITE_OK) {
        sqlite3_close(fdDB);
        fdDB = nullptr;
    } else if (sqlite3_exec(fdDB, kCreateFdFiles, nullptr, nullptr, nullptr) != SQLITE_OK) {
        msgBox(dbMessage(fdDB));
        return {};
    } else {
        sqlite3_exec(fdDB, "BEGIN", nullptr, nullptr, nullptr);
        bool failed = false;
        sqlite3_stmt* insert = nullptr;
        if (sqlite3_prepare_v2(fdDB, "INSERT INTO fdfiles (Berry,Parent,Enc,Path,Remarks) VALUES (?,?,?,?,?)",
                               -1, &insert, nullptr) != SQLITE_OK)
            failed = true;
        for (const QString& name : fdPaths.keys()) {
            if (failed)
                break;
            const QString path = fdPaths.value(name);
            const QString base = name.section(QLatin1Char('.'), 0, 0);
            const QString parent = path.section(QLatin1Char('/'), -2, -2);
            const FdClass c = classifyFdName(base, path, parent);
            const QByteArray values[] = {c.berry.toUtf8(), parent.toUtf8(), c.enc.toUtf8(), path.toUtf8(),
                                         c.remarks.toUtf8()};
            for (int i = 0; i < 5; ++i)
                sqlite3_bind_text(insert, i + 1, values[i].constData(), values[i].size(), SQLITE_TRANSIENT);
            failed = sqlite3_step(insert) != SQLITE_DONE;
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        if (failed) {
            msgBox(dbMessage(fdDB));
            sqlite3_exec(fdDB, "ROLLBACK", nullptr, nullptr, nullptr);
        } else {
            sqlite3_exec(fdDB, "COMMIT", nullptr, nullptr, nullptr);
        }
    }

    if (!report.isEmpty()) {
        report << QStringLiteral("You need take no action unless you are having problems with font behavior.")
               << QStringLiteral("Search for all occurrences of the duplicated names, and delete unwanted copies.")
               << QStringLiteral("Use 'kpsewhich x.fd' (where x.fd is the duplicate name) to learn which is "
                                 "currently read by LaTeX.");
    }
    return report;
}

QStringList catalogueFD()
{
    return buildFdCatalogue(scanFdTrees());
}

QList<FdRow> fdRows(const QString& filter)
{
    QList<FdRow> rows;
    if (!fdDB)
        return rows;
    const char* all = "SELECT Enc, Berry, Parent, Path, Remarks FROM fdfiles ORDER BY Berry";
    const char* filtered = "SELECT Enc, Berry, Parent, Path, Remarks FROM fdfiles where (Berry LIKE ?1) or "
                           "(Path LIKE ?1) or (Remarks LIKE ?1) ORDER BY Berry";
    SqlStatement query(fdDB, filter.isEmpty() ? all : filtered);
    if (!query.ok())
        return rows;
    if (!filter.isEmpty())
        query.bind(1, QLatin1Char('%') + filter + QLatin1Char('%'));
    while (query.next())
        rows << FdRow{query.text(0), query.text(1), query.text(2), query.text(3), query.text(4)};
    return rows;
}

QString fdCount()
{
    if (!fdDB)
        return QString();
    SqlStatement query(fdDB, "SELECT Count(Berry) from fdfiles");
    return query.ok() && query.next() ? query.text(0) : QString();
}

} // namespace qlk

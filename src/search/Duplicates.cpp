#include "search/Duplicates.h"

#include "fontinfo/SqlStatement.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "search/FdCatalogue.h"
#include "services/FileHelpers.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <sqlite3.h>

#include <memory>

namespace qlk {

namespace {

const char* const kCreateFiles = "CREATE TABLE files (name VarChar NOT NULL DEFAULT '',Parent VarChar NOT NULL "
                                 "DEFAULT '',tree Integer NOT NULL DEFAULT 0, branch VarChar NOT NULL DEFAULT '') ";

void listInto(const QString& root, const QString& relative, QList<LsRFolder>& out)
{
    QDir dir(relative.isEmpty() ? root : root + relative);
    const QFileInfoList items =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    LsRFolder folder{relative.isEmpty() ? QStringLiteral("/") : relative, {}};
    QStringList subfolders;
    for (const QFileInfo& item : items) {
        folder.entries << item.fileName();
        if (item.isDir() && !item.isSymLink())
            subfolders << item.fileName();
    }
    out << folder;
    for (const QString& sub : subfolders)
        listInto(root, relative + QLatin1Char('/') + sub, out);
}

QString branchOf(const QString& folder)
{
    return folder.section(QLatin1Char('/'), 1, 1);
}

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// The rows one root contributed, by rowid, so that a row of tree 0 can be
// reported under the distribution tree it came from.
struct RootRange {
    int tree;
    QString root;
    qint64 first;
    qint64 last;
};

} // namespace

QList<LsRFolder> parseLsR(const QString& text)
{
    QList<LsRFolder> folders;
    QStringList lines = text.split(lf);
    for (QString& line : lines) {
        if (line.endsWith(cr))
            line.chop(1);
    }
    int i = 1; // the header
    while (i < lines.size()) {
        const QString folderLine = lines.at(i++);
        if (folderLine.isEmpty())
            continue; // a stray empty line, or the file's last line end
        LsRFolder folder{folderLine.mid(1, folderLine.size() - 2), {}};
        if (folder.folder.isEmpty())
            folder.folder = QStringLiteral("/");
        while (i < lines.size() && !lines.at(i).isEmpty())
            folder.entries << lines.at(i++);
        folders << folder;
    }
    return folders;
}

QList<LsRFolder> listTree(const QString& root)
{
    QList<LsRFolder> out;
    if (QFileInfo(root).isDir())
        listInto(root, QString(), out);
    return out;
}

QList<LsRFolder> treeListing(const QString& root)
{
    const QString lsR = root + QStringLiteral("/ls-R");
    if (QFileInfo(lsR).isFile()) {
        QFile file(lsR);
        if (file.open(QIODevice::ReadOnly))
            return parseLsR(QString::fromUtf8(file.readAll()));
    }
    return listTree(root);
}

const QStringList& duplicateTypes()
{
    static const QStringList types{"tex", "sty", "fd",  "map", "pro", "tfm", "vf",  "pfb", "pfa",
                                   "enc", "ttf", "ist", "bib", "etx", "mtx", "def", "ini", "lua",
                                   "mp",  "con", "bst", "ali", "fmt", "cls", "ltx"};
    return types;
}

bool isCataloguedName(const QString& name)
{
    const QStringList fields = name.split(QLatin1Char('.'));
    return fields.size() == 2 && duplicateTypes().contains(fields.at(1), Qt::CaseInsensitive);
}

bool isSkippedBranch(const QString& branch)
{
    static const QStringList skipped{"doc", "metafont", "source"};
    return skipped.contains(branch, Qt::CaseInsensitive);
}

QString newReportPath(const QString& folder)
{
    QRandomGenerator random = QRandomGenerator::securelySeeded();
    QString path;
    do {
        path = folder + QStringLiteral("/dups") + QString::number(random.bounded(1000, 10000)) +
               QStringLiteral(".txt");
    } while (QFileInfo::exists(path));
    return path;
}

DuplicateResult findDuplicates(const DuplicateView& view)
{
    auto status = [&view](const QString& text) {
        if (view.status)
            view.status(text);
    };
    DuplicateResult result;

    status(QStringLiteral("Creating texmf database..."));
    sqlite3* raw = nullptr;
    if (sqlite3_open(":memory:", &raw) != SQLITE_OK) {
        sqlite3_close(raw);
        msgBox(QStringLiteral("Unable to connect to dupdb. Cannot continue."));
        result.closeWindow = true;
        return result;
    }
    std::unique_ptr<sqlite3, DbCloser> db(raw);
    if (sqlite3_exec(raw, kCreateFiles, nullptr, nullptr, nullptr) != SQLITE_OK) {
        msgBox(dbMessage(raw) + QStringLiteral("\nCannot continue."));
        result.closeWindow = true;
        return result;
    }

    // The trees by number; higher numbers come first in the search order.
    // Debian's unnamed distribution trees are read with TEXMFDIST.
    const QString treePath[4] = {texmfDist, texmfLocal, texmfHome, texmfVar};
    QList<QPair<int, QString>> roots{{0, texmfDist}};
    for (const QString& tree : unnamedDistTrees())
        roots << qMakePair(0, tree);
    for (int t = 1; t <= 3; ++t) {
        if (!treePath[t].isEmpty() && QFileInfo(treePath[t]).isDir())
            roots << qMakePair(t, treePath[t]);
    }

    QList<RootRange> ranges;
    sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(raw, "INSERT INTO files (name,parent,tree,branch) VALUES (?,?,?,?)", -1, &insert, nullptr);
    for (const auto& [tree, root] : roots) {
        // The personal trees are listed as they stand now, without writing
        // an ls-R into them.
        const QList<LsRFolder> folders = tree >= 2 ? listTree(root) : treeListing(root);
        RootRange range{tree, root, sqlite3_last_insert_rowid(raw) + 1, 0};
        for (const LsRFolder& folder : folders) {
            const QString branch = branchOf(folder.folder);
            if (isSkippedBranch(branch))
                continue;
            const QByteArray parent = folder.folder.toUtf8();
            const QByteArray branchBytes = branch.toUtf8();
            for (const QString& entry : folder.entries) {
                if (!isCataloguedName(entry))
                    continue;
                const QByteArray name = entry.toUtf8();
                sqlite3_bind_text(insert, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 2, parent.constData(), parent.size(), SQLITE_TRANSIENT);
                sqlite3_bind_int(insert, 3, tree);
                sqlite3_bind_text(insert, 4, branchBytes.constData(), branchBytes.size(), SQLITE_TRANSIENT);
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
        }
        range.last = sqlite3_last_insert_rowid(raw);
        ranges << range;
    }
    sqlite3_finalize(insert);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);

    auto rootOf = [&ranges, &treePath](int tree, qint64 rowid) {
        for (const RootRange& r : ranges) {
            if (r.tree == tree && rowid >= r.first && rowid <= r.last)
                return r.root;
        }
        return treePath[tree];
    };

    status(QStringLiteral("Finished creating texmf database. Searching for duplicates..."));

    const QString documents = documentsFolder();
    result.reportFile = newReportPath(documents);
    if (view.reportName)
        view.reportName(QStringLiteral("Report will be saved in Documents/") +
                        QFileInfo(result.reportFile).fileName());
    QFile report(result.reportFile);
    if (!report.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        msgBox(QStringLiteral("Unable to create the report file ") + result.reportFile + QStringLiteral(": ") +
               report.errorString());
        status(QStringLiteral("No report could be written; the search was not run."));
        result.reportFile.clear();
        return result;
    }
    auto write = [&report](const QString& line) { report.write((line + lf).toUtf8()); };
    write(QStringLiteral("Possible duplicate files in the texmf trees"));
    write(QString());

    QSet<QString> lookedUp;
    QString progress;
    for (int n = 3; n >= 1; --n) {
        status(QStringLiteral("Searching for duplicates of items in ") + treePath[n] + QStringLiteral("..."));
        QStringList names, branches, parents;
        {
            sqlite3_stmt* rows = nullptr;
            if (sqlite3_prepare_v2(raw, "select name,branch,parent,rowid from files where tree=?", -1, &rows,
                                   nullptr) == SQLITE_OK) {
                sqlite3_bind_int(rows, 1, n);
                while (sqlite3_step(rows) == SQLITE_ROW) {
                    names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, 0)));
                    branches << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, 1)));
                    parents << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, 2)));
                }
            }
            sqlite3_finalize(rows);
        }
        const int count = int(names.size());
        if (count == 0)
            continue;
        progress += QStringLiteral("Checking ") + QString::number(count) + QStringLiteral(" files in ") +
                    treePath[n] + QStringLiteral(" for duplicates") + QLatin1Char('\n');
        if (view.progress)
            view.progress(progress);

        sqlite3_stmt* lookup = nullptr;
        sqlite3_prepare_v2(raw,
                           "select parent,tree,rowid from files where name=? and branch=? and tree<? ORDER BY "
                           "tree DESC",
                           -1, &lookup, nullptr);
        for (int i = 1; i <= count; ++i) {
            const QString& name = names.at(i - 1);
            const QString& branch = branches.at(i - 1);
            if (lookedUp.contains((name + tab + branch).toLower()))
                continue;
            const QByteArray nameBytes = name.toUtf8();
            const QByteArray branchBytes = branch.toUtf8();
            sqlite3_bind_text(lookup, 1, nameBytes.constData(), nameBytes.size(), SQLITE_TRANSIENT);
            sqlite3_bind_text(lookup, 2, branchBytes.constData(), branchBytes.size(), SQLITE_TRANSIENT);
            sqlite3_bind_int(lookup, 3, n);
            QStringList lower;
            while (sqlite3_step(lookup) == SQLITE_ROW) {
                const QString parent =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(lookup, 0)));
                const int tree = sqlite3_column_int(lookup, 1);
                const qint64 rowid = sqlite3_column_int64(lookup, 2);
                lower << rootOf(tree, rowid) + parent + QLatin1Char('/') + name;
            }
            sqlite3_reset(lookup);
            if (!lower.isEmpty()) {
                write(treePath[n] + parents.at(i - 1) + QLatin1Char('/') + name);
                for (const QString& line : lower)
                    write(line);
                write(QString());
            }
            if (i % 100 == 0 && view.progress)
                view.progress(progress + QStringLiteral("Finished checking ") + QString::number(i) +
                              QStringLiteral(" files of ") + QString::number(count));
        }
        sqlite3_finalize(lookup);
        for (int i = 0; i < count; ++i)
            lookedUp.insert((names.at(i) + tab + branches.at(i)).toLower());
    }

    report.close();
    if (report.error() != QFileDevice::NoError) {
        msgBox(QStringLiteral("The report ") + result.reportFile + QStringLiteral(" could not be written: ") +
               report.errorString());
        status(QStringLiteral("The report could not be written."));
        return result;
    }
    status(QStringLiteral("Finished checking for all duplicates. See the report."));
    result.finished = true;
    return result;
}

} // namespace qlk

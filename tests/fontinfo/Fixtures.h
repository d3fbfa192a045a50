#pragma once
#include "support/TexGlobals.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace qlk::test {

// The TeXFonts.db the build made, beside the executable.
QString builtDatabase();

// A small font-name database made in the test, with the program's four
// tables; connected as fontDB while the object lives.
class FixtureDb {
public:
    FixtureDb();
    ~FixtureDb();
    void supplier(const QString& id, const QString& shortName);
    void typeface(const QString& id, const QString& name);
    void variant(const QString& id, const QString& names);
    void fontFile(const QString& berry, const QString& ps, const QString& file,
                  const QString& supplier = QString());
    // Connects the database read-only as fontDB (after the rows are in).
    void connect();

private:
    void exec(const QString& sql, const QStringList& values);
    QTemporaryDir dir_;
    QString path_;
};

// Puts back the TeX environment globals the tests set (trees, mapRoot) and
// TMPDIR when it goes.
class TexGlobalsGuard {
public:
    TexGlobalsGuard();
    ~TexGlobalsGuard();

private:
    SavedTexGlobals saved_;
    QByteArray tmpdir_;
    bool hadTmpdir_ = false;
};

// The folders "tmp" + seven digits in `parent`.
QStringList scratchFolders(const QString& parent);

// The lines of a text file (split at LF; the empty piece after a final LF dropped).
QStringList fileLinesOf(const QString& path);

} // namespace qlk::test

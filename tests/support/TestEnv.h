#pragma once
#include "platform/Dialogs.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace qlk::test {

// A test's own world: a temporary HOME, and the personal and local TeX trees
// pointed at temporary folders through the environment, which kpsewhich and
// the TeX programs honour. With `isolateSystemTrees` TEXMFSYSVAR and
// TEXMFSYSCONFIG move too. Dialogs are answered by `dialogs`; the quit path
// only records. Everything is put back when the object goes.
class TestEnv {
public:
    explicit TestEnv(bool isolateSystemTrees = true);
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    QString root() const { return dir_.path(); }
    QString home() const { return home_; }
    QString texmfHome() const;
    QString texmfVar() const;
    QString texmfConfig() const;
    QString texmfLocal() const;

    // Writes a file (folders made as needed) and returns its path.
    QString writeFile(const QString& relativePath, const QByteArray& contents) const;
    // An executable script in a folder of its own (a stand-in program).
    QString writeScript(const QString& relativePath, const QString& body) const;

    ScriptedDialogs dialogs;
    int quits = 0;

private:
    void setEnv(const char* name, const QString& value);
    void unsetEnv(const char* name);

    QTemporaryDir dir_;
    QString home_;
    QMap<QByteArray, QByteArray> saved_;
    QList<QByteArray> wasUnset_;
};

// A file's bytes; empty when it cannot be read.
QByteArray readBytes(const QString& path);

// A file of Debian's TeX Live found through kpsewhich (empty when missing).
QString texFile(const QString& name);

// The files below `root` (hidden ones left out), relative to it, sorted.
QStringList filesUnder(const QString& root);

} // namespace qlk::test

#pragma once
#include "platform/Dialogs.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace qlk::test {

// Quits in tests. A quit request is only recorded, never acted on: the
// program's real exit would make every later event loop of the process
// return at once. A test that expects quits takes them, and so says it did:
//     EXPECT_EQ(env.takeQuits(), 1);
// At the end of every test (a listener in the test mains) a quit that was
// not taken fails the test, naming the last dialog shown before it; so does
// a quit that reached another handler, and a real exit of the event loop.
// createAppObject() installs the program's real exit: call recordQuits()
// after it. A test of that real exit says so with expectRealExit() and runs
// it inside QCoreApplication::exec(), which ends the way the program's does.
int takeQuits();
void recordQuits();
void expectRealExit();
// Installs the end-of-test check; the test mains call it once.
void checkQuitsAfterEachTest();

// A test's own world: a temporary HOME, and the personal and local TeX trees
// pointed at temporary folders through the environment, which kpsewhich and
// the TeX programs honour. With `isolateSystemTrees` TEXMFSYSVAR and
// TEXMFSYSCONFIG move too. Dialogs are answered by `dialogs`; the quit path
// only records (see below). Everything is put back when the object goes.
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
    // The quits recorded since the last call; see "Quits in tests" above.
    int takeQuits() { return test::takeQuits(); }

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

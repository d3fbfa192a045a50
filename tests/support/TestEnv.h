#pragma once
#include "platform/Dialogs.h"
#include "platform/Process.h"

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

// The root route in tests. Tests run as root, where the program takes the
// administrator's road and runs mktexlsr and updmap-sys on the machine's
// own trees. So the bundle-script runner (behind runAsRoot, sudocmd and
// sudoterm) refuses by default: reaching it fails the test, naming the
// script and the command, and the program sees exit status
// kRefusedRootStatus. A test that expects root commands installs its own
// recorder with setBundleScriptRunner; the refusal is back at the start of
// the next test and when a TestEnv goes.
constexpr int kRefusedRootStatus = 126;
void refuseRootRoute();
// Installs the refusal before every test; the test mains call it once.
void refuseRootRouteInEachTest();

// Runs root command text (TAB-separated steps, sudo removed) for real, for
// a recorder whose test needs its effect. It refuses, failing the test, a
// text that names one of the machine's TeX trees or runs updmap-sys or
// fmtutil-sys while TEXMFSYSVAR or TEXMFSYSCONFIG is not the test's own. A
// mktexlsr without folders rebuilds only the trees the environment points
// into the temporary folder, never the machine's.
ProcessResult runRootCommands(const QString& text, int timeoutMs = kShellTimeoutMs);

// The TeX trees of the machine no test may write (root's personal ones
// included).
QStringList machineTrees();

// A test's own world: a temporary HOME, and the personal and local TeX trees
// pointed at temporary folders through the environment, which kpsewhich and
// the TeX programs honour. With `isolateSystemTrees` TEXMFSYSVAR and
// TEXMFSYSCONFIG move too; without it they stay the machine's, to be read
// (formats, the system's pdftex.map), never written: such a test runs no
// updmap-sys or fmtutil-sys. Dialogs are answered by `dialogs`; the quit path
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

// Whether a process of group `group` still runs (a zombie has ended).
bool processGroupRuns(qint64 group);

// A file of Debian's TeX Live found through kpsewhich (empty when missing).
QString texFile(const QString& name);

// The files below `root` (hidden ones left out), relative to it, sorted.
QStringList filesUnder(const QString& root);

} // namespace qlk::test

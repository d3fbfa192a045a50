#pragma once
#include "platform/BundleScripts.h"
#include "platform/Paths.h"
#include "support/PrintText.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

namespace qlk::test {

// The root route replaced by a recorder: nothing runs, every text handed to
// a script is kept with the script's name, and the exit status is `status`.
struct RootRoute {
    QStringList scripts;
    QStringList texts;
    int status = 0;
    RootRoute()
    {
        setBundleScriptRunner([this](const QString& script, const QStringList& args) {
            scripts << script;
            texts << args.value(0);
            return ScriptResult{status, QString()};
        });
    }
};

// A folder of stand-in TeX programs that write their arguments, one a line
// after the program's name, to calls.log, and then run the real program
// (unless `realRuns` is false). A file "fail-<name>" beside them makes that
// program fail with status 3 before doing anything.
struct StandInTexbin {
    QString folder;
    QString log;
    StandInTexbin(const TestEnv& env, bool realRuns, const QString& name = QStringLiteral("bin"))
    {
        const QString real = texbin();
        folder = env.root() + QLatin1Char('/') + name;
        log = folder + QStringLiteral("/calls.log");
        for (const char* program : {"updmap-user", "updmap-sys", "mktexlsr"}) {
            const QString p = QLatin1String(program);
            QString body = QStringLiteral("here=$(dirname \"$0\")\n"
                                          "{ echo \"%1\"; for a in \"$@\"; do echo \"[$a]\"; done; } >> \"$here/calls.log\"\n"
                                          "[ -e \"$here/fail-%1\" ] && exit 3\n")
                               .arg(p);
            if (realRuns) {
                // Never on the machine's trees: updmap-sys only on the test's own
                // system trees, mktexlsr only on folders it is given.
                if (p == QLatin1String("updmap-sys"))
                    body += QStringLiteral("for v in TEXMFSYSVAR TEXMFSYSCONFIG; do\n"
                                           "  case \"$('%1/kpsewhich' -var-value \"$v\")\" in %2/*) ;;\n"
                                           "  *) echo \"refused in tests: updmap-sys on the machine's $v\" >&2; exit 126;;\n"
                                           "  esac\n"
                                           "done\n")
                                .arg(real, QDir::tempPath());
                if (p == QLatin1String("mktexlsr"))
                    body += QStringLiteral("[ $# -gt 0 ] || { echo 'refused in tests: mktexlsr over every tree' >&2; exit 126; }\n");
                body += QStringLiteral("exec '%1/%2' \"$@\"\n").arg(real, p);
            } else {
                body += QStringLiteral("exit 0\n");
            }
            env.writeScript(QDir(env.root()).relativeFilePath(folder + QLatin1Char('/') + p), body);
        }
        // The scan's other programs are the real ones.
        for (const char* program : {"kpsewhich", "tex", "updmap", "otftotfm"})
            QFile::link(real + QLatin1Char('/') + QLatin1String(program),
                        folder + QLatin1Char('/') + QLatin1String(program));
        setTexbinForTesting(folder);
    }
    void fail(const QString& program) const
    {
        QFile f(folder + QStringLiteral("/fail-") + program);
        f.open(QIODevice::WriteOnly);
    }
    // Each call as "program [arg] [arg] ...".
    QStringList calls() const
    {
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList out;
        for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            if (line.isEmpty())
                continue;
            if (line.startsWith(QLatin1Char('[')) && !out.isEmpty())
                out.last() += QLatin1Char(' ') + line;
            else
                out << line;
        }
        return out;
    }
};

// A small font-name database beside a stand-in application folder, so that
// the scan can run to its end.
inline bool makeFontDB(const TestEnv& env)
{
    const QString app = env.root() + QStringLiteral("/app");
    QDir().mkpath(app);
    setAppFolderForTesting(app);
    sqlite3* db = nullptr;
    if (sqlite3_open((app + QStringLiteral("/TeXFonts.db")).toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    const char* sql =
        "CREATE TABLE Suppliers (SupplierID TEXT, SupplierShortName TEXT);"
        "CREATE TABLE Typefaces (TFID TEXT, TFShortName TEXT);"
        "CREATE TABLE FontFiles (FilBerryName TEXT, FilPSName TEXT, FilFName TEXT, FilID TEXT, FilSupplier TEXT);"
        "CREATE TABLE Variants (VID TEXT, VNames TEXT);";
    const bool ok = sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// A map file of the test's own in TEXMFHOME, for a font nobody else has,
// with the outline file it loads beside it (the check after an enabling
// looks for it; nothing reads its bytes).
inline QString writePersonalMap(const TestEnv& env, const QString& name)
{
    const QString font = name.section(QLatin1Char('.'), 0, 0) + QStringLiteral("font");
    env.writeFile(QStringLiteral("home/texmf/fonts/type1/qlk/") + font + QStringLiteral(".pfb"), "outline");
    return env.writeFile(QStringLiteral("home/texmf/fonts/map/dvips/qlk/") + name,
                         QStringLiteral("%1 QlkTest%2 <%1.pfb\n").arg(font, name.section(QLatin1Char('.'), 0, 0)).toUtf8());
}

} // namespace qlk::test

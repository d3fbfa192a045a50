#pragma once
#include "../search/SearchFixture.h"

#include "platform/BundleScripts.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "services/Privileged.h"
#include "support/PrintText.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

// Readable failures for texts.
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(" | ").toStdString() << ']'; }

namespace qlk::test {

// Copies a folder of the distribution (relative path) into a test tree.
inline void copyFromDist(const QString& relative, const QString& tree, const QString& targetRelative = QString())
{
    const QString source = machineVar("TEXMFDIST") + QLatin1Char('/') + relative;
    const QString target = tree + QLatin1Char('/') + (targetRelative.isEmpty() ? relative : targetRelative);
    QDir().mkpath(target);
    QDirIterator it(source, QDir::Files);
    while (it.hasNext()) {
        it.next();
        QFile::copy(it.filePath(), target + QLatin1Char('/') + it.fileName());
    }
}

// Every file below `root`, relative to it, sorted (hidden ones too).
inline QStringList filesBelow(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

// Root commands recorded; with `run` those that are no updmap command run
// in the test's shell (the tests have the rights), else none runs and all
// answer success.
struct RootCommands {
    QStringList commands;
    QStringList scripts;
    explicit RootCommands(bool run = false)
    {
        setBundleScriptRunner([this, run](const QString& script, const QStringList& args) {
            scripts << script;
            commands << args.value(0);
            if (!run || args.value(0).contains(QLatin1String("updmap")))
                return ScriptResult{0, QString()};
            const ProcessResult r = runRootCommands(args.value(0));
            return ScriptResult{r.exitCode, r.output};
        });
    }
    ~RootCommands() { refuseRootRoute(); }
};

// The trees of a TestEnv with the machine's distribution beside them; the
// unnamed distribution tree (Debian's /usr/share/texmf) on the search path.
struct UninstallWorld {
    TestEnv env;
    SearchTrees trees{env, machineVar("TEXMFDIST")};
    UninstallWorld()
    {
        const QString debian = machineVar("TEXMFDEBIAN");
        if (!debian.isEmpty())
            texmfTrees << debian;
        QDir().mkpath(env.texmfLocal());
        QDir().mkpath(env.texmfHome());
        QDir().mkpath(env.texmfVar());
    }
    QStringList treeList() const { return {texmfLocal, texmfHome, texmfVar}; }
};

// Runs a shell line; its output, or what failed.
inline QString run(const QString& line)
{
    const ProcessResult r = runBash(line);
    return r.exitCode == 0 ? r.output : QStringLiteral("FAILED: ") + line + QStringLiteral("\n") + r.output;
}

// Typesets a page with the package's font; pdffonts' listing, or what failed.
inline QString typeset(const QString& work, const QString& package)
{
    QDir().mkpath(work);
    writeAt(work + "/doc.tex", ("\\documentclass{article}\\usepackage{" + package +
                                "}\\begin{document}\\qlkshow\\end{document}\n")
                                   .toLatin1());
    QFile::remove(work + "/doc.pdf");
    return run("cd " + shellQuote(work) + " && { pdflatex -interaction=nonstopmode -halt-on-error doc.tex >/dev/null "
               "|| { grep -A3 '^!' doc.log; false; }; } && pdffonts doc.pdf");
}

inline bool embeds(const QString& fonts, const QString& psName)
{
    for (const QString& line : fonts.split('\n')) {
        if (line.contains("+" + psName + " ") && line.contains(QRegularExpression(" yes +yes +(yes|no) ")))
            return true;
    }
    return false;
}

} // namespace qlk::test

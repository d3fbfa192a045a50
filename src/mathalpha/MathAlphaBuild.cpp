#include "mathalpha/MathAlphaBuild.h"

#include "fontinfo/ScratchFolder.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlk::mathalpha {

const char* const kSupportFiles[4] = {"qlkheader.mtx", "mathalf.etx", "setxh.mtx", "cmr10.pl"};

namespace {

QString q(const QString& s)
{
    return shellQuote(s);
}

QString tex(const char* name)
{
    return shellQuote(texProgram(QString::fromLatin1(name)));
}

QString sys(const char* name)
{
    return shellQuote(systemProgram(QString::fromLatin1(name)));
}

// Writes a whole file; a message and false when it cannot be written.
bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush()) {
        msgBox(QStringLiteral("Unable to write ") + path);
        return false;
    }
    return true;
}

bool makeSourcePl(const QString& scratch, const QString& ttfm, const TfmPath& src)
{
    const QString vf = runShellQuiet(tex("kpsewhich") + QLatin1Char(' ') + q(src.base + QStringLiteral(".vf")));
    const QString pl = scratch + QLatin1Char('/') + src.base + QStringLiteral(".pl");
    if (lastShell.errorCode != 0 || vf.isEmpty()) {
        // tftopl finds the .tfm by name on the search path.
        QString cd;
        if (!src.tree.isEmpty())
            cd = QStringLiteral("cd ") + q(src.tree) + QStringLiteral(" && ");
        runShell(cd + tex("tftopl") + QLatin1Char(' ') + q(src.file) + QLatin1Char(' ') +
                 q(scratch + QLatin1Char('/') + src.base));
    } else {
        runShell(tex("vftovp") + QLatin1Char(' ') + q(vf) + QLatin1Char(' ') + q(ttfm) + QLatin1Char(' ') + q(pl));
    }
    if (lastShell.errorCode != 0)
        return false;
    if (!QFileInfo(pl).isFile()) {
        msgBox(QStringLiteral("No property list was made for ") + src.file + QStringLiteral(" in ") + scratch);
        return false;
    }
    const QString text = readLatin1File(pl);
    const QString rewritten = rewriteCodingScheme(text);
    if (rewritten != text)
        return writeFile(pl, rewritten.toLatin1());
    return true;
}

} // namespace

QString newestTmpFile(const QString& documents)
{
    return documents + QStringLiteral("/newesttmp.txt");
}

BuildOutcome buildFont(const BuildRequest& r)
{
    BuildOutcome out;
    // 8. The scratch folder, named in newesttmp.txt.
    out.scratch = makeScratchFolder(r.documents);
    if (out.scratch.isEmpty()) {
        msgBox(QStringLiteral("Unable to create a work folder in ") + r.documents);
        return out;
    }
    const QString s = out.scratch;
    if (!writeFile(newestTmpFile(r.documents), (QFileInfo(s).fileName() + QLatin1Char('\n')).toUtf8()))
        return out;

    // 9. The base font's property list.
    out.source = splitTfmPath(r.ttfm);
    if (!makeSourcePl(s, r.ttfm, out.source))
        return out;

    // 10. The support files, and adjustments.mtx from the header.
    QString copy = sys("cp");
    for (const char* f : kSupportFiles)
        copy += QLatin1Char(' ') + q(r.supportFolder + QLatin1Char('/') + QString::fromLatin1(f));
    runShell(copy + QLatin1Char(' ') + q(s));
    if (lastShell.errorCode != 0)
        return out;
    const QString header = readTextFile(s + QStringLiteral("/qlkheader.mtx"));
    QFile::remove(s + QStringLiteral("/qlkheader.mtx"));
    if (!writeFile(s + QStringLiteral("/adjustments.mtx"), (header + r.mtxTail).toUtf8()))
        return out;

    // 11. The driver; 12. tex and vptovf.
    const QString driver = QStringLiteral("u") + r.font + QStringLiteral("-drv.tex");
    if (!writeFile(s + QLatin1Char('/') + driver, driverText(r.font, r.ttfmn, r.withAdjustments).toUtf8()))
        return out;
    runShell(QStringLiteral("cd ") + q(s) + QStringLiteral(" && ") + tex("tex") + QLatin1Char(' ') + q(driver) +
             QStringLiteral(" && ") + tex("vptovf") + QLatin1Char(' ') + q(r.font) + QLatin1Char(' ') +
             q(r.font) + QLatin1Char(' ') + q(r.font));
    if (lastShell.errorCode != 0)
        return out;
    // vptovf writes a dimension of 16 design sizes or more as 0 and still
    // succeeds: a font that differs from the grid is not made.
    if (lastShell.errorOutput.contains(QLatin1String("is too large"))) {
        msgBox(QStringLiteral("vptovf could not make ") + r.font + QStringLiteral(".tfm as adjusted: ") +
               trimWhite(lastShell.errorOutput).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified() +
               QStringLiteral(". A glyph's width or italic correction with its adjustments must stay below 16000 "
                              "thousandths of the design size."));
        return out;
    }

    // 13. The package.
    if (!writeFile(s + QLatin1Char('/') + r.sty + QStringLiteral(".sty"),
                   styText(r.sty, r.font, r.kind, r.date).toUtf8()))
        return out;

    // 14. The scale hook in fontinst's .fd.
    const QString fdName = QStringLiteral("u") + r.font.toLower() + QStringLiteral(".fd");
    const QString fdPath = s + QLatin1Char('/') + fdName;
    const bool hasFd = QFileInfo(fdPath).isFile();
    if (hasFd) {
        QString error;
        const QString patched = patchFd(readTextFile(fdPath), r.sty, fdName, &error);
        if (patched.isEmpty()) {
            msgBox(error);
            return out;
        }
        if (!writeFile(fdPath, patched.toUtf8()))
            return out;
    }

    // 15. The TDS tree.
    const QString d = QLatin1Char('/') + out.source.vendor + QLatin1Char('/') + out.source.family;
    const QString tfmDir = QStringLiteral("TDS/fonts/tfm") + d;
    const QString vfDir = QStringLiteral("TDS/fonts/vf") + d;
    const QString latexDir = QStringLiteral("TDS/tex/latex") + d;
    runShellQuiet(QStringLiteral("cd ") + q(s) + QStringLiteral(" && ") + sys("mkdir") + QStringLiteral(" -p ") +
                  q(tfmDir) + QLatin1Char(' ') + q(vfDir) + QLatin1Char(' ') + q(latexDir));
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("Error creating TDS folder structure in ") + s);
        return out;
    }
    QString files = QStringLiteral("cd ") + q(s) + QStringLiteral(" && ");
    if (hasFd)
        files += sys("cp") + QLatin1Char(' ') + q(fdName) + QLatin1Char(' ') + q(latexDir) + QStringLiteral(" && ");
    files += sys("cp") + QStringLiteral(" *.sty ") + q(latexDir) + QStringLiteral(" && ") + sys("cp") +
             QStringLiteral(" *.tfm ") + q(tfmDir) + QStringLiteral(" && ") + sys("cp") + QStringLiteral(" *.vf ") +
             q(vfDir);
    runShell(files);
    if (lastShell.errorCode != 0)
        return out;

    out.finished = true;
    return out;
}

QString installHomeCommand(const QString& scratch, const QString& texmfHome)
{
    return sys("mkdir") + QStringLiteral(" -p ") + q(texmfHome) + QStringLiteral(" && cd ") +
           q(scratch + QStringLiteral("/TDS")) + QStringLiteral(" && ") + sys("cp") + QStringLiteral(" -rpf * ") +
           q(texmfHome);
}

QStringList installRootCommands(const QString& scratch, const QString& texmfLocal)
{
    return {QStringLiteral("/usr/bin/sudo ") + sys("cp") + QStringLiteral(" -rpf ") + q(scratch + QStringLiteral("/TDS")) +
                QStringLiteral("/* ") + q(texmfLocal),
            QStringLiteral("/usr/bin/sudo ") + tex("mktexlsr")};
}

} // namespace qlk::mathalpha

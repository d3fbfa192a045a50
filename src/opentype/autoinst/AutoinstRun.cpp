#include "opentype/autoinst/AutoinstRun.h"

#include "opentype/common/PackageSwap.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace qlk {

bool isAutoinstName(const QString& name)
{
    static const QRegularExpression form(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return form.match(name).hasMatch();
}

QStringList autoinstEndings()
{
    return {QStringLiteral(".otf"), QStringLiteral(".ttf")};
}

QString autoinstCommandLine(const AutoinstChoices& c)
{
    QString s = shellQuote(texProgram(QStringLiteral("autoinst"))) +
                QStringLiteral(" --noswash --notitling --noornaments --target=./texmf --encoding=") +
                c.encodings.join(QLatin1Char(',')) + QStringLiteral(" --vendor=") + shellQuote(c.vendor) +
                QStringLiteral(" --typeface=") + shellQuote(c.family);
    if (c.regularWeight.compare(QLatin1String("regular"), Qt::CaseInsensitive) != 0)
        s += QStringLiteral(" --nfssweight=m=") + shellQuote(c.regularWeight.toLower());
    if (c.boldWeight.compare(QLatin1String("bold"), Qt::CaseInsensitive) != 0)
        s += QStringLiteral(" --nfssweight=b=") + shellQuote(c.boldWeight.toLower());
    if (c.usage == 1)
        s += QStringLiteral(" --sanserif");
    else if (c.usage == 2)
        s += QStringLiteral(" --typewriter");
    s += c.isotf ? QStringLiteral(" -- *.otf") : QStringLiteral(" -- *.ttf");
    return s;
}

QString scaleStyText(const QString& text, const QString& family, const QString& factor, bool* changed)
{
    QString s = text;
    const QString plain = QStringLiteral("\\newcommand*{\\") + family + QStringLiteral("@scale}{1}");
    if (s.contains(plain, Qt::CaseInsensitive)) {
        s.replace(plain, QStringLiteral("\\newcommand*{\\") + family + QStringLiteral("@scale}{") + factor +
                             QLatin1Char('}'),
                  Qt::CaseInsensitive);
        *changed = true;
        return s;
    }
    const QString xkeyval = QStringLiteral("\\RequirePackage{xkeyval}");
    const QString declare = QStringLiteral("\\let\\DeclareOptionX");
    QStringList parts = s.split(xkeyval, Qt::KeepEmptyParts, Qt::CaseInsensitive);
    if (parts.size() < 2 || !parts.at(1).section(declare, 0, 0, QString::SectionCaseInsensitiveSeps).contains(
                                QStringLiteral("}{##1}"), Qt::CaseInsensitive)) {
        *changed = false;
        return text;
    }
    QStringList pieces = parts.at(1).split(declare, Qt::KeepEmptyParts, Qt::CaseInsensitive);
    QString d0 = pieces.at(0);
    d0.replace(QStringLiteral("\\renewcommand*{"),
               QStringLiteral("\\@tempdima=##1\\p@\\@tempdima=") + factor + QStringLiteral("\\@tempdima\\xdef"),
               Qt::CaseInsensitive);
    d0.replace(QStringLiteral("}{##1}"), QStringLiteral("{\\strip@pt\\@tempdima}"), Qt::CaseInsensitive);
    pieces[0] = d0;
    parts[1] = pieces.join(declare);
    *changed = true;
    return parts.join(xkeyval);
}

QString prefixEncodingFiles(const QString& encFolder, const QString& mapFile, const QString& prefix)
{
    QFile map(mapFile);
    if (!map.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot read the map file ") + mapFile;
    QString text = QString::fromUtf8(map.readAll());
    map.close();
    const QStringList encs = QDir(encFolder).entryList({QStringLiteral("*.enc")}, QDir::Files, QDir::Name);
    for (const QString& name : encs) {
        const QString target = prefix + name.mid(1);
        if (target != name && QFileInfo::exists(encFolder + QLatin1Char('/') + target))
            return QStringLiteral("Cannot rename ") + name + QStringLiteral(": ") + target + QStringLiteral(" exists");
    }
    for (const QString& name : encs) {
        const QString target = prefix + name.mid(1);
        if (target != name && !QFile::rename(encFolder + QLatin1Char('/') + name, encFolder + QLatin1Char('/') + target))
            return QStringLiteral("Cannot rename ") + encFolder + QLatin1Char('/') + name;
    }
    text.replace(QStringLiteral("<[a_"), QStringLiteral("<[") + prefix + QLatin1Char('_'));
    if (!map.open(QIODevice::WriteOnly | QIODevice::Truncate) || map.write(text.toUtf8()) < 0)
        return QStringLiteral("Cannot write the map file ") + mapFile;
    return QString();
}

QString autoinstOutputProblem(const QString& texmf, const QString& family, const QString& vendor)
{
    const QString fonts = texmf + QStringLiteral("/fonts");
    gatherOutlines({fonts}, fonts + QStringLiteral("/type1/") + vendor + QLatin1Char('/') + family);
    QString latex = entryNoCase(texmf + QStringLiteral("/tex/latex"), family);
    if (latex.isEmpty())
        latex = texmf + QStringLiteral("/tex/latex/") + family;
    const QStringList problems = packageProblems(latex, {fonts});
    if (problems.isEmpty())
        return QString();
    return incompletePackageText(problems, latex);
}

namespace {

bool failed(const QString& what)
{
    logLine(what);
    msgBox(what);
    return false;
}

// Moves the contents of `from` into `to` (made when missing) and removes
// `from` when that left it empty.
bool moveContents(const QString& from, const QString& to)
{
    if (from.isEmpty() || !QFileInfo(from).isDir())
        return true;
    if (!QDir().mkpath(to))
        return false;
    for (const QString& entry : QDir(from).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString target = to + QLatin1Char('/') + entry;
        QFile::remove(target);
        if (!QDir().rename(from + QLatin1Char('/') + entry, target))
            return false;
    }
    QDir().rmdir(from);
    return true;
}

} // namespace

bool installAutoinstOutput(const AutoinstInstallJob& job)
{
    if (job.status)
        job.status(QStringLiteral("Running install"));
    const QString texmf = job.fontFolder + QStringLiteral("/texmf");
    if (!QFileInfo(texmf).isDir())
        return failed(QStringLiteral("Autoinst did not produce a texmf folder. Must abort."));
    const QString F = job.family;
    const QString f = job.family.toLower();
    const QString V = job.vendor;

    // The encodings get the family's prefix, so that two families' a_*.enc
    // files cannot clash in one tree; the map follows.
    const QString mapFolder = entryNoCase(texmf + QStringLiteral("/fonts/map/dvips"), F);
    const QString mapFile = mapFolder.isEmpty() ? QString() : entryNoCase(mapFolder, F + QStringLiteral(".map"));
    QFile map(mapFile);
    const bool mapRead = !mapFile.isEmpty() && map.open(QIODevice::ReadOnly);
    QString M = mapRead ? QString::fromUtf8(map.readAll()).trimmed() : QString();
    map.close();
    const QString encFolder = entryNoCase(texmf + QStringLiteral("/fonts/enc/dvips"), F);
    if (!encFolder.isEmpty()) {
        for (const QString& name : QDir(encFolder).entryList({QStringLiteral("a_*.enc")}, QDir::Files, QDir::Name)) {
            const QString renamed = f + name.mid(1);
            if (QFileInfo::exists(encFolder + QLatin1Char('/') + renamed) ||
                !QFile::rename(encFolder + QLatin1Char('/') + name, encFolder + QLatin1Char('/') + renamed)) {
                msgBox(QStringLiteral("Cannot rename ") + encFolder + QLatin1Char('/') + name + QStringLiteral(" to ") +
                       renamed);
                continue;
            }
            M.replace(QStringLiteral("<[") + name, QStringLiteral("<[") + renamed, Qt::CaseInsensitive);
        }
    }
    if (mapRead) {
        QFile out(mapFile);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write((M + QChar(lf)).toUtf8()) < 0)
            return failed(QStringLiteral("Cannot write the map file ") + mapFile);
    }

    const QString fonts = texmf + QStringLiteral("/fonts");
    if (job.isotf) {
        QDir(fonts + QStringLiteral("/truetype")).rmpath(V + QLatin1Char('/') + F);
    } else {
        // TrueType fonts are for pdfTeX only: their map and encodings go to
        // the pdftex branch.
        if (!moveContents(mapFolder, fonts + QStringLiteral("/map/pdftex/") + f) ||
            !moveContents(encFolder, fonts + QStringLiteral("/enc/pdftex/") + f))
            return failed(QStringLiteral("Cannot move the map and encoding files into the pdftex branch of ") + texmf);
        QDir(fonts + QStringLiteral("/type1")).rmpath(V + QLatin1Char('/') + f);
    }
    QDir(fonts + QStringLiteral("/vf")).rmpath(V + QLatin1Char('/') + F);

    const QString problem = autoinstOutputProblem(texmf, F, V);
    if (!problem.isEmpty())
        return failed(problem);
    const QString copy = QStringLiteral("cd ") + shellQuote(texmf) + QStringLiteral(" && ");
    if (job.method == 0) {
        logLine(QStringLiteral("Copying files to ") + texmfHome);
        if (!QDir().mkpath(texmfHome))
            return failed(QStringLiteral("Cannot create folder ") + texmfHome);
        // The package's folders replace the installed ones in one step.
        const QString replaced = replaceInstalled(texmf, texmfHome, {F});
        if (!replaced.isEmpty())
            return failed(replaced);
    } else {
        logLine(QStringLiteral("Copying files to ") + texmfLocal);
        const int copied = sudoterm({QStringLiteral("/usr/bin/sudo /bin/mkdir -p ") + shellQuote(texmfLocal) +
                                     QStringLiteral(" && ") + copy + QStringLiteral("/usr/bin/sudo /bin/cp -Rfp -- * ") +
                                     shellQuote(texmfLocal)});
        if (copied != 0)
            return failed(QStringLiteral("Copying the files to ") + texmfLocal +
                          QStringLiteral(" failed or was cancelled (exit status ") + QString::number(copied) +
                          QStringLiteral(")."));
        logLine(QStringLiteral("Running sudo mktexlsr"));
        const int indexed = sudoterm({QStringLiteral("/usr/bin/sudo ") + shellQuote(texProgram(QStringLiteral("mktexlsr")))});
        if (indexed != 0)
            return failed(QStringLiteral("mktexlsr failed (exit status ") + QString::number(indexed) + QStringLiteral(")."));
    }
    if (job.status)
        job.status(QStringLiteral("Ready to run 'updmap'"));
    return true;
}

bool copyForTest(const QString& texmfFolder, QStringList& files)
{
    files.clear();
    QDirIterator it(texmfFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(texmfFolder).relativeFilePath(it.next());
    if (!QDir().mkpath(texmfVar)) {
        msgBox(QStringLiteral("Cannot create folder ") + texmfVar);
        files.clear();
        return false;
    }
    const ProcessResult r = runBash(QStringLiteral("cd ") + shellQuote(texmfFolder) +
                                    QStringLiteral(" && /bin/cp -rfp -- * ") + shellQuote(texmfVar));
    if (r.exitCode != 0) {
        msgBox(QStringLiteral("Copying the support files to ") + texmfVar + QStringLiteral(" failed (exit status ") +
               QString::number(r.exitCode) + QStringLiteral(")."));
        // What did arrive is still ours to remove.
        return false;
    }
    return true;
}

void removeTestCopy(const QStringList& files)
{
    if (texmfVar.isEmpty())
        return;
    QStringList folders;
    for (const QString& rel : files) {
        if (rel.startsWith(QLatin1String("..")) || QDir::isAbsolutePath(rel))
            continue;
        QFile::remove(texmfVar + QLatin1Char('/') + rel);
        for (QString dir = QFileInfo(rel).path(); dir.contains(QLatin1Char('/')); dir = QFileInfo(dir).path()) {
            if (!folders.contains(dir))
                folders << dir;
        }
    }
    // Deepest first; a folder that still holds something stays, and the
    // top folders (fonts, tex) are never removed.
    std::sort(folders.begin(), folders.end(),
              [](const QString& a, const QString& b) { return a.count(QLatin1Char('/')) > b.count(QLatin1Char('/')); });
    for (const QString& dir : folders)
        QDir(texmfVar).rmdir(dir);
}

} // namespace qlk

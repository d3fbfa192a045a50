#include "type1/FontinstMake.h"

#include "mainwindow/TdsLayout.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "type1/FontinstPackage.h"
#include "type1/FontinstProcess.h"
#include "type1/OutlineCheck.h"

#include <QDate>
#include <QDirIterator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace qlk {

MakeCommands::MakeCommands(const QString& work, const QString& foundry, const QString& family)
    : work_(work), foundry_(foundry), family_(family)
{
}

QString MakeCommands::tdsSuffix() const
{
    return QLatin1Char('/') + foundry_ + QLatin1Char('/') + family_;
}

QStringList MakeCommands::tdsFolders() const
{
    QStringList folders;
    for (const char* f : {"TDS/fonts/afm", "TDS/fonts/map/dvips", "TDS/fonts/enc/dvips", "TDS/fonts/type1",
                          "TDS/fonts/truetype", "TDS/fonts/opentype", "TDS/fonts/tfm", "TDS/fonts/vf",
                          "TDS/tex/latex", "TDS/doc/fonts"})
        folders << QLatin1String(f) + tdsSuffix();
    return folders;
}

QString MakeCommands::inWork(const QString& body) const
{
    return QStringLiteral("cd ") + shellQuote(work_) + QStringLiteral(" && ") + body;
}

QString MakeCommands::pltotf(const QStringList& scriptLines) const
{
    // The script is a file in the work folder: only its pltotf commands are
    // taken, and only as arguments.
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QStringList runs;
    for (const QString& line : scriptLines) {
        const QStringList words = line.trimmed().split(blanks, Qt::SkipEmptyParts);
        if (words.size() != 3 || words.first().compare(QLatin1String("pltotf"), Qt::CaseInsensitive) != 0)
            continue;
        runs << shellQuote(texProgram(QStringLiteral("pltotf"))) + QLatin1Char(' ') + shellQuote(words.at(1)) +
                    QLatin1Char(' ') + shellQuote(words.at(2));
    }
    if (runs.isEmpty())
        return QString();
    return inWork(runs.join(QStringLiteral(" && ")));
}

QString MakeCommands::vptovf() const
{
    return inWork(QStringLiteral("for file in *.vpl; do ") + shellQuote(texProgram(QStringLiteral("vptovf"))) +
                  QStringLiteral(" \"$file\"; done"));
}

QString MakeCommands::renameMap(const QString& prefix) const
{
    return inWork(shellQuote(systemProgram(QStringLiteral("mv"))) + QStringLiteral(" -f -- ") +
                  shellQuote(prefix + QStringLiteral("map.tex")) + QLatin1Char(' ') +
                  shellQuote(family_ + QStringLiteral(".map")));
}

QString MakeCommands::makeTdsFolders() const
{
    // One mkdir for all: it fails when any folder cannot be made.
    QStringList quoted;
    for (const QString& f : tdsFolders())
        quoted << shellQuote(f);
    return inWork(shellQuote(systemProgram(QStringLiteral("mkdir"))) + QStringLiteral(" -p -- ") +
                  quoted.join(QLatin1Char(' ')));
}

QString MakeCommands::t1binary(const QString& pfaName) const
{
    const QString pfbName = pfaName.left(pfaName.size() - 1) + QLatin1Char('b');
    return inWork(shellQuote(texProgram(QStringLiteral("t1binary"))) + QLatin1Char(' ') + shellQuote(pfaName) +
                  QLatin1Char(' ') + shellQuote(pfbName));
}

QString MakeCommands::moveIntoTree() const
{
    const QString mv = shellQuote(systemProgram(QStringLiteral("mv"))) + QStringLiteral(" -f -- ");
    const QString cp = shellQuote(systemProgram(QStringLiteral("cp"))) + QStringLiteral(" -f -- ");
    const QString s = tdsSuffix();
    // Each move on its own: a kind the family lacks (no .vf) stops no other.
    const QStringList steps{
        mv + QStringLiteral("*.afm ") + shellQuote(QStringLiteral("TDS/fonts/afm") + s),
        mv + QStringLiteral("*.tfm ") + shellQuote(QStringLiteral("TDS/fonts/tfm") + s),
        mv + QStringLiteral("*.vf ") + shellQuote(QStringLiteral("TDS/fonts/vf") + s),
        mv + QStringLiteral("*.map ") + shellQuote(QStringLiteral("TDS/fonts/map/dvips") + s),
        mv + QStringLiteral("*.fd ") + shellQuote(QStringLiteral("TDS/tex/latex") + s),
        mv + QStringLiteral("*.pfb ") + shellQuote(QStringLiteral("TDS/fonts/type1") + s),
        cp + QStringLiteral("*.sty ") + shellQuote(QStringLiteral("TDS/tex/latex") + s),
    };
    return inWork(QStringLiteral("{ ") + steps.join(QStringLiteral("; ")) + QStringLiteral("; }"));
}

namespace {
bool hasFileLike(const QString& folder, const QString& pattern)
{
    return !QDir(folder).entryList({pattern}, QDir::Files).isEmpty();
}
} // namespace

QStringList missingPackageFiles(const QString& work, const MakeCommands& commands, const QString& family)
{
    const QDir w(work);
    const QString s = commands.tdsSuffix();
    const QString tfm = w.filePath(QStringLiteral("TDS/fonts/tfm") + s);
    const QString latex = w.filePath(QStringLiteral("TDS/tex/latex") + s);
    const QString map = w.filePath(QStringLiteral("TDS/fonts/map/dvips") + s + QLatin1Char('/') + family +
                                   QStringLiteral(".map"));
    QStringList missing;
    if (!hasFileLike(tfm, QStringLiteral("*.tfm")))
        missing << QStringLiteral("TDS/fonts/tfm") + s + QStringLiteral("/*.tfm");
    if (!hasFileLike(latex, QStringLiteral("*.fd")))
        missing << QStringLiteral("TDS/tex/latex") + s + QStringLiteral("/*.fd");
    if (!QFileInfo::exists(latex + QLatin1Char('/') + family + QStringLiteral(".sty")))
        missing << QStringLiteral("TDS/tex/latex") + s + QLatin1Char('/') + family + QStringLiteral(".sty");
    if (!QFileInfo::exists(map))
        missing << QStringLiteral("TDS/fonts/map/dvips") + s + QLatin1Char('/') + family + QStringLiteral(".map");
    return missing;
}

bool makeFamily(FontinstJob& job, const MakeInput& input, const QString& work, const MakeView& view)
{
    // 1. The names, kept before any check.
    const QString foundry = input.foundry.trimmed();
    job.family = input.family.trimmed().remove(QLatin1Char(' '));
    job.berryname = input.prefix.trimmed().toLower();

    // 2. The checks.
    if (job.berryname.size() != 3) {
        msgBox(QLatin1String(kPrefixLengthMessage));
        return false;
    }
    const QString namesProblem = packageNamesProblem(PackageNames{foundry, job.family});
    if (!namesProblem.isEmpty()) {
        msgBox(namesProblem);
        return false;
    }
    QString spelled;
    if (!spellPrefix(job.berryname, &spelled)) {
        msgBox(QLatin1String(kPrefixLettersMessage));
        return false;
    }
    if (work.isEmpty() || !QFileInfo(work).isDir()) {
        msgBox(work.isEmpty() ? QStringLiteral("There is no work folder: press Process first.")
                              : displayPath(work) + QStringLiteral(": No such folder."));
        return false;
    }
    const MakeCommands commands(work, foundry, job.family);
    const QDir dir(work);

    // 3-5. Metrics, virtual fonts, the map file.
    readLines(dir.filePath(QStringLiteral("pltotf-script.tex")));
    const QString pltotf = commands.pltotf(fileLines);
    if (!pltotf.isEmpty()) {
        // pltotf leaves a broken .tfm behind when it fails.
        runShellQuiet(pltotf);
        if (lastShell.errorCode != 0) {
            msgBox(QStringLiteral("pltotf could not make the metrics listed in pltotf-script.tex in ") +
                   displayPath(work) + QStringLiteral(", so the package cannot be installed."));
            return false;
        }
    }
    runShellQuiet(commands.vptovf());
    runShellQuiet(commands.renameMap(job.berryname));

    // 6. The style file.
    const QString sty = dir.filePath(job.family + QStringLiteral(".sty"));
    QFile styFile(sty);
    const QByteArray styText =
        styleFileText(job.family, job.berryname, job.FontFamilyFull, job.hasexpert, QDate::currentDate()).toUtf8();
    if (!styFile.open(QIODevice::WriteOnly | QIODevice::Truncate) || styFile.write(styText) != styText.size() ||
        !styFile.flush()) {
        msgBox(QStringLiteral("Unable to write ") + sty + QStringLiteral(": ") + styFile.errorString());
        return false;
    }
    styFile.close();

    // 7, 8. The scale hook into every .fd file of the work folder.
    const ScaleHook hook = makeScaleHook(job.berryname, spelled);
    const QStringList items = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : items) {
        if (!name.endsWith(QLatin1String(".fd"), Qt::CaseInsensitive))
            continue;
        switch (rewriteFdFile(dir.filePath(name), hook)) {
        case FdRewrite::OK:
            break;
        case FdRewrite::NoFamily:
            msgBox(QStringLiteral("No \\DeclareFontFamily found in ") + name);
            return false;
        case FdRewrite::SeveralFamilies:
            msgBox(QStringLiteral("More than one \\DeclareFontFamily in ") + name);
            return false;
        case FdRewrite::Failed:
            msgBox(QStringLiteral("Unable to rewrite ") + dir.filePath(name));
            return false;
        }
    }

    // 10. The TDS folders.
    runShellQuiet(commands.makeTdsFolders());
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("Error creating TDS folder structure in ") + work);
        return false;
    }

    // 11. PFA fonts become PFB. A failed conversion leaves an empty .pfb,
    // which must not reach the tree.
    for (int i = 0; i < job.bitem.size() && i < job.bblist.size(); ++i) {
        if (!job.bitem.at(i).endsWith(QLatin1String(".pfa"), Qt::CaseInsensitive))
            continue;
        const QString pfa = job.bblist.at(i).toLower() + QStringLiteral(".pfa");
        runShellQuiet(commands.t1binary(pfa));
        if (lastShell.errorCode != 0) {
            QFile::remove(dir.filePath(pfa.left(pfa.size() - 1) + QLatin1Char('b')));
            msgBox(QStringLiteral("t1binary could not convert ") + pfa + QStringLiteral(" in ") + displayPath(work) +
                   QStringLiteral(" to a .pfb font, so the package cannot be installed."));
            return false;
        }
    }

    // Every outline font the tree would get: Process's copies of the
    // dropped PFB files and the conversions of its PFA copies. A damaged one
    // would pass every later step and fail only in a document. The message
    // names the file checked, which is the one Install would copy, and the
    // dropped file it came from: Make never reads the dropped files again.
    const QStringList pfbs = dir.entryList({QStringLiteral("*.pfb")}, QDir::Files, QDir::Name);
    for (const QString& pfb : pfbs) {
        const QString problem = outlineFontProblem(dir.filePath(pfb));
        if (problem.isEmpty())
            continue;
        QString dropped;
        for (int i = 0; i < job.bitem.size() && i < job.bblist.size(); ++i) {
            const QString made = job.bblist.at(i).toLower() + QStringLiteral(".pfb");
            if (made.compare(pfb, Qt::CaseInsensitive) == 0)
                dropped = job.bitem.at(i);
        }
        const bool converted = dropped.endsWith(QLatin1String(".pfa"), Qt::CaseInsensitive);
        // A conversion is made again by the next Make; a copied PFB stays
        // to be refused again.
        if (converted)
            QFile::remove(dir.filePath(pfb));
        QString text = damagedOutlineMessage(displayPath(dir.filePath(pfb)), problem);
        if (!dropped.isEmpty())
            text += (converted ? QStringLiteral("\nMake converted it from the copy that Process made of ")
                               : QStringLiteral("\nIt is the copy that Process made of ")) +
                    dropped +
                    QStringLiteral(". Make uses only those copies: after changing the dropped font, press "
                                   "Process again.");
        msgBox(text);
        return false;
    }

    // 12. Everything into the tree.
    runShellQuiet(commands.moveIntoTree());
    const QStringList missing = missingPackageFiles(work, commands, job.family);
    if (!missing.isEmpty()) {
        msgBox(QStringLiteral("The package is incomplete, so it cannot be installed. Missing in ") +
               displayPath(work) + QStringLiteral(":\n") + missing.join(QLatin1Char('\n')));
        return false;
    }

    // 13, 14.
    if (view.appendStatus)
        view.appendStatus(QStringLiteral("fontinst utilities done..."));
    msgBox(QStringLiteral("A basic .sty file has been constructed in ") + displayPath(work) +
           QStringLiteral("\nYou may wish to edit it before pressing Install."));
    return true;
}

QString testMapName(const QString& texmfVar, const QString& family, bool* several)
{
    *several = false;
    const QString root = texmfVar + QStringLiteral("/fonts/map/dvips");
    const QString updmapOutput = root + QStringLiteral("/updmap/");
    QStringList maps;
    QDirIterator it(root, {QStringLiteral("*.map")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.startsWith(updmapOutput))
            maps << path;
    }
    if (maps.isEmpty())
        return family + QStringLiteral(".map");
    if (maps.size() > 1) {
        *several = true;
        return QString();
    }
    return QFileInfo(maps.first()).fileName();
}

} // namespace qlk

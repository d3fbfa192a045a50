#include "type1/MinionPro.h"

#include "fontinfo/ScratchFolder.h"
#include "mainwindow/ArchiveCheck.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "search/TreeSearch.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "texenv/FinishInstall.h"
#include "texenv/TexEnv.h"
#include "type1/Downloads.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlk {

namespace {

// The work log in the scratch folder; each entry is appended at once, so
// the file is whole whichever way the run ends.
class WorkLog {
public:
    explicit WorkLog(const QString& folder) : path_(folder + QStringLiteral("/logfile.txt"))
    {
        QFile f(path_);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.close();
    }
    void write(const QString& text) const
    {
        QFile f(path_);
        if (f.open(QIODevice::WriteOnly | QIODevice::Append))
            f.write((text + lf).toUtf8());
    }

private:
    QString path_;
};

QString prog(const QString& name)
{
    return shellQuote(systemProgram(name));
}

// Fetches `file` from `url` into `folder` and unpacks it there once its
// entries are known to stay inside and to fit. False (the user told, the
// log written, the download removed again) on any failure.
bool fetchAndUnpack(const WorkLog& log, const QString& folder, const QString& file, const QString& url)
{
    const QString archive = folder + QLatin1Char('/') + file;
    auto fail = [&](const QString& text, const QString& logText) {
        QFile::remove(archive);
        if (!text.isEmpty())
            msgBox(text);
        log.write(logText);
        return false;
    };
    runShell(curlCommand(folder, file, url));
    if (lastShell.errorCode != 0) {
        const QString text = QStringLiteral("curl failure downloading ") + file;
        return fail(text, text);
    }
    const ZipVerdict verdict = checkZip(archive, folder);
    if (!verdict.readable)
        return fail(zipVerdictMessage(file, verdict), QStringLiteral("Zip file failure"));
    if (!verdict.ok()) {
        const QString text = zipVerdictMessage(file, verdict);
        return fail(text, QString(text).replace(QStringLiteral(": ") + lf, QStringLiteral(": ")).replace(lf, QStringLiteral(", ")));
    }
    // The unpack's own failure shows its report, as runShell does.
    const UnpackResult unpacked = unpackWithinLimits(archive, ArchiveKind::Zip, folder, verdict.unpackedBytes, true);
    if (!unpacked.refusal.isEmpty()) {
        const QString text = QStringLiteral("The archive ") + file + QStringLiteral(" was not unpacked. ") + unpacked.refusal;
        return fail(text, text);
    }
    if (!unpacked.ok)
        return fail(QString(), QStringLiteral("Zip file failure"));
    return true;
}

void stop(const WorkLog& log, const QString& text)
{
    msgBox(text);
    log.write(text);
}

} // namespace

void installMinionPro()
{
    // 1. Scratch folder and work log.
    const QString scratch = makeScratchFolder(documentsFolder());
    if (scratch.isEmpty()) {
        msgBox(QStringLiteral("Could not make a work folder in ") + documentsFolder());
        return;
    }
    const WorkLog log(scratch);

    // 2. Files of MinionPro already in the trees.
    QString found = findInTrees(QStringLiteral("*minionpro*"));
    log.write(QStringLiteral("Search for existing MinionPro files in texmf trees..."));
    if (found.endsWith(lf))
        found.chop(1);
    if (found.isEmpty()) {
        log.write(QStringLiteral("Nothing found"));
    } else {
        log.write(found);
        if (!askYesNo(QStringLiteral("There appear to be files installed already for at least parts of MinionPro. "
                                     "Continue?"))) {
            msgBox(QStringLiteral("The list of files is in ") + scratch + QStringLiteral("/logfile.txt"));
            return;
        }
    }

    // 3-5. The folder of the user's fonts, starting where a copy of the
    // regular font lies outside the font folders.
    const QStringList hits = findFilesByName({homeFolder()}, QStringLiteral("MinionPro-Regular.otf"));
    const QString start = minionStartFolder(hits, documentsFolder());
    const QString chosen =
        dialogs().chooseFolder(QStringLiteral("Select folder containing your MinionPro otf fonts"), start);
    if (chosen.isEmpty()) {
        log.write(QStringLiteral("No folder selected. Installation abandoned"));
        return;
    }
    log.write(QStringLiteral("Selected folder ") + chosen);

    // 6. The MinionPro OpenType fonts, files only.
    const QFileInfoList items = QDir(chosen).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& item : items) {
        if (!isMinionProFont(item.fileName()))
            continue;
        const QString problem = copyRegularFile(item.absoluteFilePath(), scratch + QLatin1Char('/') + item.fileName());
        if (!problem.isEmpty()) {
            stop(log, QStringLiteral("Could not copy ") + item.absoluteFilePath() + QStringLiteral(" to ") + scratch +
                          QStringLiteral(": ") + problem);
            return;
        }
    }

    // 7. The font list and the metrics level.
    QStringList fonts;
    const QStringList names = QDir(scratch).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (name.endsWith(QLatin1String(".otf"), Qt::CaseInsensitive))
            fonts << name;
    }
    const int level = minionMetricsLevel(names);

    // 8. Type 1 fonts, and a second font with a dotless j for each.
    for (const QString& font : fonts) {
        const QString base = font.left(font.size() - 4);
        runShellQuiet(inFolder(scratch) + shellQuote(texProgram(QStringLiteral("cfftot1"))) + QLatin1Char(' ') +
                      shellQuote(font) + QLatin1Char(' ') + shellQuote(base + QStringLiteral(".pfb")));
        if (lastShell.errorCode != 0 || !QFileInfo(scratch + QLatin1Char('/') + base + QStringLiteral(".pfb")).isFile()) {
            stop(log, QStringLiteral("cfftot1 could not convert ") + font +
                          QStringLiteral(" to a Type 1 font (a TrueType-flavoured .otf cannot be converted). "
                                         "Installation abandoned."));
            return;
        }
        const QString dotless = base + QStringLiteral("LCDFJ.pfb");
        runShellQuiet(inFolder(scratch) + shellQuote(texProgram(QStringLiteral("t1dotlessj"))) + QLatin1Char(' ') +
                      shellQuote(base + QStringLiteral(".pfb")) + QLatin1Char(' ') + shellQuote(dotless));
        if (lastShell.errorCode != 0) {
            // The font has a dotless j of its own; t1dotlessj leaves an empty file.
            QFile::remove(scratch + QLatin1Char('/') + dotless);
            log.write(QStringLiteral("No dotless j font made for ") + base);
        }
    }

    // 9. Whether the italic has the glyph uni2113; most have not.
    bool hasUni2113 = false;
    runShellQuiet(inFolder(scratch) + shellQuote(texProgram(QStringLiteral("t1rawafm"))) +
                  QStringLiteral(" MinionPro-It.pfb"));
    if (lastShell.errorCode != 0)
        log.write(QStringLiteral("No MinionPro-It.pfb to look for uni2113 in"));
    else
        hasUni2113 = lastShell.output.contains(QLatin1String("uni2113"));

    // 10. The TDS skeleton.
    const QString mkdir = prog(QStringLiteral("mkdir")) + QStringLiteral(" -p ");
    runShell(inFolder(scratch) + mkdir + QStringLiteral("TDS/fonts/tfm/adobe/MinionPro/ && ") + mkdir +
             QStringLiteral("TDS/fonts/vf/adobe/MinionPro/ && ") + mkdir + QStringLiteral("TDS/fonts/enc/ && ") + mkdir +
             QStringLiteral("TDS/fonts/type1/adobe/MinionPro/ && ") + mkdir + QStringLiteral("TDS/tex/latex/MinionPro"));
    if (lastShell.errorCode != 0) {
        log.write(QStringLiteral("Error making TDS framework"));
        return;
    }

    // 11. The font's version chooses the encoding files.
    const QString version = runShell(inFolder(scratch) + shellQuote(texProgram(QStringLiteral("otfinfo"))) +
                                     QStringLiteral(" -v MinionPro-Regular.otf"));
    if (lastShell.errorCode != 0) {
        log.write(QStringLiteral("Error running otfinfo"));
        return;
    }
    const QString psVersion = minionPsVersion(version);
    if (psVersion.isEmpty())
        log.write(QStringLiteral("No PostScript version in \"") + version +
                  QStringLiteral("\"; taking the encoding files of version 2.000"));

    // 12. The encoding files.
    const QString tds = scratch + QStringLiteral("/TDS");
    const MinionDownload enc = minionEncodingArchive(hasUni2113, psVersion);
    if (!fetchAndUnpack(log, tds, enc.file, enc.url)) {
        QDir(tds).removeRecursively();
        return;
    }

    // 13. The Type 1 fonts into the tree.
    runShell(inFolder(scratch) + prog(QStringLiteral("mv")) + QStringLiteral(" ./*.pfb TDS/fonts/type1/adobe/MinionPro/ && ") +
             prog(QStringLiteral("rm")) + QStringLiteral(" -f ./*.otf"));
    if (lastShell.errorCode != 0) {
        stop(log, QStringLiteral("Could not move the pfb files into the TDS tree in ") + scratch +
                      QStringLiteral(". Installation abandoned."));
        return;
    }
    log.write(QStringLiteral("Created pfb files, removed otf files."));

    // 14-16. The metrics.
    msgBox(QStringLiteral("The program will begin downloading the appropriate metrics files from CTAN. "
                          "This may take some time."));
    const QStringList archives = minionMetricArchives(level);
    for (int i = 0; i < archives.size(); ++i) {
        if (i > 0)
            log.write(QStringLiteral("Preparing to download ") + archives.at(i));
        if (!fetchAndUnpack(log, tds, archives.at(i), minionCtanUrl(archives.at(i)))) {
            QDir(tds).removeRecursively();
            return;
        }
    }

    // 17. The archives go before the tree is copied.
    runShell(inFolder(tds) + prog(QStringLiteral("rm")) + QStringLiteral(" -f ./*.zip"));
    log.write(QStringLiteral("Removing zip file downloads"));

    // 18. Into the tree the "method" names.
    const int method = prefMethod();
    if (const int status = copyTreeIntoTexmf(tds, method)) {
        stop(log, method == 1 ? QStringLiteral("Copying the fonts into ") + texmfLocal +
                                    QStringLiteral(" failed (exit status ") + QString::number(status) +
                                    QStringLiteral("). Installation abandoned.")
                              : QStringLiteral("Copying the fonts into ") + texmfHome +
                                    QStringLiteral(" failed. Installation abandoned."));
        return;
    }

    // 19. Enable MinionPro.map and rescan.
    hasType1 = true;
    hasMF = false;
    hasTTF = false;
    hasMaps = true;
    tdsMaps = QStringList{QStringLiteral("MinionPro.map")};
    finishInstall(method);
}

} // namespace qlk

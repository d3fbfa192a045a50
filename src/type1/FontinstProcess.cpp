#include "type1/FontinstProcess.h"

#include "fontinfo/BerryName.h"
#include "fontinfo/FontNames.h"
#include "fontinfo/ScratchFolder.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "search/TreeSearch.h"
#include "services/DropCheck.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "texenv/FinishInstall.h"
#include "texenv/TexEnv.h"
#include "type1/FontinstDrivers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlk {

const char* const kPrefixLengthMessage = "The berry family name must consist of exactly 3 letters";
const char* const kPrefixLettersMessage = "The berry family name must contain only lowercase letters and numerals";

namespace {

int indexOfNoCase(const QStringList& list, const QString& text)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// The Berry name of a file's base name: the name itself when it decodes,
// else what the font database holds for it (remembered in `nameMap`). The
// empty text after the message when neither knows it.
QString settleBerryName(const QString& name, NoCaseDict<QString>& nameMap)
{
    BerryNameInfo info;
    parseBerryName(name, info);
    if (info.text(QStringLiteral("OK")) == QLatin1String("Y"))
        return name;
    const QString berry = berryNameFor(name);
    if (berry.isEmpty()) {
        msgBox(QStringLiteral("The name '") + name +
               QStringLiteral("' is not recognized as either a Berry name or a known file name.\nMust bail out!"));
        return QString();
    }
    nameMap.insert(name, berry);
    return berry;
}

bool copyFailed(const QString& source, const QString& problem, const QString& work)
{
    msgBox(QStringLiteral("Error copying file ") + source + QStringLiteral("\n") + problem);
    revealInFinder(work);
    return false;
}

bool writeDriver(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0 || !file.flush()) {
        msgBox(QStringLiteral("Unable to write the fontinst driver ") + path + QStringLiteral(": ") +
               file.errorString());
        return false;
    }
    return true;
}

// Hands one driver to tex in a terminal window and waits for it.
bool runDriver(const QString& work, const QString& driver, const QString& what)
{
    const QString command = QStringLiteral("cd ") + shellQuote(work) + QStringLiteral(" && ") +
                            shellQuote(texProgram(QStringLiteral("tex"))) + QLatin1Char(' ') + shellQuote(driver);
    const int status = sudoterm({command});
    if (status == 0)
        return true;
    const QString log = driver.left(driver.size() - 4) + QStringLiteral(".log");
    msgBox(QStringLiteral("The fontinst run of the ") + what + QStringLiteral(" ") + driver +
           QStringLiteral(" failed (exit status ") + QString::number(status) + QStringLiteral("). See ") + log +
           QStringLiteral(" in ") + work + QStringLiteral("."));
    return false;
}

} // namespace

bool isPlainPrefix(const QString& prefix)
{
    for (const QChar c : prefix) {
        if (!((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
              (c >= QLatin1Char('0') && c <= QLatin1Char('9'))))
            return false;
    }
    return !prefix.isEmpty();
}

bool processFamily(FontinstJob& job, const QString& prefixField, bool monowidth, const ProcessView& view)
{
    auto status = [&view](const QString& text) {
        if (view.setStatus)
            view.setStatus(text);
    };

    // 1. Nothing to install.
    if (job.blist.isEmpty()) {
        msgBox(QStringLiteral("No font files provided---bailing out."));
        return false;
    }

    // Every check comes before the work folder: a refused drop leaves
    // nothing behind in Documents.
    // 3, 4. Berry names of the outline and AFM files.
    NoCaseDict<QString> nameMap;
    job.bblist.clear();
    for (const QString& t : job.blist) {
        const QString berry = settleBerryName(t, nameMap);
        if (berry.isEmpty())
            return false;
        job.bblist << berry;
    }
    job.yylist.clear();
    for (const QString& t : job.ylist) {
        const QString berry = nameMap.contains(t) ? nameMap.value(t) : settleBerryName(t, nameMap);
        if (berry.isEmpty())
            return false;
        job.yylist << berry;
    }

    // 5. Every outline font needs metrics; ones found in the trees are used
    // in this run.
    for (int i = 0; i < job.blist.size(); ++i) {
        const QString berry = job.bblist.at(i);
        if (indexOfNoCase(job.yylist, berry) >= 0 || indexOfNoCase(job.tlist, berry) >= 0)
            continue;
        const QString found = findMetricFile(berry);
        const QString name = QFileInfo(found).fileName();
        const QString base = name.left(name.size() - 4);
        if (name.endsWith(QLatin1String(".afm"), Qt::CaseInsensitive)) {
            job.ylist << base;
            job.yitem << found;
            job.yylist << base;
        } else if (name.endsWith(QLatin1String(".tfm"), Qt::CaseInsensitive)) {
            job.tlist << base;
            job.titem << found;
        } else {
            QString text = QStringLiteral("No afm or tfm files found for: ") + berry;
            if (job.blist.at(i).compare(berry, Qt::CaseInsensitive) != 0)
                text += QStringLiteral(", ") + job.blist.at(i);
            msgBox(text);
        }
    }

    // 6. AFM files that belong to no outline font are dropped.
    for (int i = int(job.yylist.size()) - 1; i >= 0; --i) {
        const int k = indexOfNoCase(job.bblist, job.yylist.at(i));
        if (k >= 0) {
            job.yylist[i] = job.bblist.at(k);
        } else if (!nameMap.contains(job.yylist.at(i))) {
            job.ylist.removeAt(i);
            job.yitem.removeAt(i);
            job.yylist.removeAt(i);
        }
    }

    // 7. So are TFM files.
    job.ttlist = QStringList();
    for (int i = 0; i < job.tlist.size(); ++i)
        job.ttlist << QString();
    for (int i = int(job.tlist.size()) - 1; i >= 0; --i) {
        const QString t = job.tlist.at(i);
        const int k = indexOfNoCase(job.blist, t);
        if (k >= 0) {
            job.ttlist[i] = job.bblist.at(k);
        } else if (nameMap.contains(t)) {
            job.ttlist[i] = t;
        } else {
            job.tlist.removeAt(i);
            job.titem.removeAt(i);
            job.ttlist.removeAt(i);
        }
    }

    // 9. The AFM files, which must make one family with one prefix.
    QString field = prefixField;
    QStringList prefixes, families;
    for (int i = 0; i < job.yylist.size(); ++i) {
        const QStringList names = afmNames(job.yitem.at(i));
        const QString fontName = names.value(0).trimmed();
        const QString familyName = dropExpert(names.value(1));
        const QString prefix = job.yylist.at(i).left(3).toLower();
        if (!prefixes.contains(prefix))
            prefixes << prefix;
        if (!families.contains(familyName, Qt::CaseInsensitive))
            families << familyName;
        const QString fileName = QFileInfo(job.yitem.at(i)).fileName();
        if (fontName.isEmpty()) {
            msgBox(QStringLiteral("Unable to find a FontName entry in ") + fileName);
            return false;
        }
        // fontinst writes the name into the map line as it stands.
        if (!isSafePostScriptName(fontName)) {
            msgBox(QStringLiteral("The PostScript name ") + fontName + QStringLiteral(" in ") + fileName +
                   QStringLiteral(" cannot go into a map file (blanks, ( ) < > [ ] { } / % \" \\ or characters "
                                  "outside ASCII)."));
            return false;
        }
        if (familyName.isEmpty()) {
            msgBox(QStringLiteral("Unable to find a FamilyName entry in ") + fileName);
            return false;
        }
        if (prefixes.size() > 1) {
            msgBox(QStringLiteral("The first 3 letters in the AFM filenames are not consistent---cannot use \\latinfamily"));
            return false;
        }
        field = prefixes.first();
        if (families.size() > 1)
            msgBox(QStringLiteral("Warning: FamilyNames in the AFMs are not consistent"));
        job.FontFamilyFull = families.first();
        if (view.setFields)
            view.setFields(field, Foundry(field), QString(job.FontFamilyFull).remove(QLatin1Char(' ')));
    }

    // 10. The prefix names files, fontinst families and control words.
    job.berryname = field.trimmed();
    if (job.berryname.size() != 3) {
        msgBox(QLatin1String(kPrefixLengthMessage));
        return false;
    }
    if (!isPlainPrefix(job.berryname)) {
        msgBox(QLatin1String(kPrefixLettersMessage));
        return false;
    }
    // The copies are in lower case; fontinst must look for the same names.
    const QString prefix = job.berryname.toLower();

    // 2. A new work folder in Documents.
    const QString work = makeScratchFolder(documentsFolder());
    if (work.isEmpty()) {
        msgBox(QStringLiteral("Unable to create a work folder in ") + documentsFolder());
        return false;
    }
    job.tmpfname = QFileInfo(work).fileName();
    tdsFolder = work;
    const QString created = QStringLiteral("Created ") + job.tmpfname + QStringLiteral(" for fontinst");
    status(created);
    openLog(work);

    // 8, 9. The outline fonts and the AFM files under their Berry names.
    const QDir dir(work);
    for (int i = 0; i < job.blist.size(); ++i) {
        const QString target = dir.filePath(job.bblist.at(i).toLower() +
                                            (job.bIspfa.value(i) ? QStringLiteral(".pfa") : QStringLiteral(".pfb")));
        const QString problem = copyRegularFile(job.bitem.at(i), target);
        if (!problem.isEmpty())
            return copyFailed(job.bitem.at(i), problem, work);
    }
    for (int i = 0; i < job.yylist.size(); ++i) {
        const QString target = dir.filePath(job.yylist.at(i).toLower() + QStringLiteral(".afm"));
        const QString problem = copyRegularFile(job.yitem.at(i), target);
        if (!problem.isEmpty())
            return copyFailed(job.yitem.at(i), problem, work);
    }

    // 11, 12. The drivers.
    job.hasexpert = raiseExpertLevel(job.hasexpert, job.bblist);
    const QString familyDriver = familyDriverName(prefix);
    const QString utilityDriver = utilityDriverName(prefix);
    if (!writeDriver(dir.filePath(familyDriver), familyDriverText(prefix, monowidth, job.hasexpert)) ||
        !writeDriver(dir.filePath(utilityDriver), utilityDriverText(prefix)))
        return false;

    // 13. The utility run reads what the family run recorded, so it starts
    // only after that run succeeded.
    if (!runDriver(work, familyDriver, QStringLiteral("family driver")))
        return false;
    if (!runDriver(work, utilityDriver, QStringLiteral("utility driver")))
        return false;
    QStringList missing;
    for (const QString& name : {prefix + QStringLiteral(".rec"), prefix + QStringLiteral("map.tex"),
                                QStringLiteral("pltotf-script.tex")}) {
        if (!QFileInfo::exists(dir.filePath(name)))
            missing << name;
    }
    if (!missing.isEmpty()) {
        msgBox(QStringLiteral("The fontinst runs did not make ") + missing.join(QStringLiteral(", ")) +
               QStringLiteral(" in ") + work + QStringLiteral(". See ") + prefix + QStringLiteral("-drv.log and ") +
               prefix + QStringLiteral(".log there."));
        return false;
    }

    // 14.
    status(created + QStringLiteral("...prep done..."));
    return true;
}

} // namespace qlk

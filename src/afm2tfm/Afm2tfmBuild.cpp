#include "afm2tfm/Afm2tfmBuild.h"

#include "fontinfo/BerryName.h"
#include "fontinfo/FdReaders.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/DropCheck.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "texenv/ScanParse.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace qlk {

namespace {
QString q(const QString& text)
{
    return shellQuote(text);
}

QString tex(const char* program)
{
    return q(texProgram(QString::fromLatin1(program)));
}

QString sys(const char* program)
{
    return q(systemProgram(QString::fromLatin1(program)));
}

QString cdInto(const QString& folder)
{
    return QStringLiteral("cd ") + q(folder) + QStringLiteral(" && ");
}

// supplier/family below a branch of the tree.
QString branch(const QString& top, const QString& supplier, const QString& family)
{
    return top + QLatin1Char('/') + supplier + QLatin1Char('/') + family;
}

// A word that could be read as an option is passed as a path.
QString fileArg(const QString& name)
{
    return q(name.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + name : name);
}

QString withSuffix(const QString& base, const QString& suffix)
{
    if (base.endsWith(QLatin1String("8a"), Qt::CaseInsensitive))
        return base.left(base.size() - 2) + suffix;
    return base + suffix;
}
} // namespace

EncodingInfo encodingInfo(int encoding)
{
    switch (encoding) {
    case EncLY1:
        return {QStringLiteral("ly1"), QStringLiteral("LY1"), QStringLiteral("LY1 encoding)]"),
                {QStringLiteral("-T"), QStringLiteral("texnansx.enc")}};
    case EncT1:
        return {QStringLiteral("t1"), QStringLiteral("T1"), QStringLiteral("T1 encoding)]"),
                {QStringLiteral("-T"), QStringLiteral("ec.enc")}};
    default:
        return {QStringLiteral("u"), QStringLiteral("U"), QStringLiteral("Unknown encoding)]"), {}};
    }
}

QString metricName(const QString& base, int encoding)
{
    if (encoding == EncLY1)
        return withSuffix(base, QStringLiteral("8y"));
    if (encoding == EncT1)
        return withSuffix(base, QStringLiteral("8t"));
    return base;
}

bool rawApplies(int encoding, bool raw)
{
    return raw && encoding == EncDefault;
}

QString rawFontName(const QString& base, int encoding, bool raw)
{
    if (rawApplies(encoding, raw))
        return base.left(base.size() - 2) + QStringLiteral("7z");
    return base;
}

bool designSizeOf(const QString& cell, QString* designSize)
{
    const QString text = cell.trimmed();
    designSize->clear();
    if (text.isEmpty())
        return true;
    static const QRegularExpression number(QStringLiteral("^(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!number.match(text).hasMatch())
        return false;
    const double value = text.toDouble();
    // "0" and "10" ask for nothing: 10 pt is what afm2tfm writes.
    if (text == QLatin1String("0") || text == QLatin1String("10"))
        return true;
    if (value <= 0)
        return false;
    if (text.endsWith(QLatin1Char('.')))
        *designSize = text + QLatin1Char('0');
    else if (!text.contains(QLatin1Char('.')))
        *designSize = text + QStringLiteral(".0");
    else
        *designSize = text;
    return true;
}

QStringList optionWords(const QString& cell)
{
    return cell.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

QString afm2tfmCommand(const QString& workFolder, const QString& base, const QString& options, int encoding,
                       bool raw)
{
    QStringList words{fileArg(base)};
    for (const QString& w : optionWords(options))
        words << q(w);
    for (const QString& w : encodingInfo(encoding).afmSwitch)
        words << q(w);
    words << QStringLiteral("-v") << fileArg(metricName(base, encoding));
    if (rawApplies(encoding, raw))
        words << fileArg(rawFontName(base, encoding, raw));
    return cdInto(workFolder) + tex("afm2tfm") + QLatin1Char(' ') + words.join(QLatin1Char(' '));
}

QString tftoplCommand(const QString& workFolder, const QString& raw)
{
    return cdInto(workFolder) + tex("tftopl") + QLatin1Char(' ') + fileArg(raw + QStringLiteral(".tfm")) +
           QLatin1Char(' ') + fileArg(raw + QStringLiteral(".pl"));
}

QString pltotfCommand(const QString& workFolder, const QString& plName)
{
    QString tfm = plName;
    if (tfm.endsWith(QLatin1String(".pl"), Qt::CaseInsensitive))
        tfm.chop(3);
    return cdInto(workFolder) + tex("pltotf") + QLatin1Char(' ') + fileArg(plName) + QLatin1Char(' ') +
           fileArg(tfm + QStringLiteral(".tfm"));
}

QString copyTfmCommand(const QString& workFolder, const QString& tfm, const QString& supplier,
                       const QString& family)
{
    return cdInto(workFolder) + sys("cp") + QLatin1Char(' ') + fileArg(tfm + QStringLiteral(".tfm")) +
           QLatin1Char(' ') + q(branch(QStringLiteral("TDS/fonts/tfm"), supplier, family));
}

bool patchDesignSize(QStringList& lines, const QString& designSize)
{
    for (QString& line : lines) {
        if (line.left(11).compare(QLatin1String("(DESIGNSIZE"), Qt::CaseInsensitive) == 0) {
            line = QStringLiteral("(DESIGNSIZE R ") + designSize + QLatin1Char(')');
            return true;
        }
    }
    return false;
}

QString stripVirtualGroups(const QString& vpl)
{
    static const QStringList virtualOnly{QStringLiteral("VTITLE"), QStringLiteral("MAPFONT"), QStringLiteral("MAP")};
    QString out;
    out.reserve(vpl.size());
    int i = 0;
    const int n = vpl.size();
    while (i < n) {
        const QChar c = vpl.at(i);
        if (c == QLatin1Char('(')) {
            int j = i + 1;
            while (j < n && vpl.at(j).isLetter())
                ++j;
            const QString name = vpl.mid(i + 1, j - i - 1).toUpper();
            const bool ends = j >= n || vpl.at(j).isSpace() || vpl.at(j) == QLatin1Char(')');
            if (ends && virtualOnly.contains(name)) {
                // Skip to the parenthesis that closes this group.
                int depth = 0;
                for (; i < n; ++i) {
                    if (vpl.at(i) == QLatin1Char('('))
                        ++depth;
                    else if (vpl.at(i) == QLatin1Char(')') && --depth == 0) {
                        ++i;
                        break;
                    }
                }
                continue;
            }
        }
        out += c;
        ++i;
    }
    QStringList kept;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            kept << line;
    }
    return kept.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString skeletonCommand(const QString& workFolder, const QString& supplier, const QString& family)
{
    QStringList dirs;
    for (const char* top : {"TDS/fonts/afm", "TDS/fonts/map/dvips", "TDS/fonts/type1", "TDS/fonts/tfm", "TDS/tex/latex"})
        dirs << q(branch(QString::fromLatin1(top), supplier, family));
    return cdInto(workFolder) + sys("mkdir") + QStringLiteral(" -p ") + dirs.join(QLatin1Char(' '));
}

DroppedCopy droppedCopy(const QString& workFolder, const QString& fileName, const QStringList& afmlist,
                        const QList<bool>& instpfb, const QString& supplier, const QString& family)
{
    const QString ext = fileName.right(3).toLower();
    const QString base = fileName.left(fileName.size() - 4);
    if (ext == QLatin1String("afm"))
        return {workFolder + QLatin1Char('/') + fileName, QString()};
    if (ext != QLatin1String("pfb") && ext != QLatin1String("pfa"))
        return {};
    int index = -1;
    for (int i = 0; i < afmlist.size() && index < 0; ++i) {
        if (afmlist.at(i).compare(base, Qt::CaseInsensitive) == 0)
            index = i;
    }
    if (index < 0 || instpfb.value(index))
        return {};
    const QString target = outlineCopyPath(workFolder, fileName, supplier, family);
    if (ext == QLatin1String("pfb"))
        return {target, QString()};
    return {workFolder + QLatin1Char('/') + fileName, target};
}

QString t1binaryCommand(const QString& pfa, const QString& pfb)
{
    return tex("t1binary") + QLatin1Char(' ') + q(pfa) + QLatin1Char(' ') + q(pfb);
}

QString copyDroppedFile(const QString& path, const DroppedCopy& plan)
{
    if (plan.copy.isEmpty())
        return QString();
    const QString problem = copyRegularFile(path, plan.copy);
    if (!problem.isEmpty())
        return path + QStringLiteral(": ") + problem;
    if (plan.pfb.isEmpty())
        return QString();
    // The copy is read, never the dropped file again.
    runShellQuiet(t1binaryCommand(plan.copy, plan.pfb));
    if (lastShell.errorCode != 0) {
        QFile::remove(plan.pfb);
        return QStringLiteral("t1binary could not convert ") + path;
    }
    return QString();
}

QString packageMapLine(const QString& printed, const QString& base, int encoding)
{
    QString line = printed;
    if (encoding != EncDefault) {
        const int blank = line.indexOf(QLatin1Char(' '));
        line = metricName(base, encoding) + (blank < 0 ? QString() : line.mid(blank));
    }
    return line + QStringLiteral(" <") + base + QStringLiteral(".pfb");
}

QString outlineCopyPath(const QString& workFolder, const QString& fileName, const QString& supplier,
                        const QString& family)
{
    const QString ext = fileName.right(3).toLower();
    if (ext != QLatin1String("pfb") && ext != QLatin1String("pfa"))
        return QString();
    const QString pfb = ext == QLatin1String("pfa") ? fileName.left(fileName.size() - 1) + QLatin1Char('b') : fileName;
    return branch(workFolder + QStringLiteral("/TDS/fonts/type1"), supplier, family) + QLatin1Char('/') + pfb;
}

QString familyMapName(const QString& familyText)
{
    QString name = familyText;
    name.remove(QLatin1Char(' '));
    return name + QStringLiteral(".map");
}

QString mapFileText(const QString& stamp, const QStringList& maplines)
{
    QString text = QStringLiteral("% Created by Quillmark ") + stamp + lf;
    for (const QString& line : maplines)
        text += line + lf;
    return text;
}

QString weightShapePair(const BerryNameInfo& info)
{
    QString series = info.text(QStringLiteral("WeightCode"), QStringLiteral("m"));
    if (series.isEmpty() || series.compare(QLatin1String("r"), Qt::CaseInsensitive) == 0)
        series = QStringLiteral("m");
    const QString shape = info.text(QStringLiteral("vlist")).contains(QLatin1Char('i'), Qt::CaseInsensitive)
                              ? QStringLiteral("it")
                              : QStringLiteral("n");
    return series + QStringLiteral("}{") + shape;
}

bool hasRepeatedPairs(const QStringList& pairs)
{
    QStringList seen;
    for (const QString& pair : pairs) {
        if (seen.contains(pair.toLower()))
            return true;
        seen << pair.toLower();
    }
    return false;
}

QString fdFileName(int encoding, const QString& prefix)
{
    return encodingInfo(encoding).fdLetters + prefix + QStringLiteral(".fd");
}

QString fdFileText(const QString& stamp, int encoding, const QString& prefix, const QString& familyText,
                   const QStringList& pairs, const QStringList& maplines)
{
    const EncodingInfo enc = encodingInfo(encoding);
    QString text = QStringLiteral("% Created by Quillmark [") + stamp + QStringLiteral("]") + lf;
    text += QStringLiteral("\\ProvidesFile{") + fdFileName(encoding, prefix) + QStringLiteral("}") + lf;
    text += QStringLiteral("[ ") + familyText + QStringLiteral(" (") + enc.description + lf;
    text += QStringLiteral("\\DeclareFontFamily{") + enc.family + QStringLiteral("}{") + prefix +
            QStringLiteral("}{}") + lf;
    for (int i = 0; i < maplines.size(); ++i) {
        const QString tfm = maplines.at(i).section(QLatin1Char(' '), 0, 0);
        text += QStringLiteral("\\DeclareFontShape{") + enc.family + QStringLiteral("}{") + prefix +
                QStringLiteral("}{") + pairs.value(i) + QStringLiteral("}{<-> ") + tfm + QStringLiteral("}{}") + lf;
    }
    text += QStringLiteral("\\endinput") + lf;
    return text;
}

QString installFoldersCommand(const QString& workFolder, const QString& supplier, const QString& family)
{
    QStringList dirs;
    for (const char* top : {"TDS/fonts/afm", "TDS/fonts/tfm", "TDS/fonts/map/dvips", "TDS/tex/latex"})
        dirs << q(branch(QString::fromLatin1(top), supplier, family));
    return cdInto(workFolder) + sys("mkdir") + QStringLiteral(" -p ") + dirs.join(QLatin1Char(' '));
}

QString installMovesCommand(const QString& workFolder, const QString& supplier, const QString& family)
{
    // The globs stay outside the quotes; "&&" makes a missing kind fail the step.
    const QString mv = sys("mv") + QStringLiteral(" -f -- ");
    QStringList steps;
    const QList<QPair<const char*, const char*>> moves{{"*.afm", "TDS/fonts/afm"},
                                                       {"*.tfm", "TDS/fonts/tfm"},
                                                       {"*.map", "TDS/fonts/map/dvips"},
                                                       {"*.fd", "TDS/tex/latex"}};
    for (const auto& m : moves)
        steps << mv + QString::fromLatin1(m.first) + QLatin1Char(' ') +
                     q(branch(QString::fromLatin1(m.second), supplier, family));
    return cdInto(workFolder) + steps.join(QStringLiteral(" && "));
}

QString installCopyCommand(const QString& workFolder, const QString& tree, bool system)
{
    const QString source = q(workFolder + QStringLiteral("/TDS")) + QStringLiteral("/*");
    const QString sudo = system ? QStringLiteral("/usr/bin/sudo ") : QString();
    // The tree may not exist yet (a fresh account's personal tree).
    return sudo + sys("mkdir") + QStringLiteral(" -p ") + q(tree) + QStringLiteral(" && ") + sudo + sys("cp") +
           QStringLiteral(" -rpf ") + source + QLatin1Char(' ') + q(tree);
}

QString mktexlsrRootCommand()
{
    return QStringLiteral("/usr/bin/sudo ") + tex("mktexlsr");
}

QString parsefd(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return QString();
    for (const FdShapeEntry& entry : fdShapeEntries(readLatin1File(path))) {
        const QString name = fdEntryTfmName(entry);
        if (!name.isEmpty() && !name.contains(QLatin1Char('/')))
            return name;
    }
    return QString();
}

FontFolderContents fontFolderContents(const QString& folder)
{
    FontFolderContents c;
    const QFileInfoList items =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& item : items) {
        const QString name = item.fileName();
        const QString ext = item.suffix().toLower();
        if (ext != QLatin1String("afm") && ext != QLatin1String("pfb") && ext != QLatin1String("pfa"))
            continue;
        const QString base = name.left(name.size() - 4);
        c.fontfilename << name;
        c.fontfilepath << item.filePath();
        if (ext == QLatin1String("afm"))
            c.afmlist << base;
        else
            c.pflist << base;
    }
    return c;
}

QStringList unsafePostScriptNames(const QString& folder, const QStringList& afmBases)
{
    QStringList bad;
    for (const QString& base : afmBases) {
        const QString ps = afmNames(QDir(folder).filePath(base + QStringLiteral(".afm"))).value(0);
        if (!ps.isEmpty() && !isSafePostScriptName(ps))
            bad << base + QStringLiteral(".afm: ") + ps;
    }
    return bad;
}

QStringList berryPrefixes(const QStringList& afmlist)
{
    QStringList prefixes;
    QStringList lower;
    for (const QString& base : afmlist) {
        const QString p = base.left(3);
        if (!lower.contains(p.toLower())) {
            lower << p.toLower();
            prefixes << p;
        }
    }
    return prefixes;
}

QList<OutlineUser> outlineUsers(const QString& masterMap, const QString& fileName, const QStringList& ownMaps)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QList<OutlineUser> users;
    QString map = QStringLiteral("pdftex.map"); // lines before the first map's heading
    for (const QString& line : masterMap.split(QLatin1Char('\n'))) {
        const QString heading = mapSectionHeading(line);
        if (!heading.isEmpty()) {
            map = heading;
            continue;
        }
        if (ownMaps.contains(map, Qt::CaseInsensitive))
            continue;
        for (const MapLoad& load : mapLineLoads(line)) {
            if (!load.encoding && load.file.compare(fileName, Qt::CaseInsensitive) == 0) {
                users << OutlineUser{map, line.trimmed().section(blanks, 0, 0)};
                break;
            }
        }
    }
    return users;
}

QString outlineUsersLine(const QList<OutlineUser>& users, const QString& fileName)
{
    if (users.isEmpty())
        return QString();
    // A font of the outline's own family (its Berry prefix) tells the user
    // most; the base-35 maps name every outline under other names.
    const QString family = fileName.left(3);
    OutlineUser named = users.first();
    QStringList maps;
    for (const OutlineUser& user : users) {
        if (!maps.contains(user.map))
            maps << user.map;
        if (!named.texFont.startsWith(family, Qt::CaseInsensitive) &&
            user.texFont.startsWith(family, Qt::CaseInsensitive))
            named = user;
    }
    QString line = QStringLiteral("Other packages load it too, such as the font ") + named.texFont +
                   QStringLiteral(" of ") + named.map;
    if (maps.size() > 1)
        line += QStringLiteral(" (fonts of ") + QString::number(maps.size()) + QStringLiteral(" map files in all)");
    return line + QLatin1Char('.');
}

} // namespace qlk

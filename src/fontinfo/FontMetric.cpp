#include "fontinfo/FontMetric.h"

#include "services/FileHelpers.h"
#include "fontinfo/FontMeasure.h"
#include "fontinfo/ScratchFolder.h"
#include "fontinfo/TfmTrace.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "search/TreeSearch.h"
#include "services/Runners.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace qlk {

namespace {

QString beforeFirst(const QString& text, const QString& marker)
{
    const int at = text.indexOf(marker, 0, Qt::CaseInsensitive);
    return at < 0 ? text : text.left(at);
}

} // namespace

VplFontList vplFontList(const QString& vpl)
{
    VplFontList list;
    const QStringList parts = vpl.split(QStringLiteral("(FONTNAME "), Qt::KeepEmptyParts, Qt::CaseInsensitive);
    for (int k = 1; k < parts.size(); ++k) {
        const QString& part = parts.at(k);
        list.names << beforeFirst(part, QStringLiteral(")")).remove(QLatin1Char('\n')).trimmed();
        const QStringList at = part.split(QStringLiteral("(FONTAT R "), Qt::KeepEmptyParts, Qt::CaseInsensitive);
        double factor = 1.0;
        if (at.size() > 1) {
            factor = leadingNumber(beforeFirst(at.at(1), QStringLiteral(")")).remove(QLatin1Char('\n')));
        }
        list.factors << factor;
    }
    return list;
}

std::optional<int> vplCharacterFont(const QString& vpl, const QString& character)
{
    // The character keeps its letter case: "(CHARACTER C x" is not the
    // entry of X, and a digit has its one entry.
    const QStringList parts = vpl.split(QStringLiteral("(CHARACTER C ") + character);
    if (parts.size() < 2)
        return std::nullopt;
    const QString entry = beforeFirst(parts.at(1), QStringLiteral("(CHARACTER "));
    const QStringList sel = entry.split(QStringLiteral("(SELECTFONT D "), Qt::KeepEmptyParts, Qt::CaseInsensitive);
    if (sel.size() < 2)
        return 0;
    return static_cast<int>(leadingNumber(sel.at(1)));
}

QString mapLineOutlineFile(const QString& mapLine)
{
    const QStringList parts = mapLine.split(QLatin1Char('<'));
    for (int i = 1; i < parts.size(); ++i) {
        const QString name = parts.at(i).section(QLatin1Char(' '), 0, 0);
        // "<<font.pfb" leaves an empty piece before the name.
        if (name.isEmpty() || name.endsWith(QLatin1String(".enc"), Qt::CaseInsensitive))
            continue;
        return name;
    }
    return QString();
}

std::optional<int> afmCharacterTop(const QString& afm, const QString& character)
{
    if (character.size() != 1)
        return std::nullopt;
    const QString key = QStringLiteral("C ") + QString::number(character.at(0).unicode());
    const QStringList parts = afm.split(key, Qt::KeepEmptyParts, Qt::CaseInsensitive);
    if (parts.size() != 2)
        return std::nullopt;
    const QStringList fields = parts.at(1).section(QLatin1Char('\n'), 0, 0).split(QLatin1Char(';'));
    if (fields.size() < 4)
        return std::nullopt;
    const QStringList box = fields.at(3).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (box.size() < 5)
        return std::nullopt;
    return static_cast<int>(std::lround(leadingNumber(box.at(4))));
}

std::optional<int> afmMetric(const QString& outlineFile, const QString& character, const QString& folder)
{
    // "--" and "./": names that begin with "-" are names, never options.
    const QString found = runShellQuiet(shellQuote(texProgram(QStringLiteral("kpsewhich"))) + QStringLiteral(" -- ") +
                                        shellQuote(outlineFile))
                              .section(QLatin1Char('\n'), 0, 0);
    if (found.isEmpty())
        return std::nullopt;
    runShell(shellQuote(systemProgram(QStringLiteral("cp"))) + QLatin1Char(' ') + shellQuote(found) + QLatin1Char(' ') +
             shellQuote(folder));
    if (lastShell.errorCode != 0)
        return std::nullopt;
    const QString ext = outlineFile.right(3).toLower();
    QString converter;
    if (ext == QLatin1String("pfb") || ext == QLatin1String("pfa"))
        converter = shellQuote(texProgram(QStringLiteral("t1rawafm")));
    else if (ext == QLatin1String("ttf"))
        converter = shellQuote(texProgram(QStringLiteral("ttf2afm")));
    else
        return std::nullopt;
    runShell(QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ") + converter +
             QStringLiteral(" -o tmp.afm ") + fontArg(QFileInfo(found).fileName()));
    const QString afm = folder + QStringLiteral("/tmp.afm");
    if (!QFileInfo(afm).isFile())
        return std::nullopt;
    return afmCharacterTop(readLatin1File(afm), character);
}

std::optional<int> traceFont(const QString& fontName, const QString& character, double& scale,
                             const QString& folder, QStringList& chain)
{
    chain << fontName;
    const QString answer =
        kpsewhichQuery(QStringLiteral("-- ") + shellQuote(fontName + QStringLiteral(".tfm")) + QLatin1Char(' ') +
                       shellQuote(fontName + QStringLiteral(".vf")));
    if (answer.isEmpty()) {
        msgBox(QStringLiteral("No tfm or vf found for ") + fontName);
        return std::nullopt;
    }
    const QStringList lines = answer.split(QLatin1Char('\n'));
    if (lines.size() == 2) {
        // A virtual font: its property list tells which font the character comes from.
        const QString q = shellQuote(folder);
        const QString f = fontArg(fontName);
        runShell(shellQuote(systemProgram(QStringLiteral("cp"))) + QLatin1Char(' ') + shellQuote(lines.at(0)) + QLatin1Char(' ') + q +
                 QStringLiteral(" && ") + shellQuote(systemProgram(QStringLiteral("cp"))) + QLatin1Char(' ') +
                 shellQuote(lines.at(1)) + QLatin1Char(' ') + q + QStringLiteral(" && cd ") + q +
                 QStringLiteral(" && ") + shellQuote(texProgram(QStringLiteral("vftovp"))) + QLatin1Char(' ') + f +
                 QLatin1Char(' ') + f + QLatin1Char(' ') + f);
        if (lastShell.errorCode != 0)
            return std::nullopt;
        const QString vpl = readLatin1File(folder + QLatin1Char('/') + fontName + QStringLiteral(".vpl"));
        const VplFontList fonts = vplFontList(vpl);
        const std::optional<int> number = vplCharacterFont(vpl, character);
        if (!number || *number < 0 || *number >= fonts.names.size())
            return std::nullopt;
        const QString next = fonts.names.at(*number);
        if (chain.contains(next)) {
            msgBox(QStringLiteral("The virtual font ") + fontName + QStringLiteral(" leads back to ") + next +
                   QStringLiteral(" (") + chain.join(QStringLiteral(" > ")) + QStringLiteral(" > ") + next +
                   QStringLiteral("); the trace stops there."));
            return std::nullopt;
        }
        scale *= fonts.factors.at(*number);
        return traceFont(next, character, scale, folder, chain);
    }
    if (lines.at(0).endsWith(QLatin1String(".vf"), Qt::CaseInsensitive)) {
        msgBox(QStringLiteral("Found ") + fontName + QStringLiteral(".vf but no corresponding tfm"));
        return std::nullopt;
    }
    // A base font: the master map names its outline file.
    const QStringList mapLines = grepMasterMap(fontName);
    if (mapLines.isEmpty() || mapLines.at(0).isEmpty())
        return std::nullopt;
    const QString outline = mapLineOutlineFile(mapLines.at(0));
    if (outline.isEmpty())
        return std::nullopt;
    return afmMetric(outline, character, folder);
}

std::optional<int> fontMetric(const QString& character, const QString& fontName)
{
    const QString name = QString(fontName).remove(QLatin1Char('\\'));
    if (character.size() != 1 || name.isEmpty())
        return std::nullopt;
    double scale = 1.0;
    const QString folder = makeScratchFolder(tempFolder());
    if (folder.isEmpty())
        return std::nullopt;
    QStringList chain;
    const std::optional<int> height = traceFont(name, character, scale, folder, chain);
    removeScratchFolder(folder);
    if (!height)
        return std::nullopt;
    return static_cast<int>(std::lround(*height * scale));
}

} // namespace qlk

#include "fontinfo/TfmTrace.h"

#include "fontinfo/FdReaders.h"
#include "fontinfo/FontMetric.h"
#include "fontinfo/TfmCatalogue.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Runners.h"

#include <QFile>
#include <QRegularExpression>

namespace qlk {

QString fontArg(const QString& name)
{
    return shellQuote(name.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + name : name);
}

TfmMapRow tfmMapRow(const QString& tfm, const QStringList& mapLines)
{
    const QString unknown = QStringLiteral("????");
    if (mapLines.isEmpty())
        return TfmMapRow{tfm, unknown, unknown, true};
    const QStringList pieces = mapLines.first().split(QLatin1Char(' '));
    TfmMapRow row{tfm, pieces.value(1), QString(), false};
    QString rest = pieces.mid(2).join(QLatin1Char(' '));
    if (!rest.contains(QLatin1Char('<')))
        return row; // the line names no file
    rest.replace(QRegularExpression(QStringLiteral("<\\s+")), QStringLiteral("<"));
    row.fontFile = mapLineOutlineFile(rest);
    if (row.fontFile.isEmpty()) {
        row.fontFile = unknown;
        row.unresolved = true;
    }
    return row;
}

TfmTracer::TfmTracer(const TfmCatalogue& catalogue, const QString& scratchFolder)
    : catalogue_(catalogue), folder_(scratchFolder)
{
}

bool TfmTracer::fetch(const QString& fileName)
{
    // "--": a font name may begin with "-" and must not be read as an option.
    const QString found =
        kpsewhichQuery(QStringLiteral("-- ") + shellQuote(fileName)).section(QLatin1Char('\n'), 0, 0);
    if (found.isEmpty())
        return false;
    runShellQuiet(shellQuote(systemProgram(QStringLiteral("cp"))) + QStringLiteral(" -- ") + shellQuote(found) +
                  QLatin1Char(' ') + shellQuote(folder_));
    return true;
}

QStringList TfmTracer::expand(const QString& name)
{
    // Nothing from an earlier trace may stand in for a vftovp run that failed.
    const QString vpl = folder_ + QLatin1Char('/') + name + QStringLiteral(".vpl");
    QFile::remove(vpl);
    runShellQuiet(QStringLiteral("cd ") + shellQuote(folder_) + QStringLiteral(" && ") +
                  shellQuote(texProgram(QStringLiteral("vftovp"))) + QLatin1Char(' ') + fontArg(name) +
                  QLatin1Char(' ') + fontArg(name) + QLatin1Char(' ') + fontArg(name));
    return plFontNames(vpl);
}

bool TfmTracer::trace(const QString& name, bool isVirtual)
{
    if (!fetch(name + QStringLiteral(".tfm")))
        return false;
    tfmbase.clear();
    vfbase.clear();
    if (!isVirtual) {
        tfmbase << name;
        return true;
    }
    fetch(name + QStringLiteral(".vf"));
    vfbase = expand(name);
    QStringList path{name};
    for (const QString& base : vfbase)
        getsourcetfms(base, path);
    return true;
}

void TfmTracer::getsourcetfms(const QString& name, QStringList& path)
{
    if (!catalogue_.isVirtual(name)) {
        if (!tfmbase.contains(name))
            tfmbase << name;
        return;
    }
    if (path.contains(name))
        return; // a virtual font that leads back to itself
    fetch(name + QStringLiteral(".tfm"));
    fetch(name + QStringLiteral(".vf"));
    path << name;
    for (const QString& base : expand(name))
        getsourcetfms(base, path);
    path.removeLast();
}

} // namespace qlk

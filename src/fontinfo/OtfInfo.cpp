#include "fontinfo/OtfInfo.h"

#include "fontinfo/FontNames.h"
#include "platform/Paths.h"
#include "platform/Quote.h"

namespace qlk {

namespace {
// Lines split at `separator`; `pick` chooses the two cells of a row.
QList<QStringList> rowsOf(const QString& output, QChar separator, bool lastField)
{
    QList<QStringList> rows;
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        const QStringList fields = trimBlanks(line).split(separator);
        if (fields.size() < 2)
            continue;
        rows << QStringList{fields.first(), lastField ? fields.last() : fields.at(1)};
    }
    return rows;
}
} // namespace

QList<QStringList> otfScriptRows(const QString& output)
{
    return rowsOf(output, QLatin1Char('\t'), true);
}

QList<QStringList> otfTableRows(const QString& output)
{
    return rowsOf(output, QLatin1Char(' '), false);
}

QList<QStringList> otfFeatureRows(const QString& output)
{
    return rowsOf(output, QLatin1Char('\t'), false);
}

bool otfHasCff(const QString& tablesOutput)
{
    return tablesOutput.contains(QLatin1String("CFF"), Qt::CaseInsensitive);
}

bool isOtfName(const QString& fileName)
{
    return fileName.section(QLatin1Char('.'), -1).compare(QLatin1String("otf"), Qt::CaseInsensitive) == 0;
}

QString otfinfoCommand(const QString& folder, const QString& options, const QString& fileName)
{
    return QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ") +
           shellQuote(texProgram(QStringLiteral("otfinfo"))) + QLatin1Char(' ') + options + QLatin1Char(' ') +
           shellQuote(fileName.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + fileName : fileName);
}

} // namespace qlk

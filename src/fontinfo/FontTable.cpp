#include "fontinfo/FontTable.h"

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Runners.h"

#include <QFile>

namespace qlk {

QString fontTablePreamble()
{
    return QStringLiteral("\\documentclass{article}\n"
                          "\\usepackage{lmodern}\n"
                          "\\usepackage{fonttable}\n"
                          "\\pagestyle{empty}\n"
                          "\\parindent0pt\n");
}

void fontTable(const QString& folder, const QString& package)
{
    const QString doc = fontTablePreamble() +
                        QStringLiteral("\\usepackage[lite]{") + package + QStringLiteral("}\n") +
                        QStringLiteral("\\usepackage[TS1,T1]{fontenc}\n"
                                       "\\begin{document}\n") +
                        QStringLiteral("Font table for ") + package + QStringLiteral("mit\n") +
                        QStringLiteral("\\fonttable{") + package + QStringLiteral("mit}\n") +
                        QStringLiteral("\\newpage\n") +
                        QStringLiteral("Font table for ") + package + QStringLiteral("mbt\n") +
                        QStringLiteral("\\fonttable{") + package + QStringLiteral("mbt}\n") +
                        QStringLiteral("\\end{document}\n");
    QFile f(folder + QStringLiteral("/testtable.tex"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        msgBox(QStringLiteral("Cannot write ") + f.fileName());
        return;
    }
    f.write(doc.toUtf8());
    f.close();
    runShell(QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ") +
             shellQuote(texProgram(QStringLiteral("pdflatex"))) + QStringLiteral(" testtable"));
    if (lastShell.errorCode == 0)
        openWithDefault(folder + QStringLiteral("/testtable.pdf"));
}

QString encodingClause(const QString& name)
{
    auto starts = [&](const char* p) { return name.startsWith(QLatin1String(p), Qt::CaseInsensitive); };
    auto ends = [&](const char* s) { return name.endsWith(QLatin1String(s), Qt::CaseInsensitive); };
    if (starts("T1-"))
        return QStringLiteral(" encoding t1");
    if (starts("OT1-"))
        return QString();
    if (starts("LY1-"))
        return QStringLiteral(" encoding ly1");
    if (ends("7t") || ends("9t"))
        return QString();
    if (ends("8r"))
        return QStringLiteral(" encoding 8r");
    if (ends("8t"))
        return QStringLiteral(" encoding t1");
    if (ends("8y") || ends("9x"))
        return QStringLiteral(" encoding ly1");
    if (ends("9d") || ends("9e"))
        return QStringLiteral(" encoding t1");
    return QString();
}

} // namespace qlk

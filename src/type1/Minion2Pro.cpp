#include "type1/Minion2Pro.h"

#include "platform/Paths.h"
#include "platform/Quote.h"
#include "type1/Downloads.h"
#include "type1/OutlineCheck.h"

#include <QFileInfo>

namespace qlk {

const char* const kMinion2Archive = "minion2newtx.tds.zip";

QStringList minion2Sources()
{
    return {QStringLiteral("MinionPro-Regular.pfa"), QStringLiteral("MinionPro-Bold.pfa"),
            QStringLiteral("MinionPro-It.pfa"), QStringLiteral("MinionPro-BoldIt.pfa")};
}

QStringList minion2Targets()
{
    return {QStringLiteral("zmnr"), QStringLiteral("zmnb"), QStringLiteral("zmnri"), QStringLiteral("zmnbi")};
}

QString createzmnScript()
{
    QString script = QStringLiteral("#!/bin/sh\n");
    const QStringList sources = minion2Sources();
    const QStringList targets = minion2Targets();
    for (int i = 0; i < 4; ++i)
        script += systemProgram(QStringLiteral("sed")) +
                  QStringLiteral("  's/\\/FontName \\/Minion/\\/FontName \\/Minion2/' ") + sources.at(i) +
                  QStringLiteral(" >") + targets.at(i) + QStringLiteral(".pfa\n");
    const QString t1binary = shellQuote(texProgram(QStringLiteral("t1binary")));
    for (int i = 0; i < 4; ++i)
        script += t1binary + QLatin1Char(' ') + targets.at(i) + QStringLiteral(".pfa ") + targets.at(i) +
                  QStringLiteral(".pfb\n");
    return script;
}

QString minion2FontProblems(const QString& work, const QString& sources)
{
    QStringList bad;
    const QStringList from = minion2Sources();
    const QStringList made = minion2Targets();
    for (int i = 0; i < 4; ++i) {
        const QString pfb = made.at(i) + QStringLiteral(".pfb");
        const QString path = work + QLatin1Char('/') + pfb;
        const QString problem =
            QFileInfo(path).isFile() ? outlineFontProblem(path) : QStringLiteral("createzmn did not make it");
        if (!problem.isEmpty())
            bad << sources + QLatin1Char('/') + from.at(i) + QStringLiteral(" (as ") + pfb + QStringLiteral("): ") +
                       problem;
    }
    if (bad.isEmpty())
        return QString();
    return QStringLiteral("Damaged outline fonts, which TeX could not use; nothing was downloaded or "
                          "installed:\n") +
           bad.join(QLatin1Char('\n'));
}

QString minion2ArchiveUrl()
{
    return ctanHost() + QStringLiteral("/tex-archive/install/fonts/") + QLatin1String(kMinion2Archive);
}

} // namespace qlk

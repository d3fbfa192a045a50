#include "fontinfo/ScratchFolder.h"

#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Runners.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

namespace qlk {

QString makeScratchFolder(const QString& parent)
{
    QDir dir(parent);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString name =
            QStringLiteral("tmp") + QString::number(QRandomGenerator::global()->bounded(1000000, 10000000));
        if (QFileInfo::exists(dir.filePath(name)))
            continue;
        // mkdir fails when someone else took the name meanwhile; draw again.
        if (dir.mkdir(name))
            return dir.filePath(name);
        if (!dir.exists())
            return QString();
    }
    return QString();
}

bool removeScratchFolder(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    runShell(shellQuote(systemProgram(QStringLiteral("rm"))) + QStringLiteral(" -Rf ") + shellQuote(folder));
    return lastShell.errorCode == 0;
}

} // namespace qlk

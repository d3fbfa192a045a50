#include "afm2tfm/FontInfoMenu.h"

#include "fontinfo/OtfInfo.h"
#include "platform/Dialogs.h"
#include "services/Runners.h"

namespace qlk {

QString fontInfoCommand(int tag, const QString& folder, const QString& fileName)
{
    if (tag == FontInfoItem)
        return otfinfoCommand(folder, QStringLiteral("--info"), fileName);
    if (tag == FontFeaturesItem)
        return otfinfoCommand(folder, QStringLiteral("--features"), fileName);
    return QString();
}

bool fontInfoMenuAction(int tag, int row, int rowCount, const QString& folder, const QString& fileCell)
{
    if (row < 0 || row > rowCount - 1)
        return false;
    const QString name = fileCell.trimmed();
    if (name.isEmpty())
        return false;
    const QString command = fontInfoCommand(tag, folder, name);
    if (command.isEmpty())
        return true;
    const QString output = runShellQuiet(command);
    if (lastShell.errorCode != 0) {
        // otfinfo says why it refused (a Type 1 font is not an OpenType one).
        QString why = trimWhite(lastShell.errorOutput);
        if (why.isEmpty())
            why = QStringLiteral("otfinfo ended with exit status %1").arg(lastShell.errorCode);
        msgBox(why);
    } else {
        msgBox(output);
    }
    return true;
}

} // namespace qlk

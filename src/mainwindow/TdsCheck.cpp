#include "mainwindow/TdsCheck.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Privileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlk {

QString strayFileQuestion()
{
    return QStringLiteral("A TDS normally has only folders at the top level. Ordinary files should be placed "
                          "inside those folders. \nYou may make changes before pressing Continue.");
}

QString noFontsOrTexQuestion()
{
    return QStringLiteral("A TDS should always contain a 'fonts' or a 'tex' subfolder at the top level.\n"
                          "You may make changes before pressing Continue.");
}

QString folderNameQuestion(const QString& name)
{
    return QStringLiteral("The folder name '") + name +
           QStringLiteral("' is not normally used in the top level a TDS.\nPlease confirm that this is indeed a "
                          "TDS for a font. You may make changes before pressing OK.");
}

namespace {
QFileInfoList topLevel(const QString& folder)
{
    return QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
}

QStringList folderNames(const QString& folder)
{
    QStringList names;
    for (const QFileInfo& item : topLevel(folder)) {
        if (item.isDir())
            names << item.fileName();
    }
    return names;
}

void removeLsR(const QString& folder, const QFileInfo& item)
{
    if (QFile::remove(item.filePath()) || !QFileInfo::exists(item.filePath()))
        return;
    // Only a refusal of the folder's permissions is worth a password.
    if (QFileInfo(folder).isWritable())
        return;
    if (askYesNo(QStringLiteral("OK to delete a  misplaced ls-R file in ") + folder +
                 QStringLiteral("?\nA password will be required.")))
        runAsRoot(QStringLiteral("/usr/bin/sudo ") + shellQuote(systemProgram(QStringLiteral("rm"))) +
                  QStringLiteral(" -f ") + shellQuote(item.filePath()));
}
} // namespace

bool checkTdsTree(const QString& folder, const QStringList& toplevel,
                  const std::function<bool(const QString& question)>& ask)
{
    // The listing is taken once, before anything is deleted from it.
    for (const QFileInfo& item : topLevel(folder)) {
        if (item.isDir())
            continue;
        if (item.fileName().startsWith(QLatin1Char('.'))) {
            QFile::remove(item.filePath());
            continue;
        }
        if (item.fileName() == QLatin1String("ls-R")) {
            removeLsR(folder, item);
            continue;
        }
        if (!ask(strayFileQuestion()))
            return false;
        break;
    }

    QStringList names = folderNames(folder);
    if (!names.contains(QStringLiteral("fonts")) && !names.contains(QStringLiteral("tex"))) {
        if (!ask(noFontsOrTexQuestion()))
            return false;
        // The user may have changed the tree before going on.
        names = folderNames(folder);
    }
    for (const QString& name : names) {
        if (!toplevel.contains(name) && !ask(folderNameQuestion(name)))
            return false;
    }
    return true;
}

} // namespace qlk

#include "services/DropCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

namespace qlk {

bool isSafeFileName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('-')))
        return false;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        if (u < 0x20 || u == 0x7f || c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('"') ||
            c == QLatin1Char('\\'))
            return false;
    }
    return true;
}

bool isTexSafeName(const QString& name)
{
    static const QRegularExpression form(QStringLiteral("^[A-Za-z0-9._+-]+$"));
    return !name.startsWith(QLatin1Char('-')) && form.match(name).hasMatch();
}

bool isSafePostScriptName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        if (u <= 0x20 || u >= 0x7f || QStringLiteral("()<>[]{}/%\"\\").contains(c))
            return false;
    }
    return true;
}

namespace {

// A name as it can be shown in a message: control characters would
// break the lines or vanish.
QString shown(QString name)
{
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char('?');
    }
    return name;
}

struct Findings {
    QStringList notRegular;
    QStringList badNames;
};

void judge(const QFileInfo& item, const QString& label, const DropRules& rules, Findings& found)
{
    // A broken link cannot be read at all, so it blocks nothing.
    if (!item.exists() || item.isDir())
        return;
    if (!item.isFile()) {
        found.notRegular << shown(label);
        return;
    }
    const QString name = item.fileName();
    for (const QString& ending : rules.endings) {
        if (name.size() <= ending.size() || !name.endsWith(ending, Qt::CaseInsensitive))
            continue;
        if (!isSafeFileName(name) || (rules.texNames && !isTexSafeName(name.left(name.size() - ending.size()))))
            found.badNames << shown(label);
        return;
    }
}

QString listed(const QStringList& items)
{
    const int shownMax = 20;
    QString text = items.mid(0, shownMax).join(QLatin1Char('\n'));
    if (items.size() > shownMax)
        text += QStringLiteral("\n... and %1 more").arg(items.size() - shownMax);
    return text;
}

} // namespace

QString dropProblem(const QStringList& paths, const DropRules& rules)
{
    Findings found;
    for (const QString& path : paths) {
        const QFileInfo top(path);
        if (!top.isDir()) {
            judge(top, top.fileName(), rules, found);
            continue;
        }
        const QString folder = top.absoluteFilePath();
        // Links to folders are not followed: they may lead back up.
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        rules.subfolders ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
        while (it.hasNext()) {
            it.next();
            const QFileInfo item = it.fileInfo();
            judge(item, top.fileName() + QLatin1Char('/') + QDir(folder).relativeFilePath(item.filePath()), rules,
                  found);
        }
    }
    found.notRegular.sort();
    found.badNames.sort();
    QStringList parts;
    if (!found.notRegular.isEmpty())
        parts << QStringLiteral("These items are not regular files (a FIFO, a device or a socket), which are "
                                "never read:\n") +
                     listed(found.notRegular);
    if (!found.badNames.isEmpty())
        parts << (rules.texNames
                      ? QStringLiteral("These file names cannot be handed safely to the TeX programs (only letters, "
                                       "digits and . _ + - may name a TeX font, and no name may begin with \"-\"):\n")
                      : QStringLiteral("These file names cannot be handed safely to the TeX programs (a name may "
                                       "not begin with \"-\" or hold $ ` \" \\ or a control character):\n")) +
                     listed(found.badNames);
    if (parts.isEmpty())
        return QString();
    return parts.join(QStringLiteral("\n\n")) + QStringLiteral("\n\nRename or remove them and drop again. Nothing was "
                                                               "read or written.");
}

} // namespace qlk

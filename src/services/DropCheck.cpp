#include "services/DropCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <dirent.h>
#include <sys/stat.h>

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
    QStringList undecodable;
};

// The names below `folder` (and below its folders with `deep`) that are not
// valid UTF-8. Qt's listings leave them out, so the roads would say the
// folder lacks its fonts; they are read here as bytes.
void findUndecodable(const QByteArray& folder, const QString& label, bool deep, QStringList& found)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        const QString decoded = QString::fromUtf8(name);
        const QString item = label + QLatin1Char('/') + shown(decoded);
        if (decoded.toUtf8() != name) {
            found << item;
            continue;
        }
        struct stat st;
        const QByteArray path = folder + '/' + name;
        if (deep && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            findUndecodable(path, item, true, found);
    }
    ::closedir(dir);
}

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
        // A dropped name that is not UTF-8 arrives with U+FFFD in place of
        // its bytes, and so names nothing.
        if (path.contains(QChar::ReplacementCharacter) && !top.exists() && !top.isSymLink()) {
            found.undecodable << shown(path);
            continue;
        }
        if (!top.isDir()) {
            judge(top, top.fileName(), rules, found);
            continue;
        }
        const QString folder = top.absoluteFilePath();
        findUndecodable(QFile::encodeName(folder), top.fileName(), rules.subfolders, found.undecodable);
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
    found.undecodable.sort();
    QStringList parts;
    if (!found.undecodable.isEmpty())
        parts << QStringLiteral("These names are not valid UTF-8 (\uFFFD marks what is not), so the program can "
                                "neither read these items nor hand them to the TeX programs:\n") +
                     listed(found.undecodable);
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

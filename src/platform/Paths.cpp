#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace qlk {

namespace {
QString& texbinOverride()
{
    static QString value;
    return value;
}
QString& appFolderOverride()
{
    static QString value;
    return value;
}

QString findTexbin()
{
    if (QFileInfo(QStringLiteral("/usr/texbin/kpsewhich")).isExecutable())
        return QStringLiteral("/usr/texbin");
    const QString found = QStandardPaths::findExecutable(QStringLiteral("kpsewhich"));
    if (!found.isEmpty())
        return QFileInfo(found).absolutePath();
    return QStringLiteral("/usr/bin");
}
} // namespace

QString texbin()
{
    if (!texbinOverride().isEmpty())
        return texbinOverride();
    static const QString found = findTexbin();
    return found;
}

QString texProgram(const QString& name)
{
    return texbin() + QLatin1Char('/') + name;
}

void setTexbinForTesting(const QString& folder)
{
    texbinOverride() = folder;
}

QString systemProgram(const QString& name)
{
    // Programs every Linux keeps in /bin (usr-merged or not).
    static const char* const inBin[] = {"chown", "chmod", "cp", "mv", "rm", "rmdir", "mkdir",
                                        "ls", "cat", "echo", "sed", "grep", "bash", "sh",
                                        "ln", "tar"};
    for (const char* b : inBin) {
        if (name == QLatin1String(b))
            return QStringLiteral("/bin/") + name;
    }
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty())
        return found;
    return QStringLiteral("/usr/bin/") + name;
}

QString homeFolder()
{
    return QDir::homePath();
}

QString documentsFolder()
{
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty() || docs == homeFolder())
        docs = homeFolder() + QStringLiteral("/Documents");
    QDir().mkpath(docs);
    return docs;
}

QString configFolder()
{
    QString conf = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (conf.isEmpty())
        conf = homeFolder() + QStringLiteral("/.config");
    QDir().mkpath(conf);
    return conf;
}

QString tempFolder()
{
    return QDir::tempPath();
}

QString appFolder()
{
    if (!appFolderOverride().isEmpty())
        return appFolderOverride();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void setAppFolderForTesting(const QString& folder)
{
    appFolderOverride() = folder;
}

namespace {
int& uidOverride()
{
    static int uid = -1;
    return uid;
}
} // namespace

int effectiveUid()
{
    return uidOverride() >= 0 ? uidOverride() : int(::geteuid());
}

void setEffectiveUidForTesting(int uid)
{
    uidOverride() = uid;
}

QString resourcesFolder()
{
    return appFolder() + QStringLiteral("/Resources");
}

} // namespace qlk

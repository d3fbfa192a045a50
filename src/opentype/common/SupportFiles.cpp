#include "opentype/common/SupportFiles.h"

#include "opentype/common/OtfTemplate.h"

#include <QDir>
#include <QFileInfo>

namespace qlk {

QString fdFigureSuffix(const QString& baseName)
{
    return baseName.mid(baseName.startsWith(QLatin1Char('t'), Qt::CaseInsensitive) ? 5 : 6);
}

SupportFiles readSupportFolder(const QString& folder)
{
    SupportFiles files;
    const QFileInfoList items =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    files.folderHasItems = !items.isEmpty();
    for (const QFileInfo& item : items) {
        const QString name = item.fileName();
        if (name.endsWith(QLatin1String(".sty"), Qt::CaseInsensitive)) {
            files.styNames << name;
        } else if (name.endsWith(QLatin1String(".fd"), Qt::CaseInsensitive)) {
            const QString base = name.left(name.size() - 3);
            files.fdBases << base;
            files.suffixes << fdFigureSuffix(base);
        }
    }
    return files;
}

QString judgeSupportFiles(const SupportFiles& files, const QString& shortname, const QString& fontKind)
{
    if (indexNoCase(files.suffixes, QString()) >= 0 && indexNoCase(files.suffixes, QStringLiteral("x")) >= 0)
        return QStringLiteral("Bailing out! There is a problem with your ") + fontKind +
               QStringLiteral(" files. It appears that some have correct lnum tables and some do not.");
    if (indexNoCase(files.styNames, shortname + QStringLiteral(".sty")) < 0)
        return QStringLiteral("Bailing out! Did not find expected support file ") + shortname + QStringLiteral(".sty");
    if (files.fdBases.isEmpty())
        return QStringLiteral("Bailing out! No .fd files produced.");
    return QString();
}

QString entryNoCase(const QString& folder, const QString& name)
{
    for (const QString& entry : QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder + QLatin1Char('/') + entry;
    }
    return QString();
}

} // namespace qlk

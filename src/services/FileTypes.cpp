#include "services/FileTypes.h"

namespace qlk {

bool FileType::accepts(const QString& fileName) const
{
    if (extensions.isEmpty())
        return true;
    for (const QString& ext : extensions.split(QLatin1Char(','))) {
        if (fileName.endsWith(ext, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString FileType::chooserFilter() const
{
    if (extensions.isEmpty())
        return name + QStringLiteral(" (*)");
    QStringList globs;
    for (const QString& ext : extensions.split(QLatin1Char(',')))
        globs << QLatin1Char('*') + ext;
    return name + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
}

const FileType& fileTypeAny()
{
    static const FileType any{QStringLiteral("Any"), QString()};
    return any;
}

const FileType& fileTypeFont()
{
    static const FileType font{QStringLiteral("Font"), QStringLiteral(".ttf,.pfb,.pfa,.tfm,.afm")};
    return font;
}

void initFileTypes()
{
    fileTypeAny();
    fileTypeFont();
}

} // namespace qlk

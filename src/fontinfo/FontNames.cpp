#include "fontinfo/FontNames.h"

#include "fontinfo/FontDB.h"
#include "fontinfo/SqlStatement.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"

#include <QFile>

namespace qlk {

QString trimBlanks(const QString& s)
{
    int b = 0, e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

QString supplierName(const QString& code)
{
    if (code == QLatin1String("5")) {
        // The preference defaults to 1 at start-up; unset counts the same.
        const bool fontsite = !haspref(QStringLiteral("useFontsite")) ||
                              prefInt(QStringLiteral("useFontsite")) == 1;
        return fontsite ? QStringLiteral("fontsite") : QStringLiteral("softmake");
    }
    return firstText(fontDB,
                     "select SupplierShortName from Suppliers where SupplierID=? order by rowid",
                     {code});
}

QString typefaceName(const QString& code)
{
    const QString c = trimBlanks(code);
    if (c.size() == 2)
        return firstText(fontDB, "select TFShortName from Typefaces where TFID=? order by rowid", {c});
    if (c.size() == 3)
        return firstText(fontDB,
                         "select FilPSName from FontFiles where FilBerryName LIKE ? ESCAPE '\\' "
                         "order by rowid",
                         {likeEscaped(c) + QLatin1Char('%')});
    return QString();
}

QString variantNames(const QString& code)
{
    return firstText(fontDB, "select VNames from Variants where VID=? order by rowid",
                     {trimBlanks(code)});
}

QString berryNameFor(const QString& name)
{
    // The database writes "~" for "_" in file and PostScript names.
    const QString n = trimBlanks(name).replace(QLatin1Char('_'), QLatin1Char('~'));
    if (n.isEmpty())
        return QString();
    const QString e = likeEscaped(n);
    // Rows come in the order they were stored: Adobe's catalogue first.
    const QString byFile = firstText(
        fontDB,
        "select FilBerryName from FontFiles where (FilFName LIKE ?1 ESCAPE '\\') OR "
        "(FilFName LIKE ?2 ESCAPE '\\') OR (FilFName LIKE ?3 ESCAPE '\\') order by rowid",
        {e, e + QStringLiteral(" %"), QStringLiteral("% ") + e});
    if (!byFile.isEmpty())
        return byFile;
    return firstText(fontDB, "select FilBerryName from FontFiles where FilPSName=? order by rowid",
                     {n});
}

QString weightNames(const QString& code)
{
    static const struct {
        char letter;
        const char* names;
    } table[] = {
        {'a', "Thin\tHairline"}, {'b', "Bold"},      {'c', "Black"},
        {'d', "Demi"},           {'h', "Heavy\tHeavyface"},
        {'j', "ExtraLight"},     {'k', "Book"},      {'l', "Light"},
        {'m', "Medium"},         {'p', "Poster"},    {'r', "Regular\tRoman\tNormal"},
        {'s', "Semibold"},       {'u', "Ultra"},     {'x', "ExtraBold\tExtraBlack"},
    };
    if (code.size() != 1)
        return QString();
    const QChar c = code.at(0).toLower();
    for (const auto& row : table) {
        if (c == QLatin1Char(row.letter))
            return QString::fromLatin1(row.names);
    }
    return QString();
}

bool isDigit(const QString& s)
{
    return !s.isEmpty() && s.at(0) >= QLatin1Char('0') && s.at(0) <= QLatin1Char('9');
}

bool isException(const QString& name)
{
    QFile f(appFolder() + QStringLiteral("/Exceptions.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QStringList pieces = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (const QString& piece : pieces) {
        // An empty line (or the piece after the last line end) lists no name.
        if (!piece.isEmpty() && piece.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace qlk

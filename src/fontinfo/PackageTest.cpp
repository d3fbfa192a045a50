#include "fontinfo/PackageTest.h"

#include "services/FileHelpers.h"
#include "fontinfo/FdReaders.h"
#include "fontinfo/ScratchFolder.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "search/TreeSearch.h"
#include "services/Runners.h"

#include <QFile>
#include <QRegularExpression>

namespace qlk {

namespace {

enum class Sample { Digits, ItalicLetters, None };

struct VariantRow {
    const char* suffix;
    const char* description;
    Sample sample;
};

const VariantRow kVariants[] = {
    {"", "lining figures (\\verb|\\textln|)", Sample::Digits},
    {"x", "lining figures (\\verb|\\textln|)", Sample::Digits},
    {"j", "oldstyle figures (\\verb|\\textos|)", Sample::Digits},
    {"0", "scientific inferiors (\\verb|\\textin|)", Sample::Digits},
    {"1", "superscript forms (\\verb|\\textsu|)", Sample::Digits},
    {"2", "proportionally spaced figures (\\verb|\\textp|)", Sample::Digits},
    {"w", "swash italics (\\verb|\\textswash|)", Sample::ItalicLetters},
    {"c", "small caps", Sample::None},
    {"-TLF", "tabular lining figures", Sample::Digits},
    {"-LF", "proportional lining figures", Sample::Digits},
    {"-TOsF", "tabular oldstyle figures", Sample::Digits},
    {"-OsF", "proportional oldstyle figures", Sample::Digits},
    {"-Sup", "superscript figures", Sample::Digits},
    {"-Inf", "scientific inferiors", Sample::Digits},
    {"-Numr", "numerators", Sample::None},
    {"-Dnom", "denominators", Sample::None},
    {"-Orn", "ornaments", Sample::None},
};

const VariantRow* variantRow(const QString& suffix)
{
    for (const VariantRow& row : kVariants) {
        if (suffix.compare(QLatin1String(row.suffix), Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

const FdListingEntry* entryWithSuffix(const QList<FdListingEntry>& listing, const QString& suffix)
{
    for (const FdListingEntry& e : listing) {
        if (e.suffix.compare(suffix, Qt::CaseInsensitive) == 0)
            return &e;
    }
    return nullptr;
}

} // namespace

QList<FdListingEntry> fdListing(const QString& found, const QString& encoding, const QString& family)
{
    QList<FdListingEntry> listing;
    const int n = encoding.size() + family.size();
    for (const QString& line : found.split(QLatin1Char('\n'))) {
        if (line.isEmpty())
            continue;
        FdListingEntry e;
        e.path = line;
        const int slash = line.lastIndexOf(QLatin1Char('/'));
        e.folder = slash < 0 ? QString() : line.left(slash);
        const QString fileName = line.mid(slash + 1);
        e.suffix = fileName.section(QLatin1Char('.'), 0, 0).mid(n);
        listing << e;
    }
    return listing;
}

QString defaultSuffix(const QList<FdListingEntry>& listing, bool autoinstStyle)
{
    const QStringList candidates = autoinstStyle
                                       ? QStringList{QStringLiteral("-TLF"), QStringLiteral("-LF"),
                                                     QStringLiteral("-TOsF"), QStringLiteral("-OsF")}
                                       : QStringList{QStringLiteral("x"), QStringLiteral("j")};
    for (const QString& c : candidates) {
        if (const FdListingEntry* e = entryWithSuffix(listing, c))
            return e->suffix;
    }
    return QString();
}

QString packageNameOfBlock(const QString& block)
{
    // "\usepackage[opts]{name}" names its package as "\usepackage{name}" does.
    static const QRegularExpression options(QStringLiteral("\\\\usepackage\\s*\\[[^\\]]*\\]\\s*\\{"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString text = QString(block).replace(options, QStringLiteral("\\usepackage{"));
    const QStringList pieces =
        text.split(QStringLiteral("\\usepackage{"), Qt::KeepEmptyParts, Qt::CaseInsensitive);
    for (int i = pieces.size() - 1; i >= 0; --i) {
        const QString name = pieces.at(i).section(QLatin1Char('}'), 0, 0);
        if (name.compare(QLatin1String("fontenc"), Qt::CaseInsensitive) != 0)
            return name;
    }
    return pieces.at(0).section(QLatin1Char('}'), 0, 0);
}

QString testPackage(const QString& family, const QString& pkg, const QString& extra, int enc,
                    bool autoinstStyle)
{
    static const char* const encodings[] = {"ot1", "t1", "ly1"};
    if (enc < 0 || enc > 2) {
        msgBox(QStringLiteral("Cannot make a test document for ") + family +
               QStringLiteral(": its main encoding is not OT1, T1 or LY1."));
        return QString();
    }
    const QString encName = QString::fromLatin1(encodings[enc]);
    const QString ENC = encName.toUpper();

    QString found = findInTrees(encName + family + QStringLiteral("*.fd"));
    if (found.endsWith(QLatin1Char('\n')))
        found.chop(1);
    if (found.trimmed().isEmpty()) {
        msgBox(QStringLiteral("No .fd files installed for ") + family);
        return QString();
    }
    const QList<FdListingEntry> listing = fdListing(found, encName, family);
    const QString def = defaultSuffix(listing, autoinstStyle);

    const QString folder = makeScratchFolder(documentsFolder());
    if (folder.isEmpty()) {
        msgBox(QStringLiteral("Cannot make a work folder in ") + documentsFolder());
        return QString();
    }

    QString doc;
    auto line = [&doc](const QString& text) { doc += text + QLatin1Char('\n'); };
    line(QStringLiteral("\\documentclass[12pt]{article}"));
    line(QStringLiteral("\\usepackage[margin=1in]{geometry}"));
    line(QStringLiteral("\\usepackage[parfill]{parskip}"));
    line(QStringLiteral("\\usepackage{lmodern}"));
    QString packageName;
    if (pkg.isEmpty()) {
        packageName = extra;
    } else if (pkg.startsWith(QLatin1Char('.'))) {
        const QString block = pkg.mid(1);
        for (const QString& l : block.split(QLatin1Char('\r')))
            line(l);
        packageName = packageNameOfBlock(block);
    } else {
        line(QStringLiteral("\\usepackage{") + pkg + QLatin1Char('}'));
        packageName = pkg;
    }
    if (!extra.isEmpty()) {
        QString map = extra;
        if (!map.endsWith(QLatin1String(".map"), Qt::CaseInsensitive))
            map += QStringLiteral(".map");
        line(QStringLiteral("\\pdfmapfile{+") + map + QLatin1Char('}'));
    }
    if (enc == 1)
        line(QStringLiteral("\\usepackage[T1]{fontenc}"));
    else if (enc == 2)
        line(QStringLiteral("\\usepackage[LY1]{fontenc}"));

    line(QStringLiteral("\\begin{document}"));
    line(QStringLiteral("\\begin{center}"));
    line(QStringLiteral("{\\large Features available in package {\\tt ") + packageName +
         QStringLiteral("}}\\end{center}\\vspace*{1cm}"));
    line(QStringLiteral("Berry name of font family: ") + family + QStringLiteral("\\\\"));
    line(QStringLiteral("{\\usefont{") + ENC + QStringLiteral("}{") + family + def +
         QStringLiteral("}{m}{n}ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghjklmnopqrstuvwxyz}\n"));
    line(QStringLiteral("\\textbf{Stylistic variants:} \\\\"));

    QString variants;
    QStringList seen;
    for (const FdListingEntry& e : listing) {
        if (seen.contains(e.suffix, Qt::CaseInsensitive))
            continue;
        seen << e.suffix;
        const VariantRow* row = variantRow(e.suffix);
        if (!row)
            continue;
        variants += QStringLiteral("{\\tt ") + e.suffix + QStringLiteral("} --- ") +
                    QString::fromLatin1(row->description) + QStringLiteral(": ");
        const QString usefont = QStringLiteral("{\\usefont{") + ENC + QStringLiteral("}{") + family + e.suffix;
        if (row->sample == Sample::Digits)
            variants += usefont + QStringLiteral("}{m}{n}1234567890}");
        else if (row->sample == Sample::ItalicLetters)
            variants += usefont + QStringLiteral("}{m}{it}ABCDEFGHIJKLM}");
        variants += QStringLiteral("\\\\");
    }
    line(variants + QStringLiteral("\\par"));

    const FdListingEntry* main = entryWithSuffix(listing, def);
    if (!main) {
        msgBox(QStringLiteral("Error trying to locate ") + encName + family + def + QStringLiteral(".fd"));
    } else {
        line(QStringLiteral("The following series/shapes are defined in the font definition file {\\tt ") +
             ENC + family + def + QStringLiteral(".fd}.\\par"));
        // Read the file under the name the search found: autoinst writes the
        // encoding in capitals (T1abc-LF.fd), and file names here are case-sensitive.
        const QString usefont = QStringLiteral("{\\usefont{") + ENC + QStringLiteral("}{") + family + def;
        for (const FdShapeEntry& entry : fdShapeEntries(readTextFile(main->path))) {
            if (fdEntryTfmName(entry).isEmpty())
                continue;
            const QString s = entry.at(2).trimmed();
            const QString h = entry.at(3).trimmed();
            const QString sh = QStringLiteral("}{") + s + QStringLiteral("}{") + h + QLatin1Char('}');
            line(QStringLiteral("{\\tt ") + s + QLatin1Char('/') + h + QStringLiteral(":} ") + usefont + sh +
                 QStringLiteral("Sample of text in series {\\tt ") + s + QStringLiteral("}, shape {\\tt ") + h +
                 QStringLiteral(".} [ff-fi-fl-ffi-ffl]}\\\\"));
            line(QStringLiteral(" ") + usefont + sh +
                 QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz}\\\\"));
        }
    }
    line(QStringLiteral("\\end{document}"));

    QFile f(folder + QStringLiteral("/test.tex"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        msgBox(QStringLiteral("Cannot write ") + f.fileName());
        return folder;
    }
    f.write(doc.toUtf8());
    f.close();

    runShell(QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ") +
             shellQuote(texProgram(QStringLiteral("pdflatex"))) + QStringLiteral(" test"));
    if (lastShell.errorCode == 0)
        openWithDefault(folder + QStringLiteral("/test.pdf"));
    return folder;
}

} // namespace qlk

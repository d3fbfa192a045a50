#include "type1/FontSite.h"

#include "platform/Paths.h"
#include "platform/Quote.h"
#include "type1/ZuvText.h"

#include <QRegularExpression>

namespace qlk {

namespace {

const QChar kLf(10);
const QChar kCr(13);

QString unixLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(kCr, kLf);
    return text;
}

bool plainName(const QString& text)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]+$"));
    return plain.match(text).hasMatch();
}

// One section after a "File:" marker; false when it does not describe a
// family that can be installed.
bool addSection(FsCatalogue& cat, const QString& section)
{
    QStringList lines = section.split(kLf);
    if (lines.size() < 6 || lines.at(5).trimmed().isEmpty())
        return false;
    const QString name = lines.at(2).trimmed();
    const QString s0 = lines.at(5).trimmed();
    QString s = s0;
    QString code;
    bool symbol = false;
    if (s.endsWith(QLatin1Char('}'))) {
        code = s.mid(s.size() - 3, 2);
        s = s.left(s.size() - 14).trimmed();
        symbol = true;
    } else {
        code = s.right(2);
        s = s.left(s.size() - 5).trimmed();
    }
    s = s.mid(11);
    s.chop(1);
    const int brace = s.indexOf(QLatin1Char('{'));
    const QString shortName = brace < 0 ? s : s.mid(brace + 1);
    if (!plainName(code) || !plainName(shortName))
        return false;

    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    lines = lines.mid(5);
    lines[0] = s0;
    cat.fontfa << name;
    cat.fontb << code;
    cat.fontsh << shortName;
    cat.fontrm << lines.join(kCr);
    cat.fontPi << symbol;
    return true;
}

QString cpLine(const QString& work, const QString& from, const QString& to)
{
    // The source is a pattern: its folder is quoted, its wildcard is not.
    return QStringLiteral("cd ") + shellQuote(work) + QStringLiteral(" && ") +
           shellQuote(systemProgram(QStringLiteral("cp"))) + QLatin1Char(' ') + from + QLatin1Char(' ') +
           shellQuote(to);
}

} // namespace

FsCatalogue readFsCatalogue(const QString& info1, const QString& info2)
{
    FsCatalogue cat;
    QString first = unixLines(info1);
    const int marker = first.indexOf(QLatin1String("* Walbaum::"));
    first = first.mid(marker < 0 ? 11 : marker + 12);
    const QStringList pieces1 = first.split(QStringLiteral("File:"));
    for (int k = 1; k < pieces1.size(); ++k) {
        const QStringList lines = pieces1.at(k).split(kLf);
        if (lines.size() > 2 && lines.at(2).contains(QLatin1String("Arnold")))
            continue;
        addSection(cat, pieces1.at(k));
    }

    QString second = unixLines(info2);
    const int menu = second.indexOf(QLatin1String("* Menu:"));
    if (menu >= 0)
        second = second.left(menu);
    const QStringList pieces2 = second.split(QStringLiteral("File:"));
    // Without a menu every section is read; with one, the section the menu
    // belongs to is not a family.
    const int last = menu >= 0 ? int(pieces2.size()) - 1 : int(pieces2.size());
    for (int k = 1; k < last; ++k)
        addSection(cat, pieces2.at(k));
    return cat;
}

FsFamily fsFamily(const QString& name, const QString& catalogueShortName)
{
    auto is = [&](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
    if (is("Arrows") || is("Arrows X") || is("Arrows Y"))
        return {QStringLiteral("Arrows"), QString(name).remove(QLatin1Char(' ')).toLower()};
    if (is("Linedraw Fixed"))
        return {QStringLiteral("Line Draw"), QStringLiteral("linedraw")};
    const struct {
        const char* name;
        const char* shortName;
    } renamed[] = {{"Chap Borders", "chapbord"}, {"CombiNumerals", "combinum"}, {"Deanna Borders", "deannabd"},
                   {"Deanna Flowers", "deannafl"}, {"Picto", "picto"}, {"Road Signs", "roadsign"},
                   {"Sean Symbols", "seansym"}};
    for (const auto& r : renamed) {
        if (is(r.name))
            return {name, QLatin1String(r.shortName)};
    }
    const struct {
        const char* name;
        const char* folder;
    } moved[] = {{"Deanna Script", "Deanna Script \\& Swash"}, {"Delphian", "Delphian Open Titling"},
                 {"Egyptian", "Egyptian Text"}, {"LanstonBell", "Lanston Bell"}, {"OCR", "OCR B"}};
    for (const auto& m : moved) {
        if (is(m.name))
            return {QLatin1String(m.folder), catalogueShortName};
    }
    return {name, catalogueShortName};
}

QString fsCdFolderOnDisk(const QString& cdFolder)
{
    return QString(cdFolder).replace(QStringLiteral("\\&"), QStringLiteral("&"));
}

QStringList fsCopyCommands(const QString& work, const QString& support, const QString& cd, const QString& shortName,
                           const QString& catalogueShortName, const QString& code, bool symbol,
                           const QString& cdFolder)
{
    const QString sub = QStringLiteral("/fontsite/") + shortName;
    QStringList lines;
    lines << cpLine(work, shellQuote(support + QStringLiteral("/dvips")) + QStringLiteral("/*.enc"),
                    QStringLiteral("fonts/enc/dvips/fontsite"));
    lines << cpLine(work, shellQuote(support + QStringLiteral("/fonts/tfm") + sub) + QStringLiteral("/*.tfm"),
                    QStringLiteral("fonts/tfm") + sub);
    if (!symbol) {
        lines << cpLine(work, shellQuote(support + QStringLiteral("/fonts/vf") + sub) + QStringLiteral("/*.vf"),
                        QStringLiteral("fonts/vf") + sub);
        // The package goes with the family's .fd files.
        lines << cpLine(work,
                        shellQuote(support + QStringLiteral("/tex/latex/fontsite/") + catalogueShortName +
                                   QStringLiteral(".sty")),
                        QStringLiteral("tex/latex") + sub);
    }
    lines << cpLine(work,
                    shellQuote(support + QStringLiteral("/tex/latex/fontsite")) + QStringLiteral("/*5") + code +
                        QStringLiteral("*.fd"),
                    QStringLiteral("tex/latex") + sub);
    const QString folder = fsCdFolderOnDisk(cdFolder);
    // Outline files are named in capitals on the CD: *.pfb matches *.PFB too.
    auto outlines = [&](const QString& f) {
        return QStringLiteral("shopt -s nocaseglob && ") +
               cpLine(work, shellQuote(cd + QLatin1Char('/') + f) + QStringLiteral("/*.pfb"),
                      QStringLiteral("fonts/type1") + sub);
    };
    lines << outlines(folder);
    if (folder == QLatin1String("OCR B"))
        lines << outlines(QStringLiteral("OCR A"));
    return lines;
}

QString fsFamilyMap(const QString& masterMap, const QString& code)
{
    const QString key = QStringLiteral("5") + code;
    QString out;
    for (const QString& line : unixLines(masterMap).split(kLf)) {
        if (line.left(3).compare(key, Qt::CaseInsensitive) == 0)
            out += line + kLf;
    }
    return out;
}

QString fsRmOption(const QString& properties)
{
    const int p = properties.indexOf(QLatin1String("\\usepackage["));
    if (p < 0)
        return {};
    const int q = properties.indexOf(QLatin1Char(']'), p);
    if (q < 0)
        return {};
    for (const QString& option : properties.mid(p + 12, q - p - 12).split(QLatin1Char(','))) {
        if (option.trimmed() == QLatin1String("rm"))
            return QStringLiteral("[rm]");
    }
    return {};
}

bool fsIsSymbolFamily(const QString& properties)
{
    return properties.contains(QLatin1String("pifont"));
}

QString fsSampleTextDefinitions()
{
    return QString::fromUtf8(kZuvText);
}

namespace {
QString testHead()
{
    return QStringLiteral("\\documentclass{article}\n\\usepackage{lmodern}\n\\usepackage{fonttable}\n"
                          "\\pagestyle{empty}\n\\parindent0pt\n");
}
} // namespace

QString fsSymbolTest(const QString& title, const QString& code, const QString& tfm)
{
    return testHead() + QStringLiteral("\\usepackage{pifont}\n\\begin{document}\n") +
           QStringLiteral("Font table for ") + title + QStringLiteral(" (family {\\tt 5") + code +
           QStringLiteral("}), tfm name {\\tt ") + tfm + QStringLiteral(".tfm}\n") + QStringLiteral("\\fonttable{") +
           tfm + QStringLiteral("}\n\\par\n") + QStringLiteral("Symbols may be accessed using, eg,  \\verb|\\Pisymbol{5") +
           code + QStringLiteral("}{65}|, which yields \\Pisymbol{5") + code + QStringLiteral("}{65}.") +
           QStringLiteral("\\end{document}\n");
}

QString fsTextTest(const QString& title, const QString& code, const QString& tfm, const QString& shortName,
                   const QString& option)
{
    QString t = testHead();
    t += QStringLiteral("\\usepackage") + option + QLatin1Char('{') + shortName + QStringLiteral("}\n");
    t += QStringLiteral("\\usepackage[TS1,T1]{fontenc}\n");
    // No package defines the sample texts; the test brings its own.
    t += fsSampleTextDefinitions();
    if (!t.endsWith(kLf))
        t += kLf;
    t += QStringLiteral("\\begin{document}\n");
    t += QStringLiteral("Font table and font sample for ") + title + QStringLiteral(" (family {\\tt 5") + code +
         QStringLiteral("}), tfm name {\\tt ") + tfm + QStringLiteral(".tfm}\n");
    t += QStringLiteral("\\fonttable{") + tfm + QStringLiteral("}\n\\newpage\n");
    t += QStringLiteral("\\morezuvtext\n\n\\capzuvtext\n\n\\zuvnames\n\n");
    t += QStringLiteral("\\par\\vspace{30pt} The following text should be set in italics, if available for this "
                        "typeface.\\par\\vspace{15pt}\n");
    t += QStringLiteral("\\emph{\\morezuvtext}\n\n\\emph{\\capzuvtext}\n\n\\emph{\\zuvnames}\n\n");
    t += QStringLiteral("\\end{document}\n");
    return t;
}

QString fsTestCommand(const QString& work, const QString& shortName)
{
    return QStringLiteral("cd ") + shellQuote(work) + QStringLiteral(" && ") +
           shellQuote(texProgram(QStringLiteral("latex"))) + QStringLiteral(" test && ") +
           shellQuote(texProgram(QStringLiteral("dvips"))) + QStringLiteral(" -u ") +
           shellQuote(QStringLiteral("+") + shortName + QStringLiteral(".map")) + QStringLiteral(" test && ") +
           shellQuote(systemProgram(QStringLiteral("ps2pdf"))) + QStringLiteral(" test.ps");
}

} // namespace qlk

#include "tracesty/TraceCore.h"

namespace qlk {

QString problemFiles;

namespace {
const Qt::CaseSensitivity CI = Qt::CaseInsensitive;

// The text before the first blank, or the whole text.
QString firstWord(const QString& text)
{
    const int blank = text.indexOf(QLatin1Char(' '));
    return blank < 0 ? text : text.left(blank);
}

QString withoutLf(QString text)
{
    text.remove(QLatin1Char('\n'));
    return text;
}

bool listHas(const QStringList& list, const QString& name)
{
    return list.contains(name, CI);
}

// The last piece of each "<...>" entry of `rest`, in order; a "<" without
// its ">" ends the collection.
void collectGlyphFiles(QString rest, QStringList& glyphfiles)
{
    for (;;) {
        const int a = rest.indexOf(QLatin1Char('<'));
        if (a < 0)
            return;
        const int b = rest.indexOf(QLatin1Char('>'), a + 1);
        if (b < 0)
            return;
        glyphfiles << rest.mid(a + 1, b - a - 1).section(QLatin1Char('/'), -1);
        rest = rest.mid(b + 1);
    }
}

QStringList splitLines(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t.split(QLatin1Char('\n'));
}
} // namespace

QStringList mathAlphaRows()
{
    return {QString(),
            QStringLiteral("Custom"),
            QStringLiteral("\\mathbb"),
            QStringLiteral("\\mathcal"),
            QStringLiteral("\\mathfrak"),
            QStringLiteral("\\mathit"),
            QStringLiteral("\\mathscr")};
}

QString withoutComment(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return line;
    for (int i = 0; i < trimmed.size(); ++i) {
        if (trimmed.at(i) == QLatin1Char('%') && (i == 0 || trimmed.at(i - 1) != QLatin1Char('\\')))
            return trimmed.left(i).trimmed();
    }
    return trimmed;
}

QString packageNames(const QString& commands, QStringList* names)
{
    names->clear();
    if (commands.isEmpty())
        return QStringLiteral("At minimum, a \\usepackage{<font sty file>} must be entered before pressing 'Go'");
    for (const QString& raw : splitLines(commands)) {
        const QString line = withoutComment(raw);
        if (line.left(11).compare(QLatin1String("\\usepackage"), CI) != 0)
            continue;
        const QString rest = line.mid(11);
        const int a = rest.indexOf(QLatin1Char('{'));
        if (a < 0)
            return QStringLiteral("Missing left brace after \\usepackage");
        const int b = rest.indexOf(QLatin1Char('}'), a + 1);
        if (b < 0)
            return QStringLiteral("Missing right brace after sty file");
        const QString name = rest.mid(a + 1, b - a - 1);
        if (name.isEmpty())
            return QStringLiteral("Empty sty file argument");
        *names << name;
    }
    return QString();
}

QString tempNameProblem(const QString& name)
{
    if (name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("The temp folder name ") + name +
               QStringLiteral(" must name a folder directly inside your Documents folder.");
    return QString();
}

QString fontencLine(int pass)
{
    switch (pass) {
    case 1:
        return QStringLiteral("\\usepackage[OT1]{fontenc}");
    case 2:
        return QStringLiteral("\\usepackage[T1]{fontenc}");
    case 3:
        return QStringLiteral("\\usepackage[LY1]{fontenc}");
    default:
        return QString();
    }
}

bool skipsPass(int pass, const QString& mainEncoding)
{
    if (pass < 1 || pass > 3)
        return false;
    return fontencLine(pass).contains(QLatin1Char('[') + mainEncoding + QLatin1Char(']'), CI);
}

QString trialDocument(int pass, const TrialChoices& choices)
{
    QStringList lines{QStringLiteral("\\documentclass{minimal}"), QStringLiteral("\\usepackage[debugshow]{tracefnt}")};
    QString commands = choices.commands;
    commands.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    commands.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lines << commands;
    if (pass <= 3)
        lines << fontencLine(pass);
    if (choices.mainFamily == 1)
        lines << QStringLiteral("\\let\\rmdefault\\sfdefault");
    else if (choices.mainFamily == 2)
        lines << QStringLiteral("\\let\\rmdefault\\ttdefault");
    lines << QStringLiteral("\\begin{document}");
    if (pass == 4) {
        lines << QLatin1Char('$') + choices.mathObject + QLatin1Char('$');
    } else {
        lines << QStringLiteral("A") << QStringLiteral("\\message{^^J}");
        QStringList shown{QStringLiteral("rmdefault"), QStringLiteral("sfdefault"), QStringLiteral("ttdefault"),
                          QStringLiteral("encodingdefault")};
        if (choices.trackShapes)
            shown << QStringLiteral("seriesdefault") << QStringLiteral("bfdefault") << QStringLiteral("itdefault")
                  << QStringLiteral("scdefault") << QStringLiteral("sldefault") << QStringLiteral("shapedefault");
        for (const QString& macro : shown)
            lines << QStringLiteral("\\message{xxxxxxxx--") + macro + QStringLiteral("=\\") + macro +
                         QStringLiteral(" ^^J}");
    }
    lines << QStringLiteral("\\end{document}");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void beginPass(TraceState& st)
{
    st.rmdefault.clear();
    st.sfdefault.clear();
    st.ttdefault.clear();
    st.encdefault.clear();
    st.glyphfiles.clear();
    st.pdftexerror.clear();
    st.stop = false;
    st.fatal = false;
    st.fatalEntry.clear();
    st.problemFile.clear();
    st.fdName.clear();
}

void scanMathObject(TraceState& st, const QString& logtext, const QString& command)
{
    // An undefined command stands right after TeX's complaint.
    const int undefinedAt = logtext.indexOf(QLatin1String("Undefined control sequence"), 0, CI);
    if (undefinedAt >= 0) {
        const int at = logtext.indexOf(command, undefinedAt, CI);
        if (at < 0 || at < undefinedAt + 60) {
            st.report << QStringLiteral("  Command unknown: ") + command;
            return;
        }
    }

    const int stack = logtext.indexOf(QLatin1String("stack positions"), 0, CI);
    if (stack >= 0) {
        const QString rest = withoutLf(logtext.mid(stack + 20));
        const int err = rest.indexOf(QLatin1String("!pdfTeX error:"), 0, CI);
        if (err >= 0) {
            st.pdftexerror = rest.mid(err + 15);
            const int end = st.pdftexerror.indexOf(QLatin1String("==>"));
            if (end >= 0)
                st.pdftexerror = st.pdftexerror.left(end);
        } else {
            collectGlyphFiles(rest, st.glyphfiles);
        }
    }

    // The math group that served the object, and its font.
    QString font;
    const int using_ = logtext.indexOf(QLatin1String("Using \\mathgroup ("), 0, CI);
    if (using_ < 0) {
        st.report << QStringLiteral("  No mathgroup found for this object");
    } else {
        const int a = logtext.indexOf(QLatin1Char('('), using_);
        const int b = logtext.indexOf(QLatin1Char(')'), a);
        if (b >= 0) {
            const QString key = QStringLiteral("mathgroup (") + logtext.mid(a + 1, b - a);
            const QStringList pieces = logtext.split(QStringLiteral(":=\n"));
            for (int j = 1; j < pieces.size(); ++j) {
                if (!pieces.at(j - 1).right(40).contains(key, CI))
                    continue;
                st.found = true;
                const QString& piece = pieces.at(j);
                const int f = piece.indexOf(QLatin1Char('\n'));
                // The font stands on the line after ":=", behind its indent.
                font = f >= 10 ? firstWord(piece.mid(9, f - 10).trimmed()) : QString();
                const QStringList parts = font.split(QLatin1Char('/'));
                st.mathfont = parts.size() >= 3 ? parts.at(0) + QLatin1Char('/') + parts.at(1) : QString();
                break;
            }
        }
    }

    if (st.found && !st.mathfont.isEmpty()) {
        if (logtext.contains(QLatin1Char('`') + font + QStringLiteral("' undefined"), CI)) {
            st.report << QStringLiteral("  Package calls for undefined font ") + font +
                             QStringLiteral("--default substituted.");
        } else {
            st.found = false;
            const QStringList pieces = logtext.split(QStringLiteral("External font `"), Qt::KeepEmptyParts, CI);
            for (int j = 1; j < pieces.size() && !st.found; ++j) {
                const QStringList lines = pieces.at(j).split(QLatin1Char('\n'));
                if (lines.size() >= 2 && lines.at(1).contains(st.mathfont, CI)) {
                    st.report << QStringLiteral("  TFM file ") + firstWord(lines.at(0));
                    st.found = true;
                }
            }
            if (!st.found)
                st.report << QStringLiteral("  TFM file not found");
        }
    }

    if (st.pdftexerror.isEmpty() && !st.glyphfiles.isEmpty()) {
        st.report << QStringLiteral("  Glyphs are taken from the file(s):");
        for (const QString& name : st.glyphfiles)
            st.report << QStringLiteral("    ") + name;
    } else {
        st.report << st.pdftexerror;
    }
}

void scanLogLines(TraceState& st, const QString& logtext)
{
    struct Key {
        const char* key;
        int from; // 1-based character where the value starts
        QString TraceState::*place;
    };
    static const Key keys[] = {
        {"xxxxxxxx--rmdefault=", 21, &TraceState::rmdefault},
        {"xxxxxxxx--sfdefault=", 21, &TraceState::sfdefault},
        {"xxxxxxxx--ttdefault=", 21, &TraceState::ttdefault},
        {"xxxxxxxx--encodingde", 27, &TraceState::encdefault},
        {"xxxxxxxx--seriesdefa", 25, &TraceState::seriesdefault},
        {"xxxxxxxx--bfdefault=", 21, &TraceState::bfdefault},
        {"xxxxxxxx--itdefault=", 21, &TraceState::itdefault},
        {"xxxxxxxx--scdefault=", 21, &TraceState::scdefault},
        {"xxxxxxxx--sldefault=", 21, &TraceState::sldefault},
        {"xxxxxxxx--shapedefau", 24, &TraceState::shapedefault},
    };
    st.fdlist.clear();
    for (const QString& line : logtext.split(QLatin1Char('\n'))) {
        if (line.left(5).compare(QLatin1String("File:"), CI) == 0) {
            const QStringList pieces = line.mid(6).split(QStringLiteral(".fd"), Qt::KeepEmptyParts, CI);
            if (pieces.size() >= 2)
                st.fdlist << pieces.first();
            continue;
        }
        if (line.left(4).compare(QLatin1String("xxxx"), CI) != 0)
            continue;
        const QString head = line.left(20);
        for (const Key& k : keys) {
            if (head.compare(QLatin1String(k.key), CI) == 0) {
                st.*(k.place) = firstWord(line.mid(k.from - 1));
                break;
            }
        }
    }
}

QString tfmOfFontLine(const QString& text)
{
    const int eq = text.indexOf(QLatin1Char('='));
    if (eq < 0)
        return QString();
    const QString name = firstWord(withoutLf(text.mid(eq + 1)).trimmed());
    return name.isEmpty() ? QString() : name + QStringLiteral(".tfm");
}

namespace {
void addProblem(TraceState& st, const QString& name)
{
    if (!name.isEmpty() && !listHas(st.problemList, name))
        st.problemList << name;
}

// The text of the log's first TeX error line ("! ..."), without the mark.
QString firstErrorLine(const QString& logtext)
{
    for (const QString& line : logtext.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("! ")))
            return line.mid(2).trimmed();
    }
    return QString();
}
} // namespace

bool diagnosePass(TraceState& st, int pass, const QString& logtext, int exitStatus, const FdLookup& fdInstalled)
{
    if (st.encdefault.isEmpty() && pass == 0) {
        st.report << QStringLiteral(
            "With no encoding specified, a serious error occurred while the sty file was being processed.");
        st.report << QStringLiteral("Most likely, a tfm file was not found.");
        st.stop = true;
        // TeX wraps long log lines, often inside the message itself.
        const QString joined = withoutLf(logtext);
        const int p = joined.indexOf(QLatin1String("Metric (TFM) file not found"), 0, CI);
        if (p >= 0) {
            const QString head = joined.left(p);
            const int f = head.lastIndexOf(QLatin1String("! Font"), -1, CI);
            if (f >= 0) {
                const QString nfss = head.mid(f + 7).section(QLatin1Char('='), 0, 0);
                st.report << QStringLiteral("Metric (TFM) file not found: ") + nfss;
                // The search needs the file's name, not the font's.
                addProblem(st, tfmOfFontLine(head.mid(f)));
                st.problem = true;
            }
        }
        return false;
    }
    if (pass == 0)
        st.mainEncoding = st.encdefault;

    const QString wanted = st.encdefault + st.rmdefault;
    for (const QString& fd : st.fdlist) {
        if (fd.compare(wanted, CI) == 0) {
            st.fdName = fd;
            break;
        }
    }
    if (st.fdName.isEmpty() && st.rmdefault.left(2).compare(QLatin1String("cm"), CI) == 0) {
        const QString name = st.encdefault.toLower() + st.rmdefault;
        if (fdInstalled && fdInstalled(name))
            st.fdName = name;
    }

    if (exitStatus != 0) {
        if (!logtext.contains(QLatin1String("==> Fatal error"), CI))
            return true;
        st.fatal = true;
        st.problem = true;
        const QString joined = withoutLf(logtext);
        const int metric = joined.indexOf(QLatin1String(": Metric (TFM) file not found."), 0, CI);
        const int pdftex = logtext.indexOf(QLatin1String("!pdfTeX error:"), 0, CI);
        if (metric >= 0) {
            const int f = joined.indexOf(QLatin1String("! Font"), qMax(0, metric - 200), CI);
            const int e = f < 0 ? -1 : joined.indexOf(QLatin1Char('='), f + 6);
            const QString name = e >= 0 && e < metric ? firstWord(joined.mid(e + 1, metric - e)) : QString();
            st.fatalEntry = QStringLiteral("  Fatal error! TFM file not found: ") + name + QStringLiteral(".tfm");
            if (!name.isEmpty())
                addProblem(st, name + QStringLiteral(".tfm"));
        } else if (pdftex >= 0) {
            const int q = logtext.indexOf(QLatin1String("==>"), pdftex + 1);
            QString message = q >= 0 ? logtext.mid(pdftex + 15, q - pdftex - 16) : logtext.mid(pdftex + 15);
            message = withoutLf(message);
            const int g = message.indexOf(QLatin1String("(file"), 0, CI);
            if (g >= 0) {
                const int c = message.indexOf(QLatin1Char(')'), g + 6);
                st.problemFile = (c >= 0 ? message.mid(g + 6, c - g - 6) : message.mid(g + 6)).trimmed();
            }
            addProblem(st, st.problemFile);
            st.fatalEntry = QStringLiteral("Fatal error! Message returned:\n");
            if (message.contains(QLatin1String("cannot open encoding"), CI) ||
                message.contains(QLatin1String("font file for reading"), CI))
                st.fatalEntry += message;
            else if (message.contains(QLatin1String("not found"), CI))
                st.fatalEntry += message + QStringLiteral("\nThere is either a missing .vf, or no font entry in pdftex.map.");
        } else {
            // Neither a metric file nor pdfTeX: say what TeX said.
            const QString error = firstErrorLine(logtext);
            st.fatalEntry = error.isEmpty() ? QStringLiteral("  Fatal error!") : QStringLiteral("  Fatal error! ") + error;
        }
        return true;
    }

    const int stack = logtext.indexOf(QLatin1String("stack positions"), 0, CI);
    if (stack >= 0) {
        const QString rest = withoutLf(logtext.mid(stack + 20));
        if (!rest.contains(QLatin1String("!pdfTeX error:"), CI))
            collectGlyphFiles(rest, st.glyphfiles);
    }
    return true;
}

void reportPass(TraceState& st, int pass, bool trackShapes)
{
    const QString fdFile = st.encdefault.toLower() + st.rmdefault + QStringLiteral(".fd");
    if (pass == 0) {
        st.report << QStringLiteral("Your font commands load ") + st.rmdefault + QStringLiteral(" as default Roman font,");
        st.mainRmDefault = st.rmdefault;
        st.mainEncDefault = st.encdefault;
        st.report << QStringLiteral("  ") + st.sfdefault + QStringLiteral(" as default Sans Serif font, and ") +
                         st.ttdefault + QStringLiteral(" as default Typewriter font.");
        st.report << QStringLiteral("  Default encoding is ") + st.encdefault;
        if (st.fdName.isEmpty())
            st.report << QStringLiteral("  Font definition file ") + fdFile +
                             QStringLiteral(" was not found: default fonts being substituted.");
        else
            st.report << QStringLiteral("  Font definition file ") + fdFile + QStringLiteral(" was found");
        if (trackShapes) {
            st.report << QStringLiteral("  series default=") + st.seriesdefault
                      << QStringLiteral("  boldface default=") + st.bfdefault
                      << QStringLiteral("  italic default=") + st.itdefault
                      << QStringLiteral("  smallcaps default=") + st.scdefault
                      << QStringLiteral("  slanted default=") + st.sldefault
                      << QStringLiteral("  shape default=") + st.shapedefault;
        }
    } else if (pass <= 3) {
        st.report << QStringLiteral("Checking for encoding: ") + st.encdefault;
        if (!st.fdName.isEmpty())
            st.report << QStringLiteral("  Font is available in encoding ") + st.encdefault + QStringLiteral(" (File ") +
                             st.fdName + QStringLiteral(".fd)");
        else
            st.report << QStringLiteral("  Font is not available in encoding ") + st.encdefault +
                             QStringLiteral(" (No file ") + fdFile + QStringLiteral(")");
    }
    if (st.fatal) {
        st.report << st.fatalEntry;
        if (!st.problemFile.isEmpty())
            st.report << QStringLiteral("  Problem file: ") + st.problemFile;
    } else if (pass <= 3) {
        st.report << QStringLiteral("  Characters in ") + st.encdefault + QLatin1Char('/') + st.rmdefault +
                         QStringLiteral(" resolve to glyphs from the font file(s): ");
        for (const QString& name : st.glyphfiles)
            st.report << QStringLiteral("    ") + name;
    }
    st.report << QString();
}

} // namespace qlk

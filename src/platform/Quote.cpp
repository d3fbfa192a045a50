#include "platform/Quote.h"

namespace qlk {

static bool isPlainShellChar(QChar c)
{
    if (c.unicode() > 127)
        return false;
    if (c.isLetterOrNumber())
        return true;
    switch (c.toLatin1()) {
    case '_': case '@': case '%': case '+': case '=': case ':':
    case ',': case '.': case '/': case '-':
        return true;
    default:
        return false;
    }
}

QString shellQuote(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("''");
    bool plain = true;
    for (QChar c : text) {
        if (!isPlainShellChar(c)) {
            plain = false;
            break;
        }
    }
    if (plain)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("'"), QLatin1String("'\\''"));
    // A TAB is written as $'\t': the root scripts split their command lines
    // at TABs, and a literal one inside the quotes would cut a path in two.
    quoted.replace(QLatin1String("\t"), QLatin1String("'$'\\t''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString shellJoin(const QStringList& words)
{
    QStringList out;
    out.reserve(words.size());
    for (const QString& w : words)
        out << shellQuote(w);
    return out.join(QLatin1Char(' '));
}

} // namespace qlk

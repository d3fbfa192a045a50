#include "type1/FontinstPackage.h"

#include <QFile>
#include <QStringList>

namespace qlk {

bool spellPrefix(const QString& prefix, QString* spelled)
{
    static const char* const words[] = {"zero", "one", "two", "three", "four",
                                        "five", "six", "seven", "eight", "nine"};
    QString out;
    for (const QChar c : prefix.toLower()) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            out += c;
        else if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            out += QLatin1String(words[c.unicode() - '0']);
        else
            return false;
    }
    if (spelled)
        *spelled = out;
    return true;
}

ScaleHook makeScaleHook(const QString& prefix, const QString& spelled)
{
    ScaleHook h;
    h.hook = QStringLiteral("\\expandafter\\ifx\\csname ") + prefix + QStringLiteral("@scale\\endcsname\\relax\n") +
             QStringLiteral("\\let\\") + spelled + QStringLiteral("@@scale\\@empty\\else\\edef\\") + spelled +
             QStringLiteral("@@scale{s*[\\csname ") + prefix + QStringLiteral("@scale\\endcsname]}\\fi\n");
    h.sizePrefix = QStringLiteral(" \\") + spelled + QStringLiteral("@@scale ");
    return h;
}

QString styleFileText(const QString& family, const QString& prefix, const QString& fullName, int figureSets,
                      const QDate& date)
{
    const QString key = QStringLiteral("\\define@key{") + family + QStringLiteral(".sty}");
    const QString boolkey = QStringLiteral("\\define@boolkey{") + family + QStringLiteral(".sty}[sty@]");
    const QString lining = boolkey + QStringLiteral("{lining}[true]{\\ifsty@lining \\def\\sty@suffix{x}\\fi}%");
    QStringList lines{
        QStringLiteral("\\NeedsTeXFormat{LaTeX2e}"),
        QStringLiteral("\\ProvidesPackage{") + family + QStringLiteral("}[") + date.toString(QStringLiteral("yyyy/MM/dd")) +
            QStringLiteral(" v1 ") + fullName + QStringLiteral("]"),
        QStringLiteral("\\RequirePackage[T1]{fontenc}"),
        QStringLiteral("\\RequirePackage{textcomp}"),
        QStringLiteral("\\RequirePackage{xkeyval}%"),
        key + QStringLiteral("{scaled}[1.0]{%"),
        QStringLiteral("\\expandafter\\def\\csname ") + prefix + QStringLiteral("@scale\\endcsname {#1}}%"),
        key + QStringLiteral("{leading}[1.0]{%"),
        QStringLiteral("\\linespread{#1}}"),
        QStringLiteral("\\def\\sty@suffix{}"),
    };
    if (figureSets == 1) {
        lines << lining << QStringLiteral("\\def\\sty@suffix{x}");
    } else if (figureSets == 2) {
        lines << boolkey + QStringLiteral("{osf}[true]{\\ifsty@osf \\def\\sty@suffix{j}\\fi}%") << lining
              << QStringLiteral("\\def\\sty@suffix{j}");
    }
    lines << QStringLiteral("\\ExecuteOptionsX{scaled}%") << QStringLiteral("\\ProcessOptionsX\\relax%")
          << QStringLiteral("\\renewcommand*{\\rmdefault}{") + prefix + QStringLiteral("\\sty@suffix}")
          << QStringLiteral("\\endinput");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

FdRewrite rewriteFdText(const QString& text, const ScaleHook& hook, QString* out)
{
    static const QString declare = QStringLiteral("\\DeclareFontFamily");
    const QStringList pieces = text.split(declare);
    if (pieces.size() < 2)
        return FdRewrite::NoFamily;
    if (pieces.size() > 2)
        return FdRewrite::SeveralFamilies;
    if (text.contains(hook.hook)) {
        *out = text;
        return FdRewrite::OK;
    }
    QStringList parts = pieces.at(1).split(QLatin1Char('>'));
    for (int i = 1; i < parts.size(); ++i) {
        if (!parts.at(i).contains(QLatin1Char('/')))
            parts[i] = hook.sizePrefix + parts.at(i);
    }
    *out = pieces.at(0) + QLatin1Char('\n') + hook.hook + declare + parts.join(QLatin1Char('>')) + QLatin1Char('\n');
    return FdRewrite::OK;
}

FdRewrite rewriteFdFile(const QString& path, const ScaleHook& hook)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return FdRewrite::Failed;
    const QString text = QString::fromUtf8(in.readAll());
    in.close();
    QString out;
    const FdRewrite result = rewriteFdText(text, hook, &out);
    if (result == FdRewrite::OK && out != text) {
        QFile file(path);
        const QByteArray bytes = out.toUtf8();
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
            !file.flush())
            return FdRewrite::Failed;
    }
    return result;
}

} // namespace qlk

#include "opentype/common/Postflight.h"

#include "opentype/common/OtfTemplate.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "prefs/PrefsStore.h"
#include "platform/Quote.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace qlk {

namespace {
bool isEncodingName(const QString& field)
{
    static const QStringList known{"OT1", "T1", "TS1", "LY1", "OT2", "T2A", "T2B", "T2C", "TS3", "T3", "LGR", "OML", "OMS", "OMX", "QX", "T5", "L7X"};
    return indexNoCase(known, field) >= 0;
}
} // namespace

QStringList tfmEncodings(const QStringList& tfmNames, bool autoinstNames)
{
    QStringList encodings;
    for (QString name : tfmNames) {
        if (name.endsWith(QLatin1String(".tfm"), Qt::CaseInsensitive))
            name.chop(4);
        QString encoding;
        if (!autoinstNames) {
            encoding = name.section(QLatin1Char('-'), 0, 0);
        } else {
            for (const QString& field : name.split(QLatin1Char('-'))) {
                if (isEncodingName(field))
                    encoding = field;
            }
        }
        if (!encoding.isEmpty() && indexNoCase(encodings, encoding) < 0)
            encodings << encoding;
    }
    return encodings;
}

QStringList fontencOrder(const QStringList& encodings, const QString& textEncoding)
{
    QStringList order;
    for (const QString& encoding : encodings)
        order << encoding.toUpper();
    QString last = textEncoding.toUpper();
    if (last.isEmpty() || !order.contains(last)) {
        last.clear();
        for (const char* text : {"OT1", "LY1", "T1"}) {
            if (order.contains(QLatin1String(text)))
                last = QLatin1String(text);
        }
        for (int i = 0; last.isEmpty() && i < order.size(); ++i) {
            if (order.at(i) != QLatin1String("TS1"))
                last = order.at(i);
        }
    }
    if (order.removeAll(last) > 0)
        order << last;
    return order;
}

QStringList styOptions(const QString& styText)
{
    // The brace groups after a command: \DeclareOptionX{name}, \define@key{family}{name}.
    static const QRegularExpression declared(QStringLiteral(
        "\\\\(?:DeclareOptionX?\\s*\\{([^{}]*)\\}|define@key\\s*\\{[^{}]*\\}\\s*\\{([^{}]*)\\})"));
    static const QRegularExpression executed(QStringLiteral("\\\\ExecuteOptionsX?\\s*\\{([^{}]*)\\}"));
    QStringList defaults;
    for (auto it = executed.globalMatch(styText); it.hasNext();) {
        for (const QString& name : it.next().captured(1).split(QLatin1Char(',')))
            defaults << name.trimmed();
    }
    QStringList options;
    for (auto it = declared.globalMatch(styText); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString name = (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)).trimmed();
        if (name.isEmpty() || options.contains(name) || options.contains(name + QStringLiteral(" (default)")))
            continue;
        options << (defaults.contains(name) ? name + QStringLiteral(" (default)") : name);
    }
    return options;
}

QStringList otfinstOptions(bool hasOldstyle)
{
    if (hasOldstyle)
        return {QStringLiteral("scaled"), QStringLiteral("lining"), QStringLiteral("oldstyle (default)"),
                QStringLiteral("rm(default)"), QStringLiteral("sf"), QStringLiteral("tt")};
    return {QStringLiteral("scaled"), QStringLiteral("lining (default)"), QStringLiteral("rm(default)"),
            QStringLiteral("sf"), QStringLiteral("tt")};
}

QString textEncodingOf(bool ot1, bool t1, bool ly1)
{
    if (!ot1 && t1)
        return QStringLiteral("T1");
    if (!ot1 && ly1)
        return QStringLiteral("LY1");
    return QStringLiteral("OT1");
}

QStringList usageBlock(const UsageFacts& facts)
{
    QStringList block{QStringLiteral("%Available encodings: ") + facts.encodings.join(QLatin1Char(','))};
    if (!facts.options.isEmpty())
        block << QStringLiteral("%Available options: ") + facts.options.join(QStringLiteral(", "));
    if (facts.otfinstPackage)
        block << QStringLiteral("%Available text styles from nfssext-cfr: \\textln (lining style), \\textos (oldstyle "
                                "figures), \\textsw (italic swash), \\textsu (superior figures), \\textsi (inferior "
                                "figures)");
    block << (facts.otfinstPackage ? QStringLiteral("\\usepackage[rm]{") : QStringLiteral("\\usepackage{")) +
                 facts.shortname + QStringLiteral("}");
    QStringList usable;
    for (const QString& encoding : facts.encodings) {
        if (indexNoCase(facts.missing, encoding) < 0)
            usable << encoding;
    }
    block << QStringLiteral("\\usepackage[") + fontencOrder(usable, facts.textEncoding).join(QLatin1Char(',')) +
                 QStringLiteral("]{fontenc}%change so last entry is default encoding");
    block << QStringLiteral("%Copy last ") + QString::number(block.size()) +
                 QStringLiteral(" lines to your 'Latex font choices' file");
    return block;
}

QStringList encodingsWithoutDef(const QStringList& encodings)
{
    if (encodings.isEmpty())
        return {};
    QString names;
    for (const QString& encoding : encodings)
        names += QLatin1Char(' ') + shellQuote(encoding.toLower() + QStringLiteral("enc.def"));
    const QString listing = kpsewhichQuery(QStringLiteral("--") + names);
    // kpsewhich ends with 1 when a name is not found; any other failure
    // tells nothing, and every encoding stays.
    if (lastShell.errorCode != 0 && lastShell.errorCode != 1)
        return {};
    QStringList found;
    for (const QString& path : listing.split(QChar(lf), Qt::SkipEmptyParts))
        found << path.section(QLatin1Char('/'), -1).trimmed();
    QStringList missing;
    for (const QString& encoding : encodings) {
        if (indexNoCase(found, encoding.toLower() + QStringLiteral("enc.def")) < 0)
            missing << encoding;
    }
    return missing;
}

QString missingEncodingsNotice(const QStringList& missing)
{
    if (missing.isEmpty())
        return QString();
    QStringList defs;
    for (const QString& encoding : missing)
        defs << encoding.toLower() + QStringLiteral("enc.def");
    const bool one = missing.size() == 1;
    return QStringLiteral("Encoding") + (one ? QString() : QStringLiteral("s")) + QLatin1Char(' ') +
           missing.join(QStringLiteral(", ")) + (one ? QStringLiteral(" is") : QStringLiteral(" are")) +
           QStringLiteral(" not installed here (no ") + defs.join(QStringLiteral(", ")) +
           QStringLiteral("): the fonts are made, but LaTeX cannot select them until ") +
           (one ? QStringLiteral("it is") : QStringLiteral("they are")) +
           QStringLiteral(" installed, and the usage lines leave ") + (one ? QStringLiteral("it") : QStringLiteral("them")) +
           QStringLiteral(" out of the fontenc line.");
}

void noteMissingEncodings(const QStringList& encodings)
{
    const QString notice = missingEncodingsNotice(encodingsWithoutDef(encodings));
    if (notice.isEmpty())
        return;
    logLine(notice);
    msgBox(notice);
}

QString postflightTfmFolder(int method, const QString& vendor, const QString& shortname)
{
    const QString tail = QStringLiteral("/fonts/tfm/") + vendor + QLatin1Char('/') + shortname + QLatin1Char('/');
    if (method == 0)
        return texmfHome + tail;
    if (method == 1 || method == 2)
        return texmfLocal + tail;
    return tail;
}

void postflight(const QString& shortname, const QString& tfmFolder, bool autoinstStyle, const QString& textEncoding,
                const QString& styFile)
{
    const QString sty = shortname + QStringLiteral(".sty");
    logLine(QStringLiteral("Checking for other copies of ") + sty);
    QStringList copies;
    for (const QString& tree : {texmfLocal, texmfHome}) {
        logLine(QStringLiteral("Searching ") + tree + QStringLiteral(" for files named ") + sty);
        copies += findFilesByName({tree}, sty);
    }
    if (copies.size() >= 2) {
        logLine(QStringLiteral("Other copies of ") + sty + QStringLiteral(":"));
        logLine(copies.join(QChar(lf)));
        const QString text = QStringLiteral("One or more other copies of ") + sty +
                             QStringLiteral(" were found in areas searched by LaTeX. See log.");
        logLine(text);
        msgBox(text);
    }
    const QStringList tfms = QDir(tfmFolder).entryList({QStringLiteral("*.tfm")}, QDir::Files, QDir::Name);
    UsageFacts facts;
    facts.encodings = tfmEncodings(tfms, autoinstStyle);
    facts.textEncoding = textEncoding;
    facts.shortname = shortname;
    facts.otfinstPackage = !autoinstStyle;
    facts.missing = encodingsWithoutDef(facts.encodings);
    // Said outside the block, which is copied as it stands.
    for (const QString& encoding : facts.missing)
        logLine(QStringLiteral("Encoding ") + encoding.toUpper() + QStringLiteral(" is left out of the fontenc line: ") +
                encoding.toLower() + QStringLiteral("enc.def is not installed here."));
    if (autoinstStyle) {
        QFile sty(styFile);
        if (sty.open(QIODevice::ReadOnly))
            facts.options = styOptions(QString::fromUtf8(sty.readAll()));
    } else {
        // otfinst names the oldstyle figures' fonts "...-osf".
        facts.options = otfinstOptions(!tfms.filter(QStringLiteral("-osf"), Qt::CaseInsensitive).isEmpty());
    }
    for (const QString& line : usageBlock(facts))
        logLine(line);
}

} // namespace qlk

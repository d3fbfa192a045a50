#include "fontinfo/BerryName.h"

#include "fontinfo/FontNames.h"

#include <vector>

namespace qlk {

bool BerryNameInfo::contains(const QString& key) const
{
    return values_.contains(key.toLower());
}

QString BerryNameInfo::text(const QString& key, const QString& fallback) const
{
    const auto it = values_.constFind(key.toLower());
    return it == values_.constEnd() ? fallback : it->toString();
}

QStringList BerryNameInfo::list(const QString& key) const
{
    return values_.value(key.toLower()).toStringList();
}

void BerryNameInfo::set(const QString& key, const QString& value)
{
    const QString k = key.toLower();
    if (!names_.contains(k))
        names_.insert(k, key);
    values_.insert(k, value);
}

void BerryNameInfo::setList(const QString& key, const QStringList& value)
{
    const QString k = key.toLower();
    if (!names_.contains(k))
        names_.insert(k, key);
    values_.insert(k, value);
}

QStringList BerryNameInfo::keys() const
{
    return names_.values();
}

namespace {

// The letters that may follow each digit opening a two-character variant
// code (element d - 5 for the digit d).
const char* const kVariantLetters[] = {"aistwz", "abcdgikmstwxyz", "acdfkmtvyz",
                                       "234acefgimnqrtuvwxyz", "cdeiostuxz"};

int digitValue(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? c.unicode() - '0' : -1;
}

QString quoted(const QString& prefix, const QString& what)
{
    return prefix + what + QLatin1Char('\'');
}

} // namespace

void parseBerryName(const QString& rawName, BerryNameInfo& info)
{
    QString name = trimBlanks(QString(rawName).remove(QLatin1Char('_')));
    info.set(QStringLiteral("OK"), QStringLiteral("N"));
    info.set(QStringLiteral("orig"), name);
    if (isException(name)) {
        info.set(QStringLiteral("OK"), QStringLiteral("Y"));
        return;
    }

    // Design size: one trailing digit, or two when the first of them is 0-7.
    if (name.size() >= 2 && isDigit(name.right(1))) {
        QString size = name.right(1);
        name.chop(1);
        const int before = digitValue(name.at(name.size() - 1));
        if (before >= 0 && before < 8) {
            size.prepend(name.right(1));
            name.chop(1);
        }
        info.set(QStringLiteral("size"), size);
    }

    // Positions 1 to 4 always exist; past the end they read as blanks.
    name += QString(12, QLatin1Char(' '));

    const QString supplier = name.mid(0, 1);
    info.set(QStringLiteral("SupplierCode"), supplier);
    const bool isZ = supplier.compare(QLatin1String("z"), Qt::CaseInsensitive) == 0;
    const QString supplierText = isZ ? QStringLiteral("-") : supplierName(supplier);
    if (supplierText.isEmpty()) {
        info.set(QStringLiteral("ErrorMsg"), quoted(QStringLiteral("Unrecognized supplier ID: '"), supplier));
        return;
    }
    info.set(QStringLiteral("Supplier"), supplierText);

    const QString family = name.mid(1, 2);
    if (!isZ)
        info.set(QStringLiteral("FamilyCode"), family);
    QString familyText;
    if (supplier == QLatin1String("5"))
        familyText = typefaceName(supplier + family);
    else if (isZ)
        familyText = QStringLiteral("-");
    else
        familyText = typefaceName(family);
    if (familyText.isEmpty()) {
        info.set(QStringLiteral("Family"), QStringLiteral("Unrecognized"));
        info.set(QStringLiteral("Remarks"), quoted(QStringLiteral("Unrecognized Font Family ID: '"), family));
    } else {
        info.set(QStringLiteral("Family"), familyText);
    }

    const QString weight = name.mid(3, 1);
    info.set(QStringLiteral("WeightCode"), weight);
    const QString weightText = weightNames(weight);
    if (weightText.isEmpty()) {
        info.set(QStringLiteral("ErrorMsg"), quoted(QStringLiteral("Unrecognized Font Weight ID: '"), weight));
        return;
    }
    info.set(QStringLiteral("Weight"), weightText);

    const QString rest = trimBlanks(name.mid(4));
    if (rest.isEmpty()) {
        info.set(QStringLiteral("OK"), QStringLiteral("Y"));
        return;
    }

    // The encoding tail begins at the last digit 5-9.
    std::vector<int> digits(rest.size());
    int tailStart = -1;
    for (int i = 0; i < rest.size(); ++i) {
        digits[i] = digitValue(rest.at(i));
        if (digits[i] >= 5)
            tailStart = i;
    }
    const QString variants = tailStart < 0 ? rest : rest.left(tailStart);
    const QString tail = tailStart < 0 ? QString() : rest.mid(tailStart);
    info.set(QStringLiteral("vlist"), variants);

    if (!tail.isEmpty()) {
        if (tail.size() == 1) {
            info.set(QStringLiteral("ErrorMsg"),
                     QStringLiteral("Digit ") + tail + QStringLiteral(" at end of name not understood"));
            return;
        }
        info.set(QStringLiteral("Encoding"), tail.left(2));
        if (tail.size() > 2)
            info.set(QStringLiteral("endvalues"), tail.mid(3));
    }
    if (variants.isEmpty()) {
        info.set(QStringLiteral("OK"), QStringLiteral("Y"));
        return;
    }

    QStringList codes;
    for (int i = 0; i < variants.size();) {
        const int d = digits[i];
        if (d >= 5) {
            const QString code = variants.mid(i, 2);
            const QString allowed = QString::fromLatin1(kVariantLetters[d - 5]);
            if (code.size() < 2 || !allowed.contains(code.at(1), Qt::CaseInsensitive)) {
                info.set(QStringLiteral("ErrorMsg"), quoted(QStringLiteral("UnknownVariant: '"), code));
                return;
            }
            codes << code;
            i += 2;
        } else {
            codes << variants.mid(i, 1);
            ++i;
        }
    }
    QStringList names;
    for (const QString& code : codes)
        names << variantNames(code);
    info.setList(QStringLiteral("vr"), codes);
    info.setList(QStringLiteral("vrv"), names);
    info.set(QStringLiteral("OK"), QStringLiteral("Y"));
}

} // namespace qlk

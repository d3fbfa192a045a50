#pragma once
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace qlk {

// What parseBerryName found out about a name. Keys are compared without
// regard to letter case; values are texts, except "vr" and "vrv", which are
// lists. A key no step set is absent.
//   "OK" "Y"/"N", "orig", "size", "SupplierCode", "Supplier", "FamilyCode",
//   "Family", "Remarks", "WeightCode", "Weight", "vlist", "Encoding",
//   "endvalues", "vr", "vrv", "ErrorMsg"
class BerryNameInfo {
public:
    bool contains(const QString& key) const;
    // The text under `key`, or `fallback` when the key is absent.
    QString text(const QString& key, const QString& fallback = QString()) const;
    QStringList list(const QString& key) const;
    void set(const QString& key, const QString& value);
    void setList(const QString& key, const QStringList& value);
    // The keys as they were first written.
    QStringList keys() const;
    int size() const { return values_.size(); }

private:
    QMap<QString, QVariant> values_; // by lower-case key
    QMap<QString, QString> names_;   // lower-case key -> key as written
};

// Decodes a font name in the Berry scheme (supplier, typeface, weight,
// variants, encoding, design size) into `info`, through the font-name
// database and Exceptions.txt. "OK" is "Y" on success or for a listed
// exception; otherwise "N" with the reason in "ErrorMsg". Shows nothing.
void parseBerryName(const QString& name, BerryNameInfo& info);

} // namespace qlk

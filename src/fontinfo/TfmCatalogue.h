#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct sqlite3;

namespace qlk {

// One name of the catalogue: a TFM file's name without ".tfm", and whether a
// virtual font (.vf) of that name is listed in any catalogued tree.
struct TfmEntry {
    QString name;
    bool vf = false;
    bool operator==(const TfmEntry& o) const { return name == o.name && vf == o.vf; }
};

// The in-memory table `tfmfiles` of the Examine TFM window, built from the
// ls-R files of the TeX trees.
class TfmCatalogue {
public:
    TfmCatalogue();
    ~TfmCatalogue();
    TfmCatalogue(const TfmCatalogue&) = delete;
    TfmCatalogue& operator=(const TfmCatalogue&) = delete;

    // Connects the in-memory database and creates the table; false with the
    // database's message when that failed (the catalogue then stays empty).
    bool open(QString* error);
    // Adds the TFM names of the given ls-R texts (UTF-8, as the files hold
    // them); a name counts as virtual when any of the texts lists a .vf of
    // that name. One message per text whose rows could not be stored.
    void build(const QList<QByteArray>& lsRTexts, QStringList* errors);

    // The entries whose name matches a LIKE pattern ("%" any run, "_" one
    // character, ASCII letter case ignored), ordered by name; no value (with
    // the message) when the query failed.
    std::optional<QList<TfmEntry>> filter(const QString& likePattern, QString* error) const;
    // Whether `name` is listed with a virtual font.
    bool isVirtual(const QString& name) const;

    sqlite3* db() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// The text of a tree's ls-R file as it stands (empty when it cannot be
// read); with `listWhenMissing`, a tree without one is listed in memory
// instead, as an ls-R file of it would be.
QByteArray catalogueText(const QString& tree, bool listWhenMissing);

// The file names an ls-R text lists that end in ".tfm" and in ".vf",
// without it, each in order: views into the text.
struct LsRFontNames {
    QList<QByteArrayView> tfm;
    QList<QByteArrayView> vf;
};
LsRFontNames lsRFontNames(QByteArrayView lsRText);

// The LIKE pattern for what was typed into the filter: blanks trimmed, a "*"
// appended when there is none, every "*" made "%". No value when the filter
// has more than two "*" or one that stands neither first nor last.
std::optional<QString> tfmFilterPattern(const QString& typed);

} // namespace qlk

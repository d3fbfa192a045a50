#pragma once
#include <QDate>
#include <QString>

namespace qlk {

// The package files of a fontinst family: the style file and the scale
// hook every .fd file gets, so that the style file's "scaled" option
// reaches every font of the family.

// The prefix with each digit written as a word ("ad2" -> "adtwo"), for use
// in control words. False for a prefix holding anything but a-z and 0-9
// (after lower-casing): such characters would break the control word in
// every .fd file.
bool spellPrefix(const QString& prefix, QString* spelled);

// The scale hook (two LF-ended lines) and the size prefix put before every
// font name of an .fd file.
struct ScaleHook {
    QString hook;
    QString sizePrefix;
};
ScaleHook makeScaleHook(const QString& prefix, const QString& spelled);

// The text of family + ".sty". figureSets 1 offers lining figures (suffix
// x), 2 oldstyle and lining (suffix j); other values none.
QString styleFileText(const QString& family, const QString& prefix, const QString& fullName, int figureSets,
                      const QDate& date);

// Failed: the file could not be read or written.
enum class FdRewrite { OK, NoFamily, SeveralFamilies, Failed };
// One .fd text with the hook inserted before its \DeclareFontFamily and the
// size prefix after every ">" whose part holds no "/". A text that already
// holds the hook is left as it is (a second Make on the same folder).
FdRewrite rewriteFdText(const QString& text, const ScaleHook& hook, QString* out);
// The same on a file, rewritten in place only on OK.
FdRewrite rewriteFdFile(const QString& path, const ScaleHook& hook);

} // namespace qlk

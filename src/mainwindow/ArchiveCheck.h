#pragma once
#include <QString>
#include <QStringList>
#include <QPair>

#include <functional>

namespace qlk {

// Archives dropped on the Install tab: which kind a file is, whether its
// entries all stay inside the folder it is unpacked in, and the line that
// unpacks it.

enum class ArchiveKind { None, Zip, Tgz };
// By the name's last four characters, ".zip" or ".tgz", letter case ignored.
ArchiveKind archiveKindOf(const QString& fileName);

// One entry as the archive lists it: its name and its type letter from the
// long listing ('-' file, 'd' folder, 'l' link, 'h' hard link, '?' unknown).
struct ArchiveEntry {
    QString name;
    QChar type;
    qint64 size = 0; // uncompressed bytes, as the listing gives them
    // The name holds a control character (a line break, say), which the
    // listing shows escaped: the file unpacked would not be the one listed.
    bool controlInName = false;
};

// Whether a name as the listing shows it stands for one with a control
// character: unzip writes them as "^" and a letter ("^J"), tar as a
// backslash escape ("\n", "\001").
bool listedWithControlChar(const QString& listedName, ArchiveKind kind);

// The entries that would land outside the folder they are unpacked in, or
// are not plain files or folders: absolute names, ".." as a path step
// ("/" or "\" separated), links of either kind, devices, names with a
// control character. Each as
// "name" with the reason after it.
QStringList unsafeEntries(const QList<ArchiveEntry>& entries);

// What listing an archive found.
struct ArchiveListing {
    bool ok = false;             // the archive could be read
    QList<ArchiveEntry> entries;
    QString error;               // why it could not be read
};
// Lists the archive with the tools that unpack it (unzip -Z, tar -tv).
ArchiveListing listArchive(const QString& archive, ArchiveKind kind);
// The uncompressed bytes of all entries as the listing gives them, added
// without overflow (the largest qint64 when they pass it).
qint64 unpackedSize(const QList<ArchiveEntry>& entries);
// The names that more than one entry unpacks to (folders excepted): only
// the last copy would be kept, silently.
QStringList duplicateEntries(const QList<ArchiveEntry>& entries);

// The most an unpacked font package may take (1 GiB): the largest font
// packages are a few hundred MB; anything beyond is refused unread.
extern const qint64 kMaxUnpackedBytes;
// The limit in force: kMaxUnpackedBytes unless a test set a smaller one
// (0 restores it).
qint64 maxUnpackedBytes();
void setMaxUnpackedBytesForTesting(qint64 bytes);
// Why `bytes` may not be unpacked into `folder`: beyond the limit, or more
// than the free space of the file system that holds `folder` (or its
// nearest existing parent). The empty text when it fits.
QString spaceProblem(qint64 bytes, const QString& folder);
// Bytes as a person reads them: "512 bytes", "3.4 MB", "16.0 GB".
QString byteText(qint64 bytes);
// Two sizes that differ, as byteText gives them, or in whole bytes when
// those would read the same ("6718 bytes" and "6700 bytes", not "6.7 KB"
// twice).
QPair<QString, QString> byteTexts(qint64 first, qint64 second);
// Total bytes of the plain files below `folder`, links not followed.
qint64 folderBytes(const QString& folder);
// The free bytes for `folder`; tests may answer instead of the file system.
qint64 freeBytes(const QString& folder);
void setFreeBytesForTesting(std::function<qint64(const QString&)> answer);

// The line that unpacks `archive` into `folder`, no file growing beyond the
// limit (prlimit --fsize); the unpack's own exit status is the line's. The
// unpacking program is the process the line starts (exec), so that it can
// be tied to the program's life.
QString unpackCommand(const QString& archive, ArchiveKind kind, const QString& folder);
// The line that prints how many bytes the entries of `archive` hold when
// unpacked, counting no further than `atMost`; nothing is written.
QString unpackedBytesCommand(const QString& archive, ArchiveKind kind, qint64 atMost);

struct UnpackResult {
    bool ok = false;
    QString refusal; // why nothing was unpacked (a sentence), the sizes named
    QString failure; // the unpack's exit status, "timed out" or another reason, when it ran and failed
};
// Unpacks an archive whose listing was checked (its entries stay inside,
// `listedBytes` their sizes added up) into `folder`. The entries are first
// counted as they stream, without writing: beyond the limit, different
// from `listedBytes`, or beyond the free space of `folder`, nothing is
// unpacked. Then it is unpacked into a fresh hidden folder inside `folder`
// (kUnpackFolderPrefix, locked by this program while it works there) and
// moved into place when whole; that folder goes in every case, and the
// count and the unpack end with the program: a kill leaves only the hidden
// folder, for clearAbandonedUnpacks. With
// `showReport`, a failed unpack shows its report as runShell does.
UnpackResult unpackWithinLimits(const QString& archive, ArchiveKind kind, const QString& folder,
                                qint64 listedBytes, bool showReport = false);

// The name of an unpack's hidden folder begins so.
extern const char* const kUnpackFolderPrefix;

// Removes the hidden unpack folders that a program ended mid-unpack left
// in the scratch folders ("tmp" and seven digits) of `documents`, where the
// Install tab, MinionPro and Minion2 unpack: in such a folder or in one of
// its folders. A folder that a running program holds is left alone. One
// line per folder, saying what became of it.
QStringList clearAbandonedUnpacks(const QString& documents);

} // namespace qlk

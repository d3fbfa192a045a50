#pragma once
#include <QString>
#include <QStringList>

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
};

// The entries that would land outside the folder they are unpacked in, or
// are not plain files or folders: absolute names, ".." as a path step
// ("/" or "\" separated), links of either kind, devices. Each as
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

// The line that unpacks `archive` into `folder`; the unpack's own exit
// status is the line's.
QString unpackCommand(const QString& archive, ArchiveKind kind, const QString& folder);

} // namespace qlk

#pragma once
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// "Find All Duplicates": names meaningful to TeX that stand in a higher
// TEXMF tree and again, under the same top folder, in a lower one.

// One folder of a file-name database: its path below the tree's root
// ("/fonts/tfm/public/cm", "/" for the root) and the names it lists.
struct LsRFolder {
    QString folder;
    QStringList entries;
};

// An ls-R text: the first line (the header) is dropped, then each folder
// line ("./fonts/tfm:") is followed by its entries up to an empty line.
// Debian's files start "./:" and ".:" with no empty line between; ".:" is
// then just an entry of the root.
QList<LsRFolder> parseLsR(const QString& text);
// What a fresh ls-R of `root` would list, read from the disk: every folder,
// root first, each followed by its subfolders' listings; hidden names are
// left out and linked folders not entered, as ls -R does.
QList<LsRFolder> listTree(const QString& root);
// A tree's listing: its ls-R when it has one, else listTree.
QList<LsRFolder> treeListing(const QString& root);

// The 25 extensions (no period) that are catalogued.
const QStringList& duplicateTypes();
// Whether an entry is catalogued: exactly one period, a catalogued extension.
bool isCataloguedName(const QString& name);
// Top folders whose files are never catalogued (doc, metafont, source).
bool isSkippedBranch(const QString& branch);

// What the search shows while it runs.
struct DuplicateView {
    std::function<void(const QString&)> status;     // the status line
    std::function<void(const QString&)> progress;   // the whole progress text
    std::function<void(const QString&)> reportName; // "Report will be saved in ..."
};

struct DuplicateResult {
    bool finished = false;   // the run reached its end and the report is complete
    bool closeWindow = false; // the database could not be set up
    QString reportFile;      // the report of this run, once created
};

// The whole run over TEXMFDIST (with Debian's unnamed distribution trees),
// TEXMFLOCAL, TEXMFHOME and TEXMFVAR; nothing in the trees is written.
// Failures are shown as messages.
DuplicateResult findDuplicates(const DuplicateView& view = {});

// A free report name in `folder`: "dups" + 1000..9999 + ".txt".
QString newReportPath(const QString& folder);

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// "Make TDS": what was dropped on the Install tab becomes a TDS tree in a
// new scratch folder. One dropped folder that is a tree is copied, one .zip
// or .tgz archive is unpacked (after its entries are checked), anything else
// is sorted as loose files into a tree placed by supplier and family.
struct MakeTdsRequest {
    QStringList dropped;   // full paths, in drop order
    QString supplierText;  // as typed
    QString familyText;
};

struct MakeTdsOutcome {
    bool ok = false;
    QString folder;          // this press's scratch folder (made before any test)
    bool notFontTDS = false; // the tree brings no map, metric, outline, .fd or .sty file
    QString status;          // the status line on success
};

// `checkTree` is the TDS check of a tree taken whole (folder or archive);
// false ends the job without a further message. Messages and the one
// question go through the dialog service.
MakeTdsOutcome makeTDS(const MakeTdsRequest& request, const std::function<bool(const QString& folder)>& checkTree);

} // namespace qlk

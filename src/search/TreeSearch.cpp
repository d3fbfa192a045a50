#include "search/TreeSearch.h"

namespace qlk {

QString findInTrees(const QString&) { return {}; }
QString findMetricFile(const QString&) { return {}; }
void searchMaps(const QString&, bool, bool) {}
QString grepSystemMaps(const QString&, int) { return {}; }
QString grepPersonalMaps(const QString&, int) { return {}; }
QString grepAllMaps(const QString&, int) { return {}; }
QStringList grepMasterMap(const QString&) { return {}; }

} // namespace qlk

#include "texenv/FinishInstall.h"

namespace qlk {

bool hasType1 = false;
bool hasMF = false;
bool hasTTF = false;
bool hasMaps = false;
QStringList tdsMaps;
QString tdsFolder;

void scanTDS() {}

bool finishInstall(int) { return true; }

bool enableMapsSystem(const QString&, bool) { return true; }

bool enableMapsUser(const QString&, bool) { return true; }

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The two lines every fontinst driver of the program begins with.
QString fontinstHeader();

// The family's expert level after `berryNames` were seen: at least 1 when a
// name holds "8x" (expert encoding), 2 when one holds "c8a" or "cj8a".
// Never lower than `level`.
int raiseExpertLevel(int level, const QStringList& berryNames);

// prefix + "-drv.tex": records the transformations and calls \latinfamily
// once, or once per expert variant.
QString familyDriverName(const QString& prefix);
QString familyDriverText(const QString& prefix, bool monowidth, int expertLevel);

// prefix + ".tex": reads the recorded transformations back and writes the
// dvips map, the pltotf script and a debugging dump.
QString utilityDriverName(const QString& prefix);
QString utilityDriverText(const QString& prefix);

} // namespace qlk

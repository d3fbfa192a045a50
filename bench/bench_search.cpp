// findInTrees over this machine's TeX trees: bench_search <pattern> and the
// trees TEXMFVAR TEXMFHOME TEXMFSYSVAR TEXMFSYSCONFIG TEXMFLOCAL TEXMFDIST,
// as the start-up scan finds them (bench/run.sh asks kpsewhich once).
#include "search/TreeSearch.h"
#include "texenv/TexEnv.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 8) {
        std::fprintf(stderr, "usage: bench_search <pattern> <var> <home> <sysvar> <sysconfig> <local> <dist>\n");
        return 2;
    }
    qlk::texmfVar = args.at(2);
    qlk::texmfHome = args.at(3);
    qlk::texmfSysVar = args.at(4);
    qlk::texmfSysConfig = args.at(5);
    qlk::texmfLocal = args.at(6);
    qlk::texmfDist = args.at(7);
    const QString found = qlk::findInTrees(args.at(1));
    std::printf("%s\n", qPrintable(found));
    return found.isEmpty() ? 1 : 0;
}

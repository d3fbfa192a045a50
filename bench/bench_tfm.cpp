// The catalogue of the Examine TFM window opened again and again in one
// process, as a user opening the window over and over: bench_tfm <count>
// <tree>... reads the trees' ls-R files and builds the catalogue <count>
// times, then prints the number of TFM names.
#include "fontinfo/TfmCatalogue.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool numeric = false;
    const int count = args.size() > 2 ? args.at(1).toInt(&numeric) : 0;
    if (!numeric || count < 1) {
        std::fprintf(stderr, "usage: bench_tfm <count> <tree>...\n");
        return 2;
    }
    qsizetype names = 0;
    for (int n = 0; n < count; ++n) {
        QList<QByteArray> texts;
        for (const QString& tree : args.mid(2))
            texts << qlk::catalogueText(tree, false);
        qlk::TfmCatalogue catalogue;
        QString error;
        QStringList errors;
        if (!catalogue.open(&error)) {
            std::fprintf(stderr, "bench_tfm: %s\n", qPrintable(error));
            return 1;
        }
        catalogue.build(texts, &errors);
        if (!errors.isEmpty()) {
            std::fprintf(stderr, "bench_tfm: %s\n", qPrintable(errors.join(QLatin1Char('\n'))));
            return 1;
        }
        if (n + 1 == count) {
            const auto all = catalogue.filter(QStringLiteral("%"), &error);
            names = all ? all->size() : -1;
        }
    }
    std::printf("%lld\n", static_cast<long long>(names));
    return names > 0 ? 0 : 1;
}

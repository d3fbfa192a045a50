#include "UninstallFixture.h"
#include "../mainwindow/InstallFixture.h"

#include "mainwindow/Window1.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "support/MenuFixture.h"
#include "support/WidgetInput.h"
#include "texenv/Init.h"
#include "texenv/MapCommands.h"
#include "texenv/TexEnv.h"
#include "uninstall/PackageSearch.h"
#include "uninstall/UninstallFontWin.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace qlk;
using namespace qlk::test;

namespace {

struct CloseWindows {
    ~CloseWindows()
    {
        // The main window's close is the program's quit: it is only hidden.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<Window1*>(w))
                w->hide();
            else
                w->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST(UninstallWindow, SearchesStepsThroughMatchesAndRemovesAfterConfirmation)
{
    UninstallWorld w;
    CloseWindows closer;
    for (const char* supplier : {"adobe", "urw35vf"})
        copyFromDist(QStringLiteral("fonts/tfm/%1/times").arg(QLatin1String(supplier)), texmfLocal);
    copyFromDist("fonts/tfm/urw35vf/times", texmfHome);
    const QString canary = writeAt(texmfHome + "/fonts/tfm/canary", "x");

    ASSERT_TRUE(chooseMenuItem("FileUninstallFontFamily"));
    UninstallFontWin* win = UninstallFontWin::instance();
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Font Uninstaller"));
    EXPECT_TRUE(win->CheckBox1->isChecked());
    EXPECT_FALSE(win->PushButton2->isEnabled());

    win->TextField1->setText(QStringLiteral(" times "));
    pressReturn(win->TextField1);
    EXPECT_EQ(win->TextField1->text(), QStringLiteral(" times "));
    EXPECT_TRUE(win->CheckBox2->isChecked());
    ASSERT_EQ(win->fnd.size(), 3);
    EXPECT_TRUE(win->TextArea1->toPlainText().startsWith("Found more than one match:\n" + texmfLocal));
    EXPECT_TRUE(win->PushButton3->isEnabled());

    const char* const shown[][2] = {{"TEXMFLOCAL", "adobe"}, {"TEXMFLOCAL", "urw35vf"}, {"TEXMFHOME", "urw35vf"},
                                    {"TEXMFLOCAL", "adobe"}};
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            win->PushButton3->click();
        EXPECT_EQ(win->TextField2->text(), QLatin1String(shown[i][0])) << i;
        EXPECT_EQ(win->TextField3->text(), QLatin1String(shown[i][1])) << i;
        EXPECT_EQ(win->TextField4->text(), QStringLiteral("times"));
        EXPECT_TRUE(win->PushButton2->isEnabled());
    }

    // The TEXMFHOME copy, after Yes to the confirmation, without the TDS copy.
    win->PushButton3->click();
    win->PushButton3->click();
    ASSERT_EQ(win->TextField2->text(), QStringLiteral("TEXMFHOME"));
    win->CheckBox1->setChecked(false);
    w.env.dialogs.answers << false;
    win->PushButton2->click(); // No: nothing happens
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/fonts/tfm/urw35vf/times"));
    ASSERT_EQ(w.env.dialogs.questions.size(), 1);
    EXPECT_TRUE(w.env.dialogs.questions[0].contains(texmfHome + "/fonts/tfm/urw35vf/times"));
    w.env.dialogs.answers << true;
    win->PushButton2->click();
    EXPECT_FALSE(QFileInfo::exists(texmfHome + "/fonts/tfm/urw35vf/times"));
    EXPECT_TRUE(QFileInfo::exists(canary));
    EXPECT_TRUE(QFileInfo::exists(texmfLocal + "/fonts/tfm/urw35vf/times"));
    EXPECT_TRUE(win->TextArea1->toPlainText().endsWith("\nUninstallation complete"));
    EXPECT_FALSE(win->PushButton2->isEnabled());

    // A new search empties what it does not set.
    win->TextField1->setText(QStringLiteral("qlknothing"));
    win->PushButton1->click();
    EXPECT_EQ(win->TextArea1->toPlainText(), QStringLiteral("No match in non-dist trees:"));
    EXPECT_TRUE(win->TextField2->text().isEmpty());
    EXPECT_TRUE(win->TextField3->text().isEmpty());
    EXPECT_TRUE(win->TextField4->text().isEmpty());
    EXPECT_FALSE(win->PushButton2->isEnabled());
    EXPECT_FALSE(win->PushButton3->isEnabled());
    win->PushButton3_Action(); // never acts on an empty list
}

TEST(UninstallWindow, AnEmptyMapIsOfferedAndDeletedAlone)
{
    UninstallWorld w;
    CloseWindows closer;
    const QString empty = writeAt(texmfHome + "/fonts/map/dvips/q/qlkempty.map", "% nothing here\n");
    const QString other = writeAt(texmfHome + "/fonts/map/dvips/q/other.map", "% nothing either\n");
    UninstallFontWin* win = UninstallFontWin::instance();
    win->show();
    w.env.dialogs.answers << true;
    win->TextField1->setText(QStringLiteral("qlkempty.map"));
    win->PushButton1->click();
    EXPECT_EQ(w.env.dialogs.questions, QStringList{"The map file contains no data. Delete it?"});
    EXPECT_FALSE(QFileInfo::exists(empty));
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_FALSE(win->PushButton2->isEnabled());
    EXPECT_EQ(win->TextField2->text(), QStringLiteral("TEXMFHOME"));
}

// --- round trip ---------------------------------------------------------------
// Each road's package as the road lays it out in TEXMFHOME, made from real
// fonts so that it typesets: removed with its TDS copy saved, then the copy
// installed again through the main window's Install tab.

namespace {

struct Road {
    const char* name;
    const char* supplier;
    const char* package;
    const char* stem;     // the font names' start
    const char* tfm;      // folders below the tree; "" when the road writes none
    const char* vf;
    const char* type1;
    const char* truetype;
    const char* enc;      // the package's own encodings
    const char* map;      // the map file; "" for a road that uses the fonts' own maps
    const char* latex;
    const char* afm;
    const char* doc;
    const char* sharedEnc; // an encoding of the road's vendor that other packages share
    bool styLoadsMap = false; // the .sty loads the map itself (\pdfmapfile)
};

const Road kRoads[] = {
    {"fontinst family", "urw", "qlkfi", "qfi", "fonts/tfm/urw/qlkfi", "fonts/vf/urw/qlkfi", "fonts/type1/urw/qlkfi", "",
     "fonts/enc/dvips/urw/qlkfi", "fonts/map/dvips/urw/qlkfi/qlkfi.map", "tex/latex/urw/qlkfi", "fonts/afm/urw/qlkfi",
     "doc/fonts/urw/qlkfi", ""},
    {"afm2tfm", "urw", "qlkat", "qat", "fonts/tfm/urw/qlkat", "", "fonts/type1/urw/qlkat", "", "",
     "fonts/map/dvips/urw/qlkat/qlkat.map", "tex/latex/urw/qlkat", "fonts/afm/urw/qlkat", "", ""},
    {"otfinst", "lcdftools", "qlkot", "qot", "fonts/tfm/lcdftools/qlkot", "fonts/vf/lcdftools/qlkot",
     "fonts/type1/lcdftools/qlkot", "", "fonts/enc/dvips/lcdftools/qlkot", "fonts/map/dvips/lcdftools/qlkot.map",
     "tex/latex/qlkot", "", "", ""},
    {"otfinst typed vendor", "gyre", "qlkov", "qov", "fonts/tfm/gyre/qlkov", "fonts/vf/gyre/qlkov",
     "fonts/type1/gyre/qlkov", "", "fonts/enc/dvips/gyre/qlkov", "fonts/map/dvips/gyre/qlkov.map", "tex/latex/qlkov", "",
     "", ""},
    {"autoinst OpenType", "public", "QlkAutoOt", "qao", "fonts/tfm/public/QlkAutoOt", "fonts/vf/public/QlkAutoOt",
     "fonts/type1/public/QlkAutoOt", "", "fonts/enc/dvips/QlkAutoOt", "fonts/map/dvips/QlkAutoOt/QlkAutoOt.map",
     "tex/latex/QlkAutoOt", "", "", ""},
    {"autoinst TrueType", "sourceforge", "QlkAutoTt", "qtt", "fonts/tfm/sourceforge/QlkAutoTt", "", "",
     "fonts/truetype/sourceforge/QlkAutoTt", "fonts/enc/pdftex/qlkautott", "fonts/map/pdftex/qlkautott/QlkAutoTt.map",
     "tex/latex/QlkAutoTt", "", "", ""},
    {"TrueType whose sty loads its map", "sourceforge", "QlkTtMap", "qtm", "fonts/tfm/sourceforge/QlkTtMap", "", "",
     "fonts/truetype/sourceforge/QlkTtMap", "fonts/enc/pdftex/qlkttmap", "fonts/map/pdftex/qlkttmap/QlkTtMap.map",
     "tex/latex/QlkTtMap", "", "", "", true},
    {"Add Math Alphabet", "urw", "qlkma", "qma", "fonts/tfm/urw/qlkma", "fonts/vf/urw/qlkma", "", "", "", "",
     "tex/latex/urw/qlkma", "", "", ""},
    {"MathTime", "pctex", "qlkmt", "qmt", "fonts/tfm/pctex/qlkmt", "fonts/vf/pctex/qlkmt", "", "", "", "",
     "tex/latex/pctex/qlkmt", "", "", ""},
    {"MinionPro", "adobe", "MinionPro", "qmp", "fonts/tfm/adobe/MinionPro", "fonts/vf/adobe/MinionPro",
     "fonts/type1/adobe/MinionPro", "", "fonts/enc/dvips/MinionPro", "fonts/map/dvips/MinionPro/MinionPro.map",
     "tex/latex/MinionPro", "", "doc/fonts/MinionPro", ""},
    {"Minion2Pro", "adobe", "minion2", "zmn", "fonts/tfm/adobe/minion2", "", "fonts/type1/adobe/minion2", "", "",
     "fonts/map/dvips/minion2/zmn.map", "tex/latex/minion2", "", "", ""},
    {"FontSite", "fontsite", "fspal", "qfs", "fonts/tfm/fontsite/fspal", "fonts/vf/fontsite/fspal",
     "fonts/type1/fontsite/fspal", "", "", "fonts/map/dvips/fontsite/fspal.map", "tex/latex/fontsite/fspal", "", "",
     "fonts/enc/dvips/fontsite/8r.enc"},
};

// Writes the road's package into `tree` under `package` and `supplier`
// (another package of the same layout when they differ from the row's),
// made from the Palatino `afm` (or DejaVu Serif for TrueType); returns what
// failed, empty when all went well.
QString placePackage(const Road& r, const QString& tree, const QString& work, const QString& supplier,
                     const QString& package, const QString& stem, const char* afmName)
{
    auto at = [&](const char* folder) {
        QString f = QString::fromLatin1(folder);
        if (f.isEmpty())
            return f;
        f.replace(QRegularExpression(QStringLiteral("(^|/)") + QLatin1String(r.supplier) + QStringLiteral("(/|$)")),
                  QStringLiteral("\\1") + supplier + QStringLiteral("\\2"));
        f.replace(QString::fromLatin1(r.package), package, Qt::CaseInsensitive);
        return tree + QLatin1Char('/') + f;
    };
    QDir().mkpath(work);
    const QString afm = test::texFile(QString::fromLatin1(afmName) + QStringLiteral(".afm"));
    const QString raw = QString::fromLatin1(afmName).replace(QStringLiteral("8a"), QStringLiteral("8r"));
    const QString cd = QStringLiteral("cd ") + shellQuote(work) + QStringLiteral(" && ");
    const QString enc = stem + QStringLiteral("-8r.enc");
    QFile::copy(test::texFile(QStringLiteral("8r.enc")), work + QLatin1Char('/') + enc);
    const bool ownMap = *r.map;
    const bool vf = *r.vf;
    QString font = vf ? stem + QStringLiteral("r8t") : stem + QStringLiteral("r8r");
    QString made;
    if (*r.truetype)
        made = run(cd + QStringLiteral("ttf2tfm /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf -T ") + enc + ' ' +
                   stem + QStringLiteral("r8r >/dev/null 2>&1"));
    else if (ownMap)
        made = run(cd + QStringLiteral("afm2tfm ") + shellQuote(afm) + QStringLiteral(" -T ") + enc +
                   (vf ? QStringLiteral(" -v ") + stem + QStringLiteral("r8t.vpl ") : QStringLiteral(" ")) + stem +
                   QStringLiteral("r8r >/dev/null") + (vf ? QStringLiteral(" && vptovf ") + stem + QStringLiteral("r8t.vpl >/dev/null") : QString()));
    else // virtual fonts over the distribution's own Palatino
        made = run(cd + QStringLiteral("afm2tfm ") + shellQuote(afm) + QStringLiteral(" -T 8r.enc -v ") + stem +
                   QStringLiteral("r8t.vpl ") + raw + QStringLiteral(" >/dev/null && vptovf ") + stem +
                   QStringLiteral("r8t.vpl >/dev/null"));
    if (made.startsWith(QLatin1String("FAILED")))
        return made;
    auto put = [&](const QString& folder, const QString& name, const QByteArray& bytes) {
        if (folder.isEmpty())
            return;
        test::writeAt(folder + QLatin1Char('/') + name, bytes);
    };
    auto bytesOf = [&](const QString& name) { return test::readBytes(work + QLatin1Char('/') + name); };
    if (ownMap || *r.truetype)
        put(at(r.tfm), stem + QStringLiteral("r8r.tfm"), bytesOf(stem + QStringLiteral("r8r.tfm")));
    if (vf) {
        put(at(r.tfm), stem + QStringLiteral("r8t.tfm"), bytesOf(stem + QStringLiteral("r8t.tfm")));
        put(at(r.vf), stem + QStringLiteral("r8t.vf"), bytesOf(stem + QStringLiteral("r8t.vf")));
    }
    put(at(r.type1), stem + QStringLiteral(".pfb"),
        test::readBytes(test::texFile(QString::fromLatin1(afmName) + QStringLiteral(".pfb"))));
    put(at(r.truetype), stem + QStringLiteral(".ttf"), test::readBytes("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"));
    put(at(r.afm), stem + QStringLiteral(".afm"), test::readBytes(afm));
    put(at(r.doc), QStringLiteral("README"), "documentation\n");
    put(at(r.enc), enc, bytesOf(enc));
    if (ownMap) {
        QString psName;
        const QString afmText = QString::fromLatin1(test::readBytes(afm));
        psName = afmText.section(QStringLiteral("FontName "), 1).section(QLatin1Char('\n'), 0, 0).trimmed();
        const QString encName = *r.enc || *r.truetype ? enc : QStringLiteral("8r.enc");
        const QString line = *r.truetype ? stem + QStringLiteral("r8r <") + enc + QStringLiteral(" <") + stem +
                                               QStringLiteral(".ttf\n")
                                         : stem + QStringLiteral("r8r ") + psName +
                                               QStringLiteral(" \" TeXBase1Encoding ReEncodeFont \" <") + encName +
                                               QStringLiteral(" <") + stem + QStringLiteral(".pfb\n");
        QString map = at(r.map);
        if (package != QLatin1String(r.package))
            map = QFileInfo(map).path() + QLatin1Char('/') + package + QStringLiteral(".map");
        test::writeAt(map, line.toLatin1());
    }
    // A TrueType package may load its map in its style file; autoinst's
    // does not, and relies on the enabled map as a Type 1 package does.
    const QString loadMap = r.styLoadsMap ? QStringLiteral("\\pdfmapfile{=") + package + QStringLiteral(".map}\n") : QString();
    put(at(r.latex), package + QStringLiteral(".sty"),
        (QStringLiteral("\\ProvidesPackage{") + package + QStringLiteral("}\n") + loadMap +
         QStringLiteral("\\newcommand\\qlkshow{{\\font\\qlkf=") + font + QStringLiteral(" \\qlkf Quillmark}}\n"))
            .toLatin1());
    return QString();
}

// Every file and folder below `root`, relative to it; folders end in "/".
QStringList entriesBelow(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        out << QDir(root).relativeFilePath(p) + (it.fileInfo().isDir() ? "/" : "");
    }
    out.sort();
    return out;
}

void PrintTo(const Road& r, std::ostream* os)
{
    *os << r.name;
}

class RoundTrip : public ::testing::TestWithParam<Road> {};

} // namespace

TEST_P(RoundTrip, RemovedWithItsTdsCopyAndInstalledAgainFromIt)
{
    const Road r = GetParam();
    test::TestEnv env(false);
    test::SearchTrees keep{env, machineVar("TEXMFDIST")};
    CloseWindows closer;
    test::RootRecorder root;
    setAppFolderForTesting(QLK_APP_DIR);
    setpref("method", qint32(0));
    init();
    ASSERT_EQ(env.takeQuits(), 0) << env.dialogs.transcript.join("\n").toStdString();
    const QString home = env.texmfHome();
    const QString work = env.root() + "/work";
    const bool trueType = *r.truetype;
    const QString psName = trueType ? "DejaVuSerif" : "URWPalladioL-Roma";

    // Canaries in every kind and driver folder the road uses, another
    // package of the same layout under another supplier, and what the
    // road's vendor shares: all there before the road's package.
    for (const char* f : {r.tfm, r.vf, r.type1, r.truetype, r.enc, r.map, r.latex, r.afm, r.doc}) {
        if (!*f)
            continue;
        const QStringList parts = QString::fromLatin1(f).split('/');
        const int keep = parts.first() == "tex" || parts.first() == "doc" ? 2 : (parts.at(1) == "enc" || parts.at(1) == "map" ? 3 : 2);
        test::writeAt(home + "/" + parts.mid(0, keep).join('/') + "/canary", "canary");
    }
    if (*r.sharedEnc)
        test::writeAt(home + "/" + r.sharedEnc, test::readBytes(test::texFile("8r.enc")));
    ASSERT_EQ(placePackage(r, home, work + "/beside", "qlkother", "qlkbeside", "qbs", "uplri8a"), QString());
    const QStringList before = entriesBelow(home);
    ASSERT_EQ(placePackage(r, home, work + "/road", r.supplier, r.package, r.stem, "uplr8a"), QString());
    QStringList installed;
    for (const QString& e : entriesBelow(home)) {
        if (!before.contains(e) && !e.endsWith('/'))
            installed << e;
    }
    ASSERT_FALSE(installed.isEmpty());

    // The maps enabled for the user, as the roads' finish does.
    mapRoot = env.texmfVar() + "/fonts/map/";
    hasHomeUpdmap = true;
    QStringList maps;
    if (*r.map) // the math roads use the maps of the fonts they build on
        maps << "qlkbeside.map" << QFileInfo(QString::fromLatin1(r.map)).fileName();
    for (const QString& m : maps)
        ASSERT_EQ(run(updmapUserProgram() + " --nohash --nomkmap --enable Map=" + m + " >/dev/null 2>&1").left(6), "") << m.toStdString();
    ASSERT_FALSE(run(updmapUserProgram() + " >/dev/null 2>&1").startsWith("FAILED"));
    ASSERT_TRUE(embeds(typeset(work + "/t1", r.package), psName)) << typeset(work + "/t1", r.package).toStdString();
    const QString besideFont = trueType ? "DejaVuSerif" : "URWPalladioL-Ital";
    ASSERT_TRUE(embeds(typeset(work + "/b1", "qlkbeside"), besideFont));

    // Uninstall Font Family, the TDS box ticked.
    UninstallFontWin* win = UninstallFontWin::instance();
    win->show();
    win->trees = uninstallTrees();
    win->TextField1->setText(QLatin1String(r.package));
    win->PushButton1->click();
    ASSERT_EQ(win->TextField3->text(), QLatin1String(r.supplier)) << win->TextArea1->toPlainText().toStdString();
    ASSERT_TRUE(win->PushButton2->isEnabled());
    ASSERT_TRUE(win->CheckBox1->isChecked());
    const QString save = env.root() + "/save";
    QDir().mkpath(save);
    env.dialogs.folders << save;
    env.dialogs.answers << true;
    env.dialogs.questions.clear();
    win->PushButton2->click();
    ASSERT_TRUE(win->TextArea1->toPlainText().endsWith("\nUninstallation complete\nThe removed files were saved in " +
                                                       save + "/TDS"))
        << win->TextArea1->toPlainText().toStdString() << env.dialogs.messages.join('\n').toStdString();
    // The question named every folder and file that went.
    ASSERT_EQ(env.dialogs.questions.size(), 1);
    for (const QString& f : installed) {
        const QString rel = f.section('/', 0, -2);
        bool named = false;
        for (const QString& line : env.dialogs.questions[0].split('\n'))
            named = named || (line.startsWith(home + "/") && pathInTree(home + "/" + f, line));
        EXPECT_TRUE(named) << f.toStdString() << " in " << rel.toStdString();
    }

    // Nothing of the package is left, nothing else went: the tree is as it
    // was before the road, emptied supplier folders gone, canaries there.
    EXPECT_EQ(entriesBelow(home), before);
    const QString cfg = QString::fromUtf8(test::readBytes(env.texmfConfig() + "/web2c/updmap.cfg"));
    const QString pdftexMap = QString::fromUtf8(test::readBytes(env.texmfVar() + "/fonts/map/pdftex/updmap/pdftex.map"));
    if (*r.map) {
        const QString name = QFileInfo(QString::fromLatin1(r.map)).fileName();
        EXPECT_TRUE(cfg.contains("#! Map " + name)) << cfg.toStdString();
        EXPECT_FALSE(pdftexMap.contains(QLatin1String(r.stem) + "r8r")) << r.stem;
    }
    EXPECT_TRUE(pdftexMap.contains("qbsr8r") || !*r.map);
    EXPECT_TRUE(embeds(typeset(work + "/b2", "qlkbeside"), besideFont));
    EXPECT_TRUE(typeset(work + "/t2", r.package).startsWith("FAILED"));

    // The copy holds every file, each in its place.
    EXPECT_EQ(test::filesUnder(save + "/TDS"), installed);

    // Installed again through the main window's Install tab.
    Window1* w = Window1::instance();
    w->Clearitems();
    w->dropped.clear();
    w->pathlist.clear();
    w->Listbox7->clear();
    w->Listbox7_DropObject({save + "/TDS"});
    env.dialogs.answers.clear();
    env.dialogs.messages.clear();
    w->PushButton8->click();
    ASSERT_TRUE(w->PushButton7->isEnabled()) << env.dialogs.transcript.join("\n").toStdString();
    w->RadioButton2[1]->setChecked(true);
    env.dialogs.answers = {true, true, true};
    w->PushButton7->click();
    EXPECT_EQ(w->TextField2->text(), "Install finished.") << env.dialogs.transcript.join("\n").toStdString();
    for (const QString& f : installed)
        EXPECT_TRUE(QFileInfo(home + "/" + f).isFile()) << f.toStdString();
    // A map the style file does not load is enabled again.
    if (*r.map && !r.styLoadsMap) {
        const QString name = QFileInfo(QString::fromLatin1(r.map)).fileName();
        const QString cfgAgain = QString::fromUtf8(test::readBytes(env.texmfConfig() + "/web2c/updmap.cfg"));
        EXPECT_FALSE(cfgAgain.contains("#! Map " + name)) << cfgAgain.toStdString();
    }
    const QString again = typeset(work + "/t3", r.package);
    EXPECT_TRUE(embeds(again, psName)) << again.toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryRoad, RoundTrip, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             QString n = QString::fromLatin1(info.param.name);
                             n.replace(QRegularExpression("[^A-Za-z0-9]"), "");
                             return n.toStdString();
                         });

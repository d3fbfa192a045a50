#include "Fixtures.h"

#include "fontinfo/PackageTest.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/UiHooks.h"
#include "search/TreeSearch.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

// A test's TeX world for the package test: its own personal trees, the
// machine's system trees for pdflatex (fonts, maps, LaTeX), and the tree
// search limited to the personal trees.
class PackageTestEnv : public ::testing::Test {
protected:
    PackageTestEnv() : env(false)
    {
        texmfHome = env.texmfHome();
        texmfVar = env.texmfVar();
        texmfConfig = env.texmfConfig();
        texmfLocal.clear();
        texmfDist.clear();
        texmfSysVar.clear();
        texmfSysConfig.clear();
        setDesktopRecorder([this](const QString& action, const QString& path) { opened << action + ' ' + path; });
        uiHooks().showCommandFailure = [this](const QString& r) { failures << r; };
    }
    QString fd(const QString& name, const QByteArray& text)
    {
        return env.writeFile(QStringLiteral("home/texmf/tex/latex/qlk/") + name, text);
    }
    test::TexGlobalsGuard guard;
    test::TestEnv env;
    QStringList opened, failures;
};

QByteArray shapes(const char* family)
{
    const QByteArray f(family);
    return "\\ProvidesFile{" + f + ".fd}\n\\DeclareFontFamily{T1}{" + f + "}{}\n"
           "\\DeclareFontShape{T1}{" + f + "}{m}{n}{\n   <-> ptmr8t\n}{}\n"
           "\\DeclareFontShape{T1}{" + f + "}{m}{it}{<-> s * [0.95] ptmri8t}{}\n"
           "\\DeclareFontShape{T1}{" + f + "}{m}{sl}{<-> ssub * " + f + "/m/it}{}\n"
           "\\DeclareFontShape{T1}{" + f + "}{b}{n}{<->ptmb8t}{}\n\\endinput\n";
}

QString shapeLines(const QString& enc, const QString& family, const char* s, const char* h)
{
    const QString sh = QStringLiteral("{\\usefont{%1}{%2}{%3}{%4}").arg(enc, family, QLatin1String(s), QLatin1String(h));
    return QStringLiteral("{\\tt %1/%2:} ").arg(QLatin1String(s), QLatin1String(h)) + sh +
           QStringLiteral("Sample of text in series {\\tt %1}, shape {\\tt %2.} [ff-fi-fl-ffi-ffl]}\\\\\n")
               .arg(QLatin1String(s), QLatin1String(h)) +
           QStringLiteral(" ") + sh + QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz}\\\\");
}

} // namespace

TEST_F(PackageTestEnv, BerryFamilyDocumentLineForLineTypesetAndOpened)
{
    fd(QStringLiteral("t1qlk.fd"), shapes("qlk"));
    fd(QStringLiteral("t1qlkx.fd"), shapes("qlkx"));
    fd(QStringLiteral("t1qlkj.fd"), shapes("qlkj"));
    fd(QStringLiteral("t1qlkr.fd"), shapes("qlkr")); // no variant of the table: no entry
    env.writeFile(QStringLiteral("home/texmf/fonts/map/pdftex/qlk/qlk.map"), "");

    // The variants line follows the order the search gives.
    QString variants;
    for (const QString& path : findInTrees(QStringLiteral("t1qlk*.fd")).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString suffix = QFileInfo(path).completeBaseName().mid(5);
        const QString desc = suffix == QLatin1String("j") ? QStringLiteral("oldstyle figures (\\verb|\\textos|)")
                                                          : QStringLiteral("lining figures (\\verb|\\textln|)");
        if (suffix != QLatin1String("r"))
            variants += QStringLiteral("{\\tt %1} --- %2: {\\usefont{T1}{qlk%1}{m}{n}1234567890}\\\\").arg(suffix, desc);
    }

    const QString folder = testPackage(QStringLiteral("qlk"), QString(), QStringLiteral("qlk"), 1, false);
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_EQ(QFileInfo(folder).absolutePath(), documentsFolder());
    const QString expected =
        QStringLiteral("\\documentclass[12pt]{article}\n"
                       "\\usepackage[margin=1in]{geometry}\n"
                       "\\usepackage[parfill]{parskip}\n"
                       "\\usepackage{lmodern}\n"
                       "\\pdfmapfile{+qlk.map}\n"
                       "\\usepackage[T1]{fontenc}\n"
                       "\\begin{document}\n"
                       "\\begin{center}\n"
                       "{\\large Features available in package {\\tt qlk}}\\end{center}\\vspace*{1cm}\n"
                       "Berry name of font family: qlk\\\\\n"
                       "{\\usefont{T1}{qlkx}{m}{n}ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghjklmnopqrstuvwxyz}\n"
                       "\n"
                       "\\textbf{Stylistic variants:} \\\\\n") +
        variants + QStringLiteral("\\par\n") +
        QStringLiteral("The following series/shapes are defined in the font definition file {\\tt T1qlkx.fd}.\\par\n") +
        shapeLines(QStringLiteral("T1"), QStringLiteral("qlkx"), "m", "n") + QLatin1Char('\n') +
        shapeLines(QStringLiteral("T1"), QStringLiteral("qlkx"), "m", "it") + QLatin1Char('\n') +
        shapeLines(QStringLiteral("T1"), QStringLiteral("qlkx"), "b", "n") + QLatin1Char('\n') +
        QStringLiteral("\\end{document}");
    EXPECT_EQ(test::fileLinesOf(folder + QStringLiteral("/test.tex")), expected.split(QLatin1Char('\n')));
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/test.pdf")).isFile());
    EXPECT_EQ(opened, QStringList{QStringLiteral("open ") + folder + QStringLiteral("/test.pdf")});
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
}

TEST_F(PackageTestEnv, AutoinstFamilyReadsItsUpperCaseFdFile)
{
    for (const char* suffix : {"-OsF", "-TOsF", "-LF", "-Sup"}) {
        const QString name = QStringLiteral("T1qlkb") + QLatin1String(suffix);
        fd(name + QStringLiteral(".fd"), shapes(name.mid(2).toUtf8().constData()));
    }
    env.writeFile(QStringLiteral("home/texmf/tex/latex/qlk/qlkb.sty"), "\\ProvidesPackage{qlkb}\n");
    const QString folder = testPackage(QStringLiteral("qlkb"), QStringLiteral("qlkb"), QString(), 1, true);
    ASSERT_FALSE(folder.isEmpty());
    const QStringList lines = test::fileLinesOf(folder + QStringLiteral("/test.tex"));
    EXPECT_TRUE(lines.contains(QStringLiteral("\\usepackage{qlkb}")));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("{\\usefont{T1}{qlkb-LF}{m}{n}ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghjklmnopqrstuvwxyz}")));
    EXPECT_TRUE(lines.contains(QStringLiteral(
        "The following series/shapes are defined in the font definition file {\\tt T1qlkb-LF.fd}.\\par")));
    const QStringList expectedShapes = shapeLines(QStringLiteral("T1"), QStringLiteral("qlkb-LF"), "m", "n").split('\n');
    EXPECT_TRUE(lines.contains(expectedShapes.at(0)));
    EXPECT_TRUE(lines.contains(expectedShapes.at(1)));
    EXPECT_FALSE(lines.contains(QStringLiteral("\\pdfmapfile{+.map}")));
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(opened, QStringList{QStringLiteral("open ") + folder + QStringLiteral("/test.pdf")});
}

TEST_F(PackageTestEnv, MissingDefaultVariantStillTypesetsTheDocument)
{
    fd(QStringLiteral("t1qlzw.fd"), shapes("qlzw"));
    fd(QStringLiteral("t1qlzc.fd"), shapes("qlzc"));
    // Preamble lines of the caller's own, separated by CR; the substitution
    // keeps pdflatex on outline fonts for the family that has no .fd file.
    const QString folder = testPackage(
        QStringLiteral("qlz"),
        QStringLiteral(".\\usepackage[T1]{fontenc}\r\\DeclareFontSubstitution{T1}{ptm}{m}{n}"), QString(), 1,
        false);
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_EQ(env.dialogs.messages, QStringList{QStringLiteral("Error trying to locate t1qlz.fd")});
    const QStringList lines = test::fileLinesOf(folder + QStringLiteral("/test.tex"));
    EXPECT_EQ(lines.mid(4, 3), (QStringList{QStringLiteral("\\usepackage[T1]{fontenc}"),
                                            QStringLiteral("\\DeclareFontSubstitution{T1}{ptm}{m}{n}"),
                                            QStringLiteral("\\usepackage[T1]{fontenc}")}));
    const int variants = lines.indexOf(QStringLiteral("\\textbf{Stylistic variants:} \\\\")) + 1;
    ASSERT_GT(variants, 0);
    ASSERT_LT(variants + 1, lines.size());
    const QString w = QStringLiteral("{\\tt w} --- swash italics (\\verb|\\textswash|): "
                                     "{\\usefont{T1}{qlzw}{m}{it}ABCDEFGHIJKLM}\\\\");
    const QString c = QStringLiteral("{\\tt c} --- small caps: \\\\");
    EXPECT_TRUE(lines.at(variants) == w + c + QStringLiteral("\\par") ||
                lines.at(variants) == c + w + QStringLiteral("\\par"))
        << lines.at(variants).toStdString();
    EXPECT_EQ(lines.at(variants + 1), QStringLiteral("\\end{document}"));
    EXPECT_EQ(opened, QStringList{QStringLiteral("open ") + folder + QStringLiteral("/test.pdf")});
}

TEST_F(PackageTestEnv, NothingFoundOrAnUnknownEncodingMakesNothing)
{
    EXPECT_EQ(testPackage(QStringLiteral("qlknone"), QString(), QString(), 1, false), QString());
    fd(QStringLiteral("t1qlk.fd"), shapes("qlk"));
    EXPECT_EQ(testPackage(QStringLiteral("qlk"), QString(), QString(), -1, false), QString());
    EXPECT_EQ(testPackage(QStringLiteral("qlk"), QString(), QString(), 3, false), QString());
    ASSERT_EQ(env.dialogs.messages.size(), 3);
    EXPECT_EQ(env.dialogs.messages.at(0), QStringLiteral("No .fd files installed for qlknone"));
    EXPECT_EQ(env.dialogs.messages.at(1),
              QStringLiteral("Cannot make a test document for qlk: its main encoding is not OT1, T1 or LY1."));
    EXPECT_TRUE(test::scratchFolders(documentsFolder()).isEmpty());
    EXPECT_TRUE(opened.isEmpty());
}

TEST(PackageTestParts, ListingSuffixesAndDefaultSuffix)
{
    const QList<FdListingEntry> listing = fdListing(
        QStringLiteral("/a/b/t1pmn.fd\n/a/b/t1pmnx.fd\n/c/T1pmnj.fd\nOT1pmnw.fd\n"), QStringLiteral("t1"),
        QStringLiteral("pmn"));
    ASSERT_EQ(listing.size(), 4);
    EXPECT_EQ(listing.at(0).folder, QStringLiteral("/a/b"));
    EXPECT_EQ(listing.at(0).suffix, QString());
    EXPECT_EQ(listing.at(1).suffix, QStringLiteral("x"));
    EXPECT_EQ(listing.at(2).suffix, QStringLiteral("j"));
    EXPECT_EQ(listing.at(3).suffix, QStringLiteral("nw")); // cut by position, not compared

    auto suffixes = [](const QStringList& s) {
        QString found;
        for (const QString& x : s)
            found += QStringLiteral("/f/t1abc") + x + QStringLiteral(".fd\n");
        return fdListing(found, QStringLiteral("t1"), QStringLiteral("abc"));
    };
    const struct {
        QStringList found;
        bool autoinst;
        const char* def;
    } cases[] = {
        {{"", "x", "j"}, false, "x"},
        {{"j", ""}, false, "j"},
        {{"w", "c"}, false, ""},
        {{"X"}, false, "X"},
        {{"-OsF", "-TOsF", "-LF", "-Sup"}, true, "-LF"},
        {{"-OsF", "-TOsF"}, true, "-TOsF"},
        {{"-tlf", "-LF"}, true, "-tlf"},
        {{"x"}, true, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defaultSuffix(suffixes(c.found), c.autoinst), QString::fromUtf8(c.def)) << c.found.join(',').toStdString();
}

TEST(PackageTestParts, PackageNameOfAPreambleBlock)
{
    const struct {
        const char* block;
        const char* name;
    } cases[] = {
        {"\\usepackage[T1]{fontenc}\r\\usepackage{mathpazo}", "mathpazo"},
        {"\\usepackage{mathpazo}\r\\usepackage{fontenc}", "mathpazo"},
        {"\\usepackage{a}\r\\usepackage{b}", "b"},
        // Options no longer put the whole line into the heading.
        {"\\usepackage[sc,slantedGreek]{mathpazo}", "mathpazo"},
        {"\\usepackage [osf] {mathpazo}\r\\usepackage[T1]{fontenc}", "mathpazo"},
        {"\\usepackage{fontenc}", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(packageNameOfBlock(QString::fromUtf8(c.block)), QString::fromUtf8(c.name)) << c.block;
}

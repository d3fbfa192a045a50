#include "fontinfo/TFMWindow.h"

#include "Print.h"
#include "app/App.h"
#include "app/MenuBar1.h"
#include "fontinfo/FontTable.h"
#include "fontinfo/ExamineList.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/UiHooks.h"
#include "support/MenuFixture.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

QString kpseVar(const char* name)
{
    return runProgram(QStringLiteral("/usr/bin/kpsewhich"), {QStringLiteral("-var-value=") + QLatin1String(name)})
        .output.trimmed();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList rowsOf(const ExamineList* list)
{
    QStringList out;
    for (int i = 0; i < list->rowCount(); ++i)
        out << list->cell(i, 0) + QLatin1Char('|') + list->cell(i, 1) + QLatin1Char('|') + list->cell(i, 2);
    return out;
}

QStringList popupEntries(const QComboBox* popup)
{
    QStringList out;
    for (int i = 0; i < popup->count(); ++i)
        out << popup->itemText(i);
    return out;
}

// The system trees stay visible (the real ptmr8t and the real master map);
// the personal trees and TEXMFLOCAL are the test's own.
class TfmWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        texmfDist = kpseVar("TEXMFDIST");
        texmfLocal = kpseVar("TEXMFLOCAL");
        texmfHome = kpseVar("TEXMFHOME");
        texmfVar = kpseVar("TEXMFVAR");
        const QString map = runProgram(QStringLiteral("/usr/bin/kpsewhich"), {QStringLiteral("pdftex.map")})
                                .output.trimmed();
        ASSERT_TRUE(map.endsWith(QLatin1String("pdftex/updmap/pdftex.map"))) << map.toStdString();
        mapRoot = map.left(map.size() - int(qstrlen("pdftex/updmap/pdftex.map")));
        masterMap = map;
        ASSERT_EQ(texmfHome, env.texmfHome());
        QDir().mkpath(texmfHome);
        QDir().mkpath(texmfVar);
        setDesktopRecorder([this](const QString& action, const QString& path) { opened << action + QLatin1Char(' ') + path; });
        uiHooks().showCommandFailure = [this](const QString& report) { failures << report; };
    }
    void TearDown() override
    {
        if (w)
            w->close();
        QApplication::processEvents();
    }
    TFMWindow* openWindow()
    {
        w = TFMWindow::instance();
        w->show();
        return w;
    }
    void filter(const QString& text)
    {
        w->TextField1->setText(text);
        w->PushButton2->click();
    }
    // The PostScript name the real master map gives `tfm`.
    QString mapPsName(const QString& tfm)
    {
        for (const QString& line : QString::fromUtf8(readAll(masterMap)).split(QLatin1Char('\n'))) {
            if (line.startsWith(tfm + QLatin1Char(' ')))
                return line.section(QLatin1Char(' '), 1, 1);
        }
        return QString();
    }

    test::TestEnv env{false};
    QString masterMap;
    QStringList opened;
    QStringList failures;
    QPointer<TFMWindow> w;
};

} // namespace

TEST_F(TfmWindowTest, OpensFromTheMenuAndTracesPtmr8tToItsType1Font)
{
    ASSERT_TRUE(test::chooseMenuItem("ViewTFM"));
    w = TFMWindow::instance();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Examine TFM"));
    EXPECT_EQ(w->PopupMenu1->count(), 0);
    EXPECT_FALSE(w->PushButton3->isEnabled());
    EXPECT_TRUE(QFileInfo(w->tmpf).isDir());
    EXPECT_TRUE(w->tmpf.startsWith(tempFolder() + QStringLiteral("/tmp")));

    filter(QStringLiteral("ptmr8t"));
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_GT(w->PopupMenu1->count(), 0);
    EXPECT_TRUE(popupEntries(w->PopupMenu1).contains(QStringLiteral("ptmr8t")));
    EXPECT_EQ(w->PopupMenu1->currentIndex(), 0);
    EXPECT_EQ(w->PopupMenu1->currentText(), QStringLiteral("ptmr8t"));
    EXPECT_TRUE(w->CheckBox1->isChecked());
    EXPECT_TRUE(w->PushButton3->isEnabled());
    EXPECT_EQ(w->PushButton3->text(), QStringLiteral("Show the VPL"));
    EXPECT_EQ(w->vfbase, QStringList{"ptmr8r"});
    const QString ps = mapPsName(QStringLiteral("ptmr8r"));
    ASSERT_FALSE(ps.isEmpty());
    EXPECT_EQ(rowsOf(w->Listbox1), QStringList{QStringLiteral("ptmr8r|") + ps + QStringLiteral("|utmr8a.pfb")});
    EXPECT_FALSE(w->nomapflag);
    EXPECT_TRUE(w->PushButton1->isEnabled());

    // The property list is the one the trace wrote.
    w->PushButton3->click();
    EXPECT_EQ(opened, QStringList{QStringLiteral("open ") + w->tmpf + QStringLiteral("/ptmr8t.vpl")});
    EXPECT_TRUE(readAll(w->tmpf + QStringLiteral("/ptmr8t.vpl")).contains("(FONTNAME ptmr8r)"));
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(TfmWindowTest, FilterRulesAndPlainFonts)
{
    openWindow();
    filter(QStringLiteral("cm*"));
    ASSERT_GT(w->PopupMenu1->count(), 0);
    const QStringList entries = popupEntries(w->PopupMenu1);
    for (const QString& e : entries)
        EXPECT_TRUE(e.startsWith(QLatin1String("cm"), Qt::CaseInsensitive)) << e.toStdString();
    const int cmr10 = int(entries.indexOf(QStringLiteral("cmr10")));
    ASSERT_GE(cmr10, 0);
    w->PopupMenu1->setCurrentIndex(cmr10);
    EXPECT_FALSE(w->CheckBox1->isChecked());
    EXPECT_EQ(w->PushButton3->text(), QStringLiteral("Show the PL"));
    EXPECT_EQ(rowsOf(w->Listbox1),
              QStringList{QStringLiteral("cmr10|") + mapPsName(QStringLiteral("cmr10")) + QStringLiteral("|cmr10.pfb")});
    w->PushButton3->click();
    EXPECT_EQ(opened, QStringList{QStringLiteral("open ") + w->tmpf + QStringLiteral("/cmr10.pl")});
    EXPECT_TRUE(readAll(w->tmpf + QStringLiteral("/cmr10.pl")).contains("(DESIGNSIZE R 10.0)"));

    // A "*" in the middle is refused and leaves everything empty.
    for (const char* bad : {"pt*r8t", "*a*b*"}) {
        env.dialogs.messages.clear();
        filter(QString::fromLatin1(bad));
        EXPECT_EQ(env.dialogs.messages,
                  QStringList{"You may use at most 2 * characters, and only at the beginning and end"});
        EXPECT_EQ(w->PopupMenu1->count(), 0);
        EXPECT_EQ(w->Listbox1->rowCount(), 0);
        EXPECT_FALSE(w->CheckBox1->isChecked());
        EXPECT_FALSE(w->PushButton3->isEnabled());
    }
    // No match: nothing selected, nothing traced.
    env.dialogs.messages.clear();
    filter(QStringLiteral("qlk-nothing-like-it"));
    EXPECT_EQ(w->PopupMenu1->count(), 0);
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
    // A quote is only part of the name looked for.
    filter(QStringLiteral("it's"));
    EXPECT_TRUE(env.dialogs.messages.isEmpty());
    EXPECT_EQ(w->PopupMenu1->count(), 0);
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(TfmWindowTest, PersonalTreesAndTheirLsRFiles)
{
    // TEXMFHOME has a font but no ls-R; TEXMFVAR has an ls-R of its own.
    const QString cmr = test::texFile(QStringLiteral("cmr10.tfm"));
    ASSERT_FALSE(cmr.isEmpty());
    const QString fontDir = texmfHome + QStringLiteral("/fonts/tfm/test");
    QDir().mkpath(fontDir);
    ASSERT_TRUE(QFile::copy(cmr, fontDir + QStringLiteral("/qlkhomefont.tfm")));
    const QByteArray varLsR("% ls-R -- made by mktexlsr\n./:\nls-R\n\n./fonts/tfm:\nqlkvarfont.tfm\n");
    QFile v(texmfVar + QStringLiteral("/ls-R"));
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    v.write(varLsR);
    v.close();
    ASSERT_FALSE(QFileInfo::exists(texmfLocal));

    openWindow();
    EXPECT_TRUE(w->treeexists[0]);
    EXPECT_FALSE(w->treeexists[1]);
    EXPECT_TRUE(w->treeexists[2]);
    EXPECT_TRUE(w->treeexists[3]);
    // TEXMFHOME is listed in memory: no ls-R appears there for a rescan to ask about.
    EXPECT_FALSE(QFileInfo::exists(texmfHome + QStringLiteral("/ls-R")));
    filter(QStringLiteral("qlk"));
    EXPECT_EQ(popupEntries(w->PopupMenu1), (QStringList{"qlkhomefont", "qlkvarfont"}));
    // In no map: "????" twice, and no font table.
    EXPECT_EQ(rowsOf(w->Listbox1), QStringList{"qlkhomefont|????|????"});
    EXPECT_TRUE(w->nomapflag);
    EXPECT_FALSE(w->PushButton1->isEnabled());
    // kpsewhich does not know the font listed only in TEXMFVAR's ls-R: the
    // listing stays as it was.
    w->PopupMenu1->setCurrentIndex(1);
    EXPECT_EQ(rowsOf(w->Listbox1), QStringList{"qlkhomefont|????|????"});

    const QString scratch = w->tmpf;
    w->close();
    QApplication::processEvents();
    EXPECT_FALSE(QFileInfo::exists(scratch));
    EXPECT_FALSE(QFileInfo::exists(texmfHome + QStringLiteral("/ls-R")));
    EXPECT_EQ(readAll(texmfVar + QStringLiteral("/ls-R")), varLsR);
}

TEST_F(TfmWindowTest, FontTableDocumentIsTypesetAndOpened)
{
    // pdflatex stands in as a recorder; the other programs are the real ones.
    const QString bin = env.root() + QStringLiteral("/bin");
    QDir().mkpath(bin);
    for (const char* p : {"kpsewhich", "vftovp", "tftopl"})
        QFile::link(QStringLiteral("/usr/bin/") + QLatin1String(p), bin + QLatin1Char('/') + QLatin1String(p));
    env.writeScript(QStringLiteral("bin/pdflatex"),
                    QStringLiteral("[ \"$1\" = test ] && [ -f test.tex ] && echo pdf > test.pdf\n"));
    setTexbinForTesting(bin);

    openWindow();
    filter(QStringLiteral("ptmr8t"));
    ASSERT_EQ(w->PopupMenu1->currentText(), QStringLiteral("ptmr8t"));
    w->PushButton1->click();
    EXPECT_EQ(QString::fromUtf8(readAll(w->tmpf + QStringLiteral("/test.tex"))),
              fontTablePreamble() + QStringLiteral("\\begin{document}\nFont table for: ptmr8t.tfm\n"
                                                   "\\fonttable{ptmr8t}\n\\end{document}\n"));
    EXPECT_TRUE(fontTablePreamble().startsWith(QLatin1String("\\documentclass{article}\n\\usepackage{lmodern}\n")));
    EXPECT_EQ(opened, QStringList{QStringLiteral("open ") + w->tmpf + QStringLiteral("/test.pdf")});
    EXPECT_TRUE(failures.isEmpty());

    // A failing run is reported and opens nothing.
    env.writeScript(QStringLiteral("bin/pdflatex"), QStringLiteral("echo '! Emergency stop.'; exit 1\n"));
    opened.clear();
    w->PrepareTest();
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.first().contains(QLatin1String("pdflatex"))) << failures.first().toStdString();
}

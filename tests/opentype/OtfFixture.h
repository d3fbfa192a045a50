#pragma once
#include "mainwindow/InstallFixture.h"
#include "opentype/common/PackageSwap.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "platform/UiHooks.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>

namespace qlk::test {

// A test's trees pointed at its TestEnv, the program's folder at the build's
// (where otfinst.py lies), and failed commands collected instead of shown.
class OtfFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        pointTreesAt(env);
        setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
        uiHooks().showCommandFailure = [this](const QString& report) { failures << report; };
    }
    void TearDown() override { QApplication::processEvents(); }

    // A folder (its name needs quoting) with copies of the named TeX Live fonts.
    QString fontFolder(const QStringList& fonts, const QString& name = QStringLiteral("my fonts"))
    {
        const QString folder = env.root() + QLatin1Char('/') + name;
        QDir().mkpath(folder);
        for (const QString& font : fonts) {
            const QString src = texFile(font);
            EXPECT_FALSE(src.isEmpty()) << font.toStdString();
            QFile::copy(src, folder + QLatin1Char('/') + font);
        }
        return folder;
    }

    // Whether a document in `package` and encoding `enc` typesets with the
    // installed trees (the enabled maps, no map loaded by the document) and
    // embeds `font`; the
    // output of pdflatex and pdffonts on failure.
    ::testing::AssertionResult typesets(const QString& package, const QString& font, const QByteArray& enc = "T1")
    {
        const QString doc = env.root() + "/doc-" + package;
        QDir().mkpath(doc);
        env.writeFile("doc-" + package + "/t.tex", "\\documentclass{article}\\usepackage[" + enc + "]{fontenc}\\usepackage{" +
                                                       package.toUtf8() +
                                                       "}\\begin{document}Hello 1234\\end{document}\n");
        const ProcessResult r = runBash("cd " + shellQuote(doc) +
                                        " && rm -f t.pdf && pdflatex -interaction=nonstopmode t && pdffonts t.pdf", 120000);
        if (r.exitCode == 0 && r.output.contains(QRegularExpression(font + " +Type 1 +\\S+ +yes")))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << r.output.right(3000).toStdString();
    }

    // Neither a message nor the status line says finished.
    void expectNothingFinished(const QLabel* status)
    {
        for (const QString& m : env.dialogs.messages)
            EXPECT_FALSE(m.contains("finished", Qt::CaseInsensitive)) << m.toStdString();
        EXPECT_FALSE(status->text().contains("Finished"));
    }
    // After a refused run: its message came last, Install, updmap and Test
    // are disabled, and nothing says finished.
    void expectRefusedRun(const QString& messageStart, const QList<QPushButton*>& buttons, const QLabel* status)
    {
        ASSERT_FALSE(env.dialogs.messages.isEmpty());
        EXPECT_TRUE(env.dialogs.messages.last().startsWith(messageStart)) << env.dialogs.messages.join('\n').toStdString();
        for (const QPushButton* b : buttons)
            EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
        expectNothingFinished(status);
    }
    // Runs `install` stopped after each step of the replacement, as a kill
    // there would stop it; each time updmap must stay disabled, nothing say
    // finished and `check` hold.
    void stopInstallAtEachStep(const std::function<void()>& install, const QPushButton* updmap, const QLabel* status,
                               const std::function<void()>& check)
    {
        for (const char* step : {"staged", "swapped"}) {
            SCOPED_TRACE(step);
            setSwapSeamForTesting([step](const QString& at) { return at != QLatin1String(step); });
            env.dialogs.messages.clear();
            install();
            setSwapSeamForTesting(nullptr);
            EXPECT_FALSE(updmap->isEnabled());
            expectNothingFinished(status);
            check();
        }
    }

    // The scan that follows an installation runs on the machine's system
    // trees; nothing here writes into them.
    TestEnv env{false};
    QStringList failures;
};

inline QString readText(const QString& path)
{
    return QString::fromUtf8(readBytes(path));
}

} // namespace qlk::test

#pragma once
#include "mainwindow/InstallFixture.h"
#include "platform/Paths.h"
#include "platform/UiHooks.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

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

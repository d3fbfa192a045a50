#pragma once
#include "fontinfo/ExamineList.h"
#include "mathalpha/MathAlphabetWin.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/UiHooks.h"
#include "support/MenuFixture.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace qlk::test {

// The math-alphabet window in a test's own HOME, Documents and trees, with
// the program's support files from the build.
class MathAlphaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
        texmfHome = env.texmfHome();
        texmfLocal = env.texmfLocal();
        QDir().mkpath(texmfHome);
        documents = documentsFolder();
        setDesktopRecorder([this](const QString& action, const QString& path) { opened << action + ' ' + path; });
        uiHooks().showCommandFailure = [this](const QString& report) { failures << report; };
    }
    void TearDown() override
    {
        closeWindow();
    }
    void closeWindow()
    {
        if (w)
            w->close();
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    MathAlphabetWin* openFromMenu()
    {
        EXPECT_TRUE(chooseMenuItem("FileAddmathalphabet"));
        QApplication::processEvents();
        w = MathAlphabetWin::existing();
        return w;
    }
    // A master folder in the test's home, with the files given.
    QString makeMaster(const QString& name, const QMap<QString, QByteArray>& files = {})
    {
        const QString path = env.home() + "/" + name;
        QDir().mkpath(path);
        for (auto it = files.constBegin(); it != files.constEnd(); ++it)
            env.writeFile(QDir(env.root()).relativeFilePath(path + "/" + it.key()), it.value());
        return path;
    }
    // Drops the folder, takes the base font with OK and leaves the names
    // the window proposes.
    void loadAndChoose(const QString& master, const QString& tfm)
    {
        w->Listbox2_DropObject({master});
        ASSERT_TRUE(w->ready);
        w->TextField1->setText(tfm);
        w->PushButton4->click();
        ASSERT_FALSE(w->ttfm.isEmpty()) << env.dialogs.transcript.join('\n').toStdString();
    }
    QString newestScratch() const
    {
        QFile f(documents + "/newesttmp.txt");
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        return documents + "/" + QString::fromUtf8(f.readAll()).trimmed();
    }
    static QString text(const QString& path)
    {
        return QString::fromUtf8(readBytes(path));
    }
    static QStringList linesOf(const QString& path)
    {
        return text(path).split('\n', Qt::SkipEmptyParts);
    }

    TestEnv env{false};
    QString documents;
    QStringList opened;
    QStringList failures;
    QPointer<MathAlphabetWin> w;
};

// 52 metrics lines with the given first line.
inline QByteArray metricsFile(int lines = 52)
{
    QByteArray out;
    for (int k = 0; k < lines; ++k)
        out += QByteArray::number(400 + k) + " 20 500 30\n";
    return out;
}

} // namespace qlk::test

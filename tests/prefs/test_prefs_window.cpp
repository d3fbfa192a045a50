#include "mainwindow/Window1.h"
#include "prefs/PrefsFormat.h"
#include "prefs/PrefsStore.h"
#include "prefs/PrefsWindow.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace qlk;

namespace {

QByteArray prefsBytes()
{
    return test::readBytes(prefsfile());
}

PrefsDict onDisk()
{
    const prefsformat::DictResult r = prefsformat::readPrefsFile(prefsBytes());
    EXPECT_TRUE(r.dict.has_value()) << r.error.text().toStdString();
    return r.dict.value_or(PrefsDict());
}

// A test's world for the dialog: its own HOME, the administrator flag it
// needs, no main window yet, and preferences read back from the file.
class PrefsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedAdmin_ = isAdmin;
        savedPersonal_ = personalInstall;
        if (Window1::exists())
            delete Window1::instance();
    }
    void TearDown() override
    {
        isAdmin = savedAdmin_;
        personalInstall = savedPersonal_;
        if (Window1::exists())
            delete Window1::instance();
    }

    // Stores `values` in the file and forgets them, so the dialog reads the
    // file.
    void storeInFile(const QList<QPair<QString, QVariant>>& values)
    {
        for (const auto& v : values)
            setpref(v.first, v.second);
        ASSERT_TRUE(saveprefs());
        resetPrefsForTesting();
    }

    // Opens the dialog modally; `act` sees it while it is up and returns
    // the result code. Afterwards the closed dialog is gone.
    int runDialog(const std::function<int(PrefsWindow*)>& act)
    {
        env.dialogs.onModal = [&](QDialog* d) {
            auto* w = qobject_cast<PrefsWindow*>(d);
            EXPECT_NE(w, nullptr);
            return w ? act(w) : 0;
        };
        const int result = PrefsWindow::showModal();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return result;
    }

    test::TestEnv env;
    bool savedAdmin_ = false;
    bool savedPersonal_ = false;
};

} // namespace

TEST_F(PrefsWindowTest, ShowsTheStoredValuesAndSaveWritesTheChangedKeys)
{
    isAdmin = true;
    storeInFile({{QStringLiteral("method"), 1},
                 {QStringLiteral("sudo"), 1},
                 {QStringLiteral("editor"), QStringLiteral("Kate")},
                 {QStringLiteral("otftotfm"), QStringLiteral("/usr/bin/otftotfm")},
                 {QStringLiteral("useFontsite"), 1},
                 {QStringLiteral("ignoreupdmap"), 0},
                 {QStringLiteral("PathToTFM"), QStringLiteral("/somewhere")}});
    const int result = runDialog([](PrefsWindow* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Preferences"));
        EXPECT_FALSE(w->RadioButton1[0]->isChecked());
        EXPECT_TRUE(w->RadioButton1[1]->isChecked());
        EXPECT_FALSE(w->RadioButton1[1]->isHidden());
        EXPECT_FALSE(w->StaticText5->isHidden());
        EXPECT_TRUE(w->RadioButton2[1]->isChecked());
        EXPECT_FALSE(w->CheckBox3->isChecked());
        EXPECT_TRUE(w->CheckBox2->isChecked());
        EXPECT_EQ(w->TextField1->text(), QStringLiteral("Kate"));
        EXPECT_EQ(w->TextField3->text(), QStringLiteral("/usr/bin/otftotfm"));

        // A method button alone changes nothing else.
        const QString explanation = w->StaticText5->text();
        w->RadioButton1[0]->click();
        EXPECT_EQ(w->StaticText5->text(), explanation);
        EXPECT_FALSE(w->StaticText5->isHidden());
        EXPECT_TRUE(w->RadioButton1[0]->isChecked());
        EXPECT_FALSE(w->RadioButton1[1]->isChecked());

        w->CheckBox3->click();
        w->TextField1->setText(QStringLiteral("  gedit  "));
        w->RadioButton2[0]->click();
        w->CheckBox2->click();
        w->PushButton1->click();
        return w->result();
    });
    EXPECT_EQ(result, int(QDialog::Accepted));
    EXPECT_TRUE(personalInstall);
    // Save reached the main window (its Setcaption).
    EXPECT_TRUE(Window1::exists());

    const PrefsDict d = onDisk();
    EXPECT_EQ(d.value(QStringLiteral("method")), QVariant(0));
    EXPECT_EQ(d.value(QStringLiteral("ignoreupdmap")), QVariant(1));
    EXPECT_EQ(d.value(QStringLiteral("editor")), QVariant(QStringLiteral("gedit")));
    EXPECT_EQ(d.value(QStringLiteral("otftotfm")), QVariant(QStringLiteral("/usr/bin/otftotfm")));
    EXPECT_EQ(d.value(QStringLiteral("sudo")), QVariant(0));
    EXPECT_EQ(d.value(QStringLiteral("useFontsite")), QVariant(0));
    EXPECT_EQ(d.value(QStringLiteral("PathToTFM")), QVariant(QStringLiteral("/somewhere")));
    EXPECT_TRUE(d.contains(QStringLiteral("app_vers")));
}

// The stored numbers as the dialog shows them and saves them unchanged.
TEST_F(PrefsWindowTest, OutOfRangeAndAbsentValuesShowAndSaveAsTheNearestChoice)
{
    struct Case {
        const char* name;
        bool admin;
        QVariant method, sudo, ignore;
        int shownMethod, shownSudo;
        bool shownIgnore;
        int savedMethod, savedSudo, savedIgnore;
    };
    const Case cases[] = {
        {"admin, method 5", true, 5, 1, 0, 1, 1, false, 1, 1, 0},
        {"admin, method -1", true, -1, 1, 1, 0, 1, true, 0, 1, 1},
        {"non-admin, method 1", false, 1, 0, 0, 0, 0, false, 0, 0, 0},
        {"sudo 2 and ignoreupdmap 2", true, 0, 2, 2, 0, 1, false, 0, 1, 0},
        {"sudo -3", true, 1, -3, 0, 1, 0, false, 1, 0, 0},
        {"nothing stored", true, QVariant(), QVariant(), QVariant(), 0, 0, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestEnv caseEnv;
        isAdmin = c.admin;
        personalInstall = !c.savedMethod ? false : true; // the opposite of what Save sets
        QList<QPair<QString, QVariant>> values;
        if (c.method.isValid())
            values << qMakePair(QStringLiteral("method"), c.method);
        if (c.sudo.isValid())
            values << qMakePair(QStringLiteral("sudo"), c.sudo);
        if (c.ignore.isValid())
            values << qMakePair(QStringLiteral("ignoreupdmap"), c.ignore);
        if (!values.isEmpty())
            storeInFile(values);
        caseEnv.dialogs.onModal = [&](QDialog* d) {
            auto* w = qobject_cast<PrefsWindow*>(d);
            EXPECT_TRUE(w->RadioButton1[c.shownMethod]->isChecked());
            EXPECT_FALSE(w->RadioButton1[1 - c.shownMethod]->isChecked());
            EXPECT_EQ(w->RadioButton1[1]->isHidden(), !c.admin);
            EXPECT_EQ(w->StaticText5->isHidden(), !c.admin);
            EXPECT_TRUE(w->RadioButton2[c.shownSudo]->isChecked());
            EXPECT_EQ(w->CheckBox3->isChecked(), c.shownIgnore);
            w->PushButton1->click();
            return w->result();
        };
        EXPECT_EQ(PrefsWindow::showModal(), int(QDialog::Accepted));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const PrefsDict d = onDisk();
        EXPECT_EQ(d.value(QStringLiteral("method")), QVariant(c.savedMethod));
        EXPECT_EQ(d.value(QStringLiteral("sudo")), QVariant(c.savedSudo));
        EXPECT_EQ(d.value(QStringLiteral("ignoreupdmap")), QVariant(c.savedIgnore));
        EXPECT_EQ(personalInstall, c.savedMethod == 0);
        // Every one of the six keys is written, changed or not.
        for (const char* key : {"method", "sudo", "editor", "otftotfm", "useFontsite", "ignoreupdmap"})
            EXPECT_TRUE(d.contains(QString::fromLatin1(key))) << key;
    }
}

TEST_F(PrefsWindowTest, CancelLeavesThePreferencesAndTheFileUntouched)
{
    isAdmin = true;
    storeInFile({{QStringLiteral("method"), 1}, {QStringLiteral("editor"), QStringLiteral("Kate")}});
    const QByteArray before = prefsBytes();
    const int result = runDialog([](PrefsWindow* w) {
        w->RadioButton1[0]->click();
        w->TextField1->setText(QStringLiteral("other"));
        w->CheckBox3->click();
        w->PushButton2->click();
        return w->result();
    });
    EXPECT_EQ(result, int(QDialog::Rejected));
    EXPECT_EQ(prefsBytes(), before);
    EXPECT_EQ(prefInt(QStringLiteral("method")), 1);
    EXPECT_EQ(prefText(QStringLiteral("editor")), QStringLiteral("Kate"));
    EXPECT_FALSE(haspref(QStringLiteral("ignoreupdmap")));
    EXPECT_FALSE(Window1::exists());
}

TEST_F(PrefsWindowTest, EveryOpeningIsAFreshDialogWithTheCurrentPreferences)
{
    isAdmin = true;
    setpref(QStringLiteral("editor"), QStringLiteral("first"));
    runDialog([](PrefsWindow* w) {
        EXPECT_EQ(w->TextField1->text(), QStringLiteral("first"));
        w->TextField1->setText(QStringLiteral("typed, then cancelled"));
        w->PushButton2->click();
        return w->result();
    });
    setpref(QStringLiteral("editor"), QStringLiteral("second"));
    runDialog([](PrefsWindow* w) {
        EXPECT_EQ(w->TextField1->text(), QStringLiteral("second"));
        w->PushButton1->click();
        return w->result();
    });
    EXPECT_EQ(onDisk().value(QStringLiteral("editor")), QVariant(QStringLiteral("second")));
}

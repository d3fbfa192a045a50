#include "platform/Paths.h"
#include "prefs/PrefsFormat.h"
#include "prefs/PrefsStore.h"
#include "services/RunLog.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qlk;

namespace {

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The preferences as the file holds them now.
PrefsDict onDisk()
{
    const prefsformat::DictResult r = prefsformat::readPrefsFile(test::readBytes(prefsfile()));
    EXPECT_TRUE(r.dict.has_value()) << r.error.text().toStdString();
    return r.dict.value_or(PrefsDict());
}

QString runLog()
{
    return QString::fromUtf8(test::readBytes(homeFolder() + QStringLiteral("/QLKlogfile.txt")));
}

} // namespace

TEST(PrefsStore, WithoutAFileEverythingIsAbsentUntilTheFirstSave)
{
    test::TestEnv env;
    EXPECT_FALSE(getpref(QStringLiteral("method")).isValid());
    EXPECT_EQ(prefInt(QStringLiteral("method")), 0);
    EXPECT_EQ(prefText(QStringLiteral("editor")), QString());
    EXPECT_FALSE(haspref(QStringLiteral("method")));
    EXPECT_FALSE(QFile::exists(prefsfile()));
    EXPECT_EQ(QFileInfo(prefsfile()).absolutePath(), env.home() + QStringLiteral("/.config"));

    setpref(QStringLiteral("sudo"), 1);
    EXPECT_FALSE(QFile::exists(prefsfile()));
    ASSERT_TRUE(saveprefs());
    const QByteArray bytes = test::readBytes(prefsfile());
    EXPECT_EQ(bytes.left(9).toHex(' ').toStdString(), "42 50 72 65 66 73 01 00 00");
    const PrefsDict d = onDisk();
    EXPECT_EQ(d.size(), 2);
    EXPECT_EQ(d.value(QStringLiteral("sudo")), QVariant(1));
    EXPECT_EQ(d.value(QStringLiteral("app_vers")), QVariant(appversion()));
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(QDir(configFolder()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Quillmark Prefs")});
}

TEST(PrefsStore, KeysDifferingOnlyInCaseAreOneKey)
{
    test::TestEnv env;
    setpref(QStringLiteral("ignoreupdmap"), 0);
    EXPECT_TRUE(haspref(QStringLiteral("Ignoreupdmap")));
    EXPECT_EQ(getpref(QStringLiteral("IGNOREUPDMAP")), QVariant(0));
    setpref(QStringLiteral("IgnoreUpdmap"), 1);
    EXPECT_EQ(prefInt(QStringLiteral("ignoreupdmap")), 1);
    ASSERT_TRUE(saveprefs());
    const PrefsDict d = onDisk();
    EXPECT_EQ(d.size(), 2); // the key and "app_vers"
    EXPECT_EQ(d.value(QStringLiteral("ignoreUPDMAP")), QVariant(1));

    resetPrefsForTesting();
    EXPECT_EQ(prefInt(QStringLiteral("IgnoreUpdMap")), 1);
}

TEST(PrefsStore, AValueOfEachTypeSurvivesSaveAndLoad)
{
    test::TestEnv env;
    PrefsDict nested;
    nested.insert(QStringLiteral("inner"), QStringLiteral("x"));
    const QList<QPair<QString, QVariant>> values = {
        {QStringLiteral("method"), qint32(1)},
        {QStringLiteral("negative"), qint32(-7)},
        {QStringLiteral("editor"), QStringLiteral("gedit --new-window")},
        {QStringLiteral("sourcemaps"), QStringLiteral("{TEXMFDIST}/a.map\t{TEXMFDIST}/é.map")},
        {QStringLiteral("double"), 0.125},
        {QStringLiteral("date"), QDateTime(QDate(2013, 12, 31), QTime(8, 0, 1))},
        {QStringLiteral("raw"), QVariant::fromValue(PrefsRawText{"abc"})},
        {QStringLiteral("flag"), true},
        {QStringLiteral("colour"), QVariant::fromValue(PrefsColour{9, 8, 7})},
        {QStringLiteral("null"), QVariant()},
        {QStringLiteral("bytes"), QByteArray("\x00\x01\x02", 3)},
        {QStringLiteral("ref"), QVariant::fromValue(PrefsFileRef{"/tmp/a"})},
        {QStringLiteral("nested"), QVariant::fromValue(nested)},
    };
    for (const auto& v : values)
        setpref(v.first, v.second);
    ASSERT_TRUE(saveprefs());
    resetPrefsForTesting();
    for (const auto& v : values) {
        SCOPED_TRACE(v.first.toStdString());
        EXPECT_TRUE(haspref(v.first));
        const QVariant got = getpref(v.first);
        EXPECT_EQ(got.typeId(), v.second.typeId());
        EXPECT_TRUE(got == v.second || (!got.isValid() && !v.second.isValid()));
    }
    EXPECT_EQ(prefText(QStringLiteral("raw")), QStringLiteral("abc"));
}

TEST(PrefsStore, SavingFirstKeepsTheKeysOfTheFile)
{
    test::TestEnv env;
    PrefsDict d;
    d.insert(QStringLiteral("editor"), QStringLiteral("vi"));
    d.insert(QStringLiteral("app_vers"), 1);
    writeAll(prefsfile(), prefsformat::writePrefsFile(d));
    ASSERT_TRUE(saveprefs());
    const PrefsDict after = onDisk();
    EXPECT_EQ(after.value(QStringLiteral("editor")), QVariant(QStringLiteral("vi")));
    EXPECT_EQ(after.value(QStringLiteral("app_vers")), QVariant(appversion()));
}

TEST(PrefsStore, PackedVersion)
{
    const qint32 base = packVersion(1, 2, 3, 3, 4);
    EXPECT_EQ(base, ((((1 * 64 + 2) * 64 + 3) * 2 + 1) * 4 + 3) * 256 + 4);
    EXPECT_EQ(packVersion(1, 2, 4, 3, 4) - base, 1 << 11);
    EXPECT_EQ(packVersion(1, 2, 3, 3, 5) - base, 1);
    EXPECT_EQ(packVersion(1, 3, 3, 3, 4) - base, 1 << 17);
    EXPECT_EQ(packVersion(2, 2, 3, 3, 4) - base, 1 << 23);
    EXPECT_EQ(base & (1 << 10), 1 << 10);
    // Parts are added, not masked: a minor version of 64 is the next major.
    EXPECT_EQ(packVersion(1, 64, 0, 0, 0), packVersion(2, 0, 0, 0, 0));
    EXPECT_EQ(appversion(), packVersion(QLK_VERSION_MAJOR, QLK_VERSION_MINOR, QLK_VERSION_BUG, 3, 0));
}

TEST(PrefsStore, MethodReadsAsTheNearestOfZeroAndOne)
{
    test::TestEnv env;
    EXPECT_EQ(prefMethod(), 0); // absent
    const QList<QPair<int, int>> cases = {{-5, 0}, {-1, 0}, {0, 0}, {1, 1}, {2, 1}, {5, 1}};
    for (const auto& c : cases) {
        setpref(QStringLiteral("method"), c.first);
        EXPECT_EQ(prefMethod(), c.second) << c.first;
        // The stored value itself is left as it is.
        EXPECT_EQ(prefInt(QStringLiteral("method")), c.first);
    }
}

// A file that cannot be read leaves an empty dictionary, is kept beside the
// new one, and the run log says so.
TEST(PrefsStore, UnreadableFilesAreKeptAsideAndTheStoreStartsEmpty)
{
    const QList<QPair<const char*, QByteArray>> files = {
        {"garbage", QByteArray("this is no preferences file at all")},
        {"truncated", prefsformat::writePrefsFile([] {
                          PrefsDict d;
                          d.insert(QStringLiteral("method"), 1);
                          d.insert(QStringLiteral("editor"), QStringLiteral("vi"));
                          return d;
                      }()).left(20)},
        {"offset outside", QByteArray::fromHex("42507265667301000000 5B 0000000A 7FFFFFFF 0008080001007375646F 000200000001")},
        {"old version", QByteArray::fromHex("425072656673 00FF 00 005B")},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.first);
        test::TestEnv env;
        writeAll(prefsfile(), f.second);
        EXPECT_FALSE(haspref(QStringLiteral("method")));
        EXPECT_EQ(prefInt(QStringLiteral("method")), 0);
        const QString aside = prefsfile() + QStringLiteral(".damaged");
        EXPECT_FALSE(QFile::exists(prefsfile()));
        EXPECT_EQ(test::readBytes(aside), f.second);
        const QString log = runLog();
        EXPECT_TRUE(log.contains(QStringLiteral("could not be read"))) << log.toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("at offset "))) << log.toStdString();
        EXPECT_TRUE(log.contains(aside)) << log.toStdString();

        setpref(QStringLiteral("method"), 0);
        ASSERT_TRUE(saveprefs());
        EXPECT_EQ(onDisk().value(QStringLiteral("method")), QVariant(0));
        EXPECT_EQ(test::readBytes(aside), f.second);
    }
}

TEST(PrefsStore, ASecondDamagedFileDoesNotReplaceTheFirst)
{
    test::TestEnv env;
    writeAll(prefsfile(), "first");
    EXPECT_FALSE(haspref(QStringLiteral("x")));
    resetPrefsForTesting();
    writeAll(prefsfile(), "second");
    EXPECT_FALSE(haspref(QStringLiteral("x")));
    EXPECT_EQ(test::readBytes(prefsfile() + QStringLiteral(".damaged")), QByteArray("first"));
    EXPECT_EQ(test::readBytes(prefsfile() + QStringLiteral(".damaged-2")), QByteArray("second"));
}

TEST(PrefsStore, TheRunLogNoteLeavesAnOpenLogAsItWas)
{
    test::TestEnv env;
    writeAll(prefsfile(), "damaged");
    const QString work = env.root() + QStringLiteral("/work");
    QDir().mkpath(work);
    openLog(work);
    logMessage = QStringLiteral("pending");
    EXPECT_FALSE(haspref(QStringLiteral("x")));
    EXPECT_EQ(logMessage, QStringLiteral("pending"));
    EXPECT_TRUE(logStream != nullptr);
    EXPECT_TRUE(test::readBytes(work + QStringLiteral("/QLKlogfile.txt")).contains("could not be read"));
}

TEST(PrefsStore, SavingReplacesTheFileWithANewOne)
{
    test::TestEnv env;
    setpref(QStringLiteral("editor"), QStringLiteral("old"));
    ASSERT_TRUE(saveprefs());
    const QByteArray before = test::readBytes(prefsfile());
    // A second name for the old file: rewriting in place would change it too.
    const QString link = env.root() + QStringLiteral("/old-prefs");
    ASSERT_EQ(::link(QFile::encodeName(prefsfile()).constData(), QFile::encodeName(link).constData()), 0);
    setpref(QStringLiteral("editor"), QStringLiteral("new"));
    ASSERT_TRUE(saveprefs());
    EXPECT_EQ(test::readBytes(link), before);
    EXPECT_EQ(onDisk().value(QStringLiteral("editor")), QVariant(QStringLiteral("new")));
    EXPECT_EQ(QDir(configFolder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// A save that cannot be written (here: a file size limit, as a full disk
// would) reports failure and leaves the old file whole.
TEST(PrefsStore, AFailedSaveLeavesTheOldFileWhole)
{
    test::TestEnv env;
    setpref(QStringLiteral("editor"), QStringLiteral("kept"));
    ASSERT_TRUE(saveprefs());
    const QByteArray before = test::readBytes(prefsfile());

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        setpref(QStringLiteral("editor"), QString(1000, QLatin1Char('x')));
        ::_exit(saveprefs() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "saveprefs reported success";
    EXPECT_EQ(test::readBytes(prefsfile()), before);
    EXPECT_EQ(QDir(configFolder()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Quillmark Prefs")});
}

TEST(PrefsStore, AValueTheFileCannotHoldIsNamedInTheLogAndTheRestIsSaved)
{
    test::TestEnv env;
    setpref(QStringLiteral("big"), QVariant(qint64(1) << 40));
    setpref(QStringLiteral("sudo"), 0);
    ASSERT_TRUE(saveprefs());
    const PrefsDict d = onDisk();
    EXPECT_FALSE(d.contains(QStringLiteral("big")));
    EXPECT_EQ(d.value(QStringLiteral("sudo")), QVariant(0));
    EXPECT_TRUE(runLog().contains(QStringLiteral("Preference big was not saved"))) << runLog().toStdString();
}

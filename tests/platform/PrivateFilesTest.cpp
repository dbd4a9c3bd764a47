#include "platform/Autostart.h"
#include "platform/LeadingInt.h"
#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace sonvelle {
namespace {

unsigned Mode(const QString& path)
{
    struct stat st {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0xFFFFu;
}

// Runs under the given umask and an environment of its own, restoring both.
class PrivateFilesUnderUmask : public ::testing::TestWithParam<mode_t> {
protected:
    void SetUp() override
    {
        m_oldMask = umask(GetParam());
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
            m_saved.emplace_back(name, qgetenv(name));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath("cache")));
        SetProgramFolderForTesting(m_dir.path());
    }
    void TearDown() override
    {
        SetProgramFolderForTesting({});
        for (const auto& [name, value] : m_saved) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
        umask(m_oldMask);
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    mode_t m_oldMask = 0;
    std::vector<std::pair<const char*, QByteArray>> m_saved;
};

TEST_P(PrivateFilesUnderUmask, LogsSettingsAndAutostartAreTheOwnersOnly)
{
    QFile wider(Path("SN.log"));  // left by an older run
    ASSERT_TRUE(wider.open(QIODevice::WriteOnly));
    wider.close();
    ASSERT_EQ(chmod(QFile::encodeName(Path("SN.log")).constData(), 0644), 0);
    ASSERT_TRUE(WriteLog("Dump Impostazioni:"));
    ASSERT_TRUE(WriteLog("campione", "LogCampionamenti.log"));
    EXPECT_EQ(Mode(Path("SN.log")), 0600u);
    EXPECT_EQ(Mode(Path("LogCampionamenti.log")), 0600u);

    CRegKey key;
    ASSERT_TRUE(key.Create(Hive::CurrentUser, QStringLiteral("Software\\Orsolan\\Sonvelle")));
    ASSERT_TRUE(key.WriteText(QStringLiteral("Operatore"), QStringLiteral("Desk 2")));
    const QString keyFile = CRegKey::KeyFilePath(Hive::CurrentUser, QStringLiteral("Software\\Orsolan\\Sonvelle"));
    EXPECT_EQ(Mode(keyFile), 0600u) << keyFile.toStdString();
    for (QString folder = QFileInfo(keyFile).path(); folder != m_dir.path(); folder = QFileInfo(folder).path())
        EXPECT_EQ(Mode(folder), 0700u) << folder.toStdString();

    ASSERT_TRUE(WriteAutostartEntry(QStringLiteral("SonvelleRecorder"), QStringLiteral("/opt/sonvelle/sonvelle")));
    EXPECT_EQ(Mode(AutostartFilePath(QStringLiteral("SonvelleRecorder"))), 0600u);
    EXPECT_EQ(Mode(Path("config/autostart")), 0700u);
}

TEST_P(PrivateFilesUnderUmask, MadeFoldersAreOwnerOnlyAndExistingOnesUntouched)
{
    ASSERT_EQ(chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    ASSERT_TRUE(MakePrivatePath(Path("a/b/c")));
    for (const char* made : {"a", "a/b", "a/b/c"})
        EXPECT_EQ(Mode(Path(made)), 0700u) << made;
    EXPECT_EQ(Mode(m_dir.path()), 0755u);
    ASSERT_TRUE(MakePrivatePath(Path("a/b/c")));  // already there
    QFile blocker(Path("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    EXPECT_FALSE(MakePrivatePath(Path("file/sub")));
}

TEST_P(PrivateFilesUnderUmask, TheProcessWideSettingCoversFilesMadeElsewhere)
{
    KeepNewFilesPrivate();
    QFile file(Path("WavLogRec_20260101_000000.wav"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QDir().mkpath(Path("Recordings/sub")));
    EXPECT_EQ(Mode(file.fileName()), 0600u);
    EXPECT_EQ(Mode(Path("Recordings/sub")), 0700u);
}

// A runtime folder others can write to would let them hold our lock for us.
TEST_P(PrivateFilesUnderUmask, TheInstanceLockStaysOutOfSharedFolders)
{
    ASSERT_TRUE(QDir().mkpath(Path("runtime")));
    ASSERT_EQ(chmod(QFile::encodeName(Path("runtime")).constData(), 0777), 0);
    for (const QString& runtime : {Path("runtime"), QString()}) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        CSingleInstanceGuard guard(QStringLiteral("privacy-test"));
        ASSERT_TRUE(guard.Acquire()) << runtime.toStdString();
        const QString folder = CSingleInstanceGuard::LockFolder();
        EXPECT_EQ(folder, Path("cache/Sonvelle/"));
        EXPECT_EQ(Mode(folder), 0700u);
        EXPECT_EQ(Mode(guard.LockFilePath()), 0600u);
    }
}

INSTANTIATE_TEST_SUITE_P(Umasks, PrivateFilesUnderUmask, ::testing::Values(mode_t{0}, mode_t{002}, mode_t{022}));

TEST(Log, AFailedWriteIsReportedAndLeavesTheLogUsable)
{
    // Neither the program folder nor the fallback data folder can be written.
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/proc/does-not-exist");
    SetProgramFolderForTesting("/proc/does-not-exist/");
    EXPECT_FALSE(WriteLog("nothing happens"));
    qputenv("XDG_DATA_HOME", savedData);
    QTemporaryDir dir;
    SetProgramFolderForTesting(dir.path());
    EXPECT_TRUE(WriteLog("next line"));
    EXPECT_TRUE(QFile::exists(dir.filePath("SN.log")));
    SetProgramFolderForTesting({});
}

TEST(LeadingInt, ReadsTextAndBytesAlike)
{
    const std::pair<const char*, int> cases[] = {
        {"  42abc", 42}, {"\t-7", -7}, {"+3", 3}, {"abc", 0}, {"- 5", 0},
        {"99999999999999999999", 2147483647}, {"-99999999999", -2147483648LL},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(LeadingInt(QByteArrayView(text)), value) << text;
        EXPECT_EQ(LeadingInt(QString::fromLatin1(text)), value) << text;
    }
    EXPECT_EQ(LeadingInt(QStringLiteral("\u0663")), 0);  // a digit of another script is not one
}

}  // namespace
}  // namespace sonvelle

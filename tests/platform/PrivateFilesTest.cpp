#include "platform/Autostart.h"
#include "platform/LeadingInt.h"
#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "platform/SingleInstance.h"

#include "support/TagBytes.h"
#include "support/TestFolders.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace sonvelle {
namespace {

unsigned Mode(const QString& path)
{
    struct stat st {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0xFFFFu;
}

// Runs under the given umask, in folders of its own.
class PrivateFilesUnderUmask : public ::testing::TestWithParam<mode_t> {
protected:
    void SetUp() override
    {
        m_oldMask = umask(GetParam());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(Path("cache")));
    }
    void TearDown() override
    {
        qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
        umask(m_oldMask);
    }
    QString Path(const QString& name) const { return m_folders.Path(name); }

    test::CTestFolders m_folders;
    mode_t m_oldMask = 0;
    const QByteArray m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
};

TEST_P(PrivateFilesUnderUmask, LogsSettingsAndAutostartAreTheOwnersOnly)
{
    ASSERT_TRUE(test::WriteBytes(Path("program/SN.log"), {}));  // left by an older run
    ASSERT_EQ(chmod(QFile::encodeName(Path("program/SN.log")).constData(), 0644), 0);
    ASSERT_TRUE(WriteLog("Dump Impostazioni:"));
    ASSERT_TRUE(WriteLog("campione", "LogCampionamenti.log"));
    EXPECT_EQ(Mode(Path("program/SN.log")), 0600u);
    EXPECT_EQ(Mode(Path("program/LogCampionamenti.log")), 0600u);

    ASSERT_TRUE(test::WriteSettings({{"Operatore", "Desk 2"}}));
    const QString keyFile = CRegKey::KeyFilePath(Hive::CurrentUser, QStringLiteral("Software\\Orsolan\\Sonvelle"));
    EXPECT_EQ(Mode(keyFile), 0600u) << keyFile.toStdString();
    for (QString folder = QFileInfo(keyFile).path(); folder != Path("user"); folder = QFileInfo(folder).path())
        EXPECT_EQ(Mode(folder), 0700u) << folder.toStdString();

    ASSERT_TRUE(WriteAutostartEntry(QStringLiteral("SonvelleRecorder"), QStringLiteral("/opt/sonvelle/sonvelle")));
    EXPECT_EQ(Mode(AutostartFilePath(QStringLiteral("SonvelleRecorder"))), 0600u);
    EXPECT_EQ(Mode(Path("user/autostart")), 0700u);
}

TEST_P(PrivateFilesUnderUmask, MadeFoldersAreOwnerOnlyAndExistingOnesUntouched)
{
    ASSERT_EQ(chmod(QFile::encodeName(Path(".")).constData(), 0755), 0);
    ASSERT_TRUE(MakePrivatePath(Path("a/b/c")));
    for (const char* made : {"a", "a/b", "a/b/c"})
        EXPECT_EQ(Mode(Path(made)), 0700u) << made;
    EXPECT_EQ(Mode(Path(".")), 0755u);
    ASSERT_TRUE(MakePrivatePath(Path("a/b/c")));  // already there
    ASSERT_TRUE(test::WriteBytes(Path("file"), {}));
    EXPECT_FALSE(MakePrivatePath(Path("file/sub")));
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
    test::CTestFolders folders;
    EXPECT_TRUE(WriteLog("next line"));
    EXPECT_EQ(folders.LogLines(), QStringList{"next line"});
}

TEST(LeadingInt, ReadsTextAndBytesAlikeAndClampsWhatOverflows)
{
    const std::pair<const char*, int> cases[] = {{"  42abc", 42}, {"\t-7", -7}, {"- 5", 0},
                                                 {"99999999999999999999", 2147483647}, {"-99999999999", -2147483648LL}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(LeadingInt(QByteArrayView(text)), value) << text;
        EXPECT_EQ(LeadingInt(QString::fromLatin1(text)), value) << text;
    }
    EXPECT_EQ(LeadingInt(QStringLiteral("\u0663")), 0);  // a digit of another script is not one
}

}  // namespace
}  // namespace sonvelle

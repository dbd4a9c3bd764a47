#include "store/RecordingEntry.h"
#include "store/RecordingProtection.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace sonvelle;
using namespace sonvelle::testing;

namespace {

QByteArray Xor(QByteArray bytes, const QByteArray& key, qsizetype from)
{
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(bytes[i] ^ key[(from + i) % key.size()]);
    return bytes;
}

// A real recording: a tagged 32 kbit/s tone, longer than one 500,000-byte chunk.
class Protection : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static test::CTestFolders source;
        const QString mp3 = test::MakeToneMp3(source.WorkDir(), "tone", 140);
        ASSERT_FALSE(mp3.isEmpty());
        s_audio = ReadBytes(mp3);
        ASSERT_GT(s_audio.size(), 500000);
        s_tag = TagBytes(FullFrames("Call 7", "notes", "Desk", false));
    }
    void SetUp() override { Reset(); }
    void TearDown() override { SetProtectionStepHookForTesting({}); }

    void Reset(const QByteArray& content = {})
    {
        m_entry.m_strKeyWord = "secret";
        WriteBytes(Path(), content.isEmpty() ? s_tag + s_audio : content);
        QFile::remove(Folder() + "Call 7.snx");
        m_entry.m_strFolder = Folder();
        m_entry.m_strName = "Call 7";
        m_entry.m_dwTagSize = std::uint32_t(s_tag.size());
        m_entry.m_bProtected = !content.isEmpty();
        m_entry.SetState(kStateSaved);
    }
    QString Folder() const { return m_dirs.WorkDir(); }
    QString Path() const { return Folder() + "Call 7.mp3"; }
    QStringList Files() const { return QDir(Folder()).entryList(QDir::Files, QDir::Name); }

    static inline QByteArray s_audio;
    static inline QByteArray s_tag;
    test::CTestFolders m_dirs;
    CRecordingEntry m_entry;
};

}  // namespace

TEST_F(Protection, TheWayBackForShortLongAndMultiByteKeyWords)
{
    // The wrong key word has the right length, one character off.
    const std::pair<QString, QString> cases[] = {
        {"secret", "secreT"}, {"twelve chars", "twelve charz"}, {"caffè-€uro", "caffe-€uro"}};
    for (const auto& [key, wrong] : cases) {
        SCOPED_TRACE(key.toStdString());
        Reset();
        m_entry.m_strKeyWord = key;
        ASSERT_TRUE(Protect(m_entry));
        EXPECT_TRUE(m_entry.m_bProtected && m_entry.GetState() == kStateTagPending);
        const QByteArray stored = ReadBytes(Path());
        EXPECT_EQ(stored.left(s_tag.size()), s_tag);
        // Files protected before must stay readable: one key stream from the check block on, across chunk borders.
        const qsizetype checkBlock = stored.size() - s_tag.size() - s_audio.size();
        EXPECT_EQ(Xor(stored.right(s_audio.size()), KeyWordBytes(key), checkBlock), s_audio);

        // A wrong key word deciphers nothing, not even in place.
        m_entry.m_strKeyWord = wrong;
        EXPECT_FALSE(Unprotect(m_entry, true) || Unprotect(m_entry, false));
        EXPECT_EQ(ReadBytes(Path()), stored);
        EXPECT_EQ(Files(), QStringList{"Call 7.mp3"});

        m_entry.m_strKeyWord = key;
        ASSERT_TRUE(Unprotect(m_entry, true));
        EXPECT_EQ(ReadBytes(Path()), stored);
        EXPECT_EQ(ReadBytes(WorkingCopyPath(m_entry)), s_audio);
        EXPECT_EQ(QFile::permissions(WorkingCopyPath(m_entry)),
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

        ASSERT_TRUE(Unprotect(m_entry, false));
        EXPECT_FALSE(m_entry.m_bProtected);
        EXPECT_EQ(ReadBytes(Path()), s_audio);
    }
}

// A process killed anywhere between two steps leaves the old or the new file
// under the recording's name, never neither and never a mix.
TEST_F(Protection, AKillBetweenAnyTwoStepsLeavesTheOldOrTheNewFile)
{
    ASSERT_TRUE(Protect(m_entry));
    const QByteArray protectedBytes = ReadBytes(Path());
    for (const bool protecting : {true, false}) {
        for (const ProtectionStep step : {ProtectionStep::CopyCreated, ProtectionStep::CopyHalfWritten,
                 ProtectionStep::CopyWritten, ProtectionStep::CopyFlushed, ProtectionStep::Renamed}) {
            SCOPED_TRACE(::testing::Message() << (protecting ? "protect" : "unprotect") << " step " << int(step));
            Reset(protecting ? QByteArray() : protectedBytes);
            SetProtectionStepHookForTesting([step](ProtectionStep now) { return now != step; });
            EXPECT_FALSE(protecting ? Protect(m_entry) : Unprotect(m_entry, false));
            const QByteArray before = protecting ? s_tag + s_audio : protectedBytes;
            const QByteArray after = protecting ? protectedBytes : s_audio;
            EXPECT_TRUE(ReadBytes(Path()) == (step == ProtectionStep::Renamed ? after : before));
        }
    }
}

// The reader of the check block is fuzzed (tests/fuzz); here what comes before it.
TEST_F(Protection, NothingIsWrittenForABadTagLengthOrARecordingInProgress)
{
    m_entry.m_dwTagSize = std::uint32_t(s_tag.size() + s_audio.size() + 1);
    EXPECT_FALSE(Protect(m_entry) || Unprotect(m_entry, true));
    Reset();
    m_entry.SetState(kStateRecording);
    EXPECT_FALSE(Protect(m_entry));
    EXPECT_EQ(Files(), QStringList{"Call 7.mp3"});
    EXPECT_EQ(ReadBytes(Path()), s_tag + s_audio);
}

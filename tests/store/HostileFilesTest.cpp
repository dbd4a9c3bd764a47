// Files the store did not make, or made under conditions it does not control:
// read-only recordings, foreign tags, hostile names, long texts, other users.
#include "store/IndexFile.h"
#include "tests/store/WorkFolderTest.h"

#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sonvelle;
using namespace sonvelle::testing;

namespace {

constexpr uid_t kNobody = 65534;

class Hostile : public ::testing::Test {
protected:
    // Others must reach the folders for the cases run as another user.
    void SetUp() override { ASSERT_EQ(::chmod(QFile::encodeName(m_dirs.Path({})).constData(), 0755), 0); }

    static void GiveToNobody(const QString& path)
    {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kNobody, kNobody), 0);
    }
    static mode_t ModeOf(const QString& path)
    {
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }
    // The catalogue as the unprivileged user sees it after the action; one line per recording.
    QStringList AsNobody(const QStringList& action) const
    {
        QProcess probe;
        probe.start("setpriv",
                    QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", STORE_PROBE, m_home} + action);
        probe.waitForFinished(30000);
        EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
        return QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    test::CTestFolders m_dirs;
    QString m_home = m_dirs.ProgramDir();
    QString m_folder = m_dirs.WorkDir();
};

}  // namespace

TEST_F(Hostile, ReadOnlyRecordingKeepsItsMetadataAndRefusesARewrite)
{
    GiveToNobody(m_home);
    GiveToNobody(m_folder);
    const QString path = MakeRecording(m_folder, "Locked", "keep me", "Desk 2", true);
    GiveToNobody(path);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    const QByteArray before = ReadBytes(path);
    const QString asStored = "Locked|keep me|1|05/12/2006 10:11:12|Desk 2";

    EXPECT_EQ(AsNobody({"list", m_folder}), QStringList{asStored});
    EXPECT_EQ(AsNobody({"save", m_folder, "Locked", "new notes"}), (QStringList{"not saved", "Locked|new notes|1|05/12/2006 10:11:12|Desk 2"}));
    // Neither the file nor the index took the notes that could not be written.
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(AsNobody({"list", m_folder}), QStringList{asStored});
}

// Under a umask that would leave the owner read-only: the modes are set, never inherited.
TEST_F(Hostile, FilesTheStoreMakesOrCompactsAreTheOwnersOnly)
{
    const auto name = [](int i) { return QString("R%1").arg(i, 2, 10, QChar('0')); };
    for (int i = 0; i < 12; ++i)
        MakeRecording(m_folder, name(i));
    const QString path = m_folder + "R00.mp3";
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const QString victim = m_dirs.Path("victim");
    ASSERT_TRUE(WriteBytes(victim, "untouched"));
    ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(m_folder + "tagTemporary.dtm").constData()), 0);

    const mode_t oldMask = ::umask(0277);
    CRecordingList list;
    const bool written = list.Load(m_folder) && CRecordingList::WriteEntryTags(*list.FindByName("R00"));
    const mode_t created = ModeOf(m_folder + "Index.txt");
    list.Clear();
    // 11 records without files: the index is rewritten.
    for (int i = 1; i < 12; ++i)
        QFile::remove(m_folder + name(i) + ".mp3");
    const bool compacted = list.Load(m_folder);
    ::umask(oldMask);
    ASSERT_TRUE(written && compacted);
    EXPECT_EQ(created, 0600u);
    EXPECT_EQ(NamesOf(list), QStringList{"R00"});
    EXPECT_EQ(ReadBytes(m_folder + "Index.txt").size(), CIndexFile::kBaseRecord);
    EXPECT_EQ(ModeOf(m_folder + "Index.txt"), 0600u);
    // The rewritten recording keeps the reach its owner gave it, and no link was followed.
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(ReadBytes(victim), "untouched");
    EXPECT_FALSE(QFileInfo::exists(m_folder + "tagTemporary.dtm"));
}

TEST_F(Hostile, UnlistableNamesAreSkippedAndNoRecordAbsorbsAnother)
{
    MakeRecording(m_folder, "A");
    MakeRecording(m_folder, "<operatore>x");
    MakeRecording(m_folder, "a:b");
    MakeRecording(m_folder, "Call ");
    WriteBytes(m_folder + "Loud.MP3", TagBytes(FullFrames("Loud")) + FakeAudio());
    const QByteArray badName = QFile::encodeName(m_folder + "bad").append("\xff.mp3");
    ASSERT_EQ(::close(::open(badName.constData(), O_CREAT | O_WRONLY, 0600)), 0);

    for (int run = 0; run < 2; ++run) {
        CRecordingList list;
        ASSERT_TRUE(list.Load(m_folder));
        EXPECT_EQ(NamesOf(list), (QStringList{"A", "Call ", "Loud"})) << "run " << run;
        for (const auto& e : list.Entries()) {
            EXPECT_EQ(e->m_strOperator, "") << e->m_strName.toStdString();
            EXPECT_TRUE(QFileInfo::exists(e->FilePath())) << e->m_strName.toStdString();
        }
        // One record each, never appended again.
        EXPECT_EQ(ReadBytes(m_folder + "Index.txt").size(), 3 * CIndexFile::kBaseRecord);
    }
    ::unlink(badName.constData());  // a name the temporary folder's clean-up cannot spell

    // An older index may hold a record of such a name: a record of its own, not an operator of the one before.
    CRecordingEntry records[2];
    records[0].m_strName = "A";
    records[1].m_strName = "<operatore>x";
    const QByteArray older = CIndexFile::EncodeRecord(records[0]) + CIndexFile::EncodeRecord(records[1]);
    ASSERT_TRUE(WriteBytes(m_folder + "Index.txt", older));
    CIndexFile index;
    ASSERT_TRUE(index.Open(m_folder + "Index.txt"));
    ASSERT_TRUE(index.ReadRecord(records[0]) && index.ReadRecord(records[1]));
    EXPECT_EQ(records[0].m_strOperator, "");
    EXPECT_EQ(records[1].m_strName, "<operatore>x");
}

TEST_F(Hostile, TagsOfOtherProgramsKeepTheAudioExactThroughARewrite)
{
    const QByteArray audio = QByteArray("\xFF\xFB\x50\xC4", 4) + QByteArray(40, '\0') + FakeAudio(3000);
    const QString byId3v2 = m_folder + "Tool.mp3";
    const QString byMutagen = m_folder + QString::fromUtf8("Müller.mp3");
    WriteBytes(byId3v2, audio);
    WriteBytes(byMutagen, audio);
    ASSERT_TRUE(test::RunTool("id3v2", {"-2", "-t", "Tool", "-c", "from the tool", byId3v2}));
    ASSERT_TRUE(test::RunTool("/usr/bin/python3", {"-c",
                   "import sys; from mutagen.id3 import ID3, TIT2, COMM; t = ID3(); "
                   "t.add(TIT2(encoding=1, text='Müller')); t.add(COMM(encoding=1, lang='eng', desc='', text='Grüße 日本')); "
                   "t.save(sys.argv[1], v2_version=3)",
                   byMutagen}));
    const std::pair<QString, QString> cases[] = {{byId3v2, "from the tool"},
                                                 {byMutagen, QString::fromUtf8("Grüße 日本")}};
    CRecordingList list;
    for (const auto& [path, notes] : cases) {
        SCOPED_TRACE(path.toStdString());
        CRecordingEntry entry;
        EXPECT_TRUE(list.ReadEntryTags(path, entry, m_folder, false));
        EXPECT_EQ(entry.m_strNotes, notes);
        EXPECT_EQ(ReadBytes(path).mid(entry.GetTagSize()), audio);
        ASSERT_TRUE(CRecordingList::WriteEntryTags(entry));
        CRecordingEntry again;
        EXPECT_TRUE(list.ReadEntryTags(path, again, m_folder, false));
        EXPECT_EQ(again.m_strNotes, notes);
        EXPECT_EQ(ReadBytes(path).mid(again.GetTagSize()), audio);
    }
}

#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "store/RecordingSave.h"
#include "tests/store/WorkFolderTest.h"

#include <cerrno>
#include <cstring>

namespace sonvelle {
namespace {

using testing::WorkFolderTest;

// Trimming and refusals of taken or reserved names are met through the save dialog (SaveDialogTest).
class SaveConfirm : public WorkFolderTest {
protected:
    void SetUp() override
    {
        WorkFolderTest::SetUp();
        m_entry.m_strFolder = m_folder;
        m_entry.m_strName = "Recording 1";
        m_entry.SetState(kStateRecording);
        WriteFile("tmp_nome_reg.dtm", m_audio);
    }

    bool Confirm(const QString& name) { return ConfirmSaveRecording(m_entry, m_folder, m_recordingFile, name, {}); }

    CRecordingEntry m_entry;
    QString m_recordingFile;
    const QByteArray m_audio = QByteArray("\xFF\xFB\x50\xC4 new call audio", 20);
};

TEST_F(SaveConfirm, TheGivenFileMovesIntoTheWorkFolderAndTheDefaultOneStays)
{
    m_entry.m_strFolder = "/elsewhere/";
    WriteFile("from writer.snx", "writer's audio");
    m_recordingFile = PathOf("from writer.snx");
    ASSERT_TRUE(Confirm("Call from Anna"));
    EXPECT_EQ(m_entry.m_strFolder, m_folder);
    EXPECT_TRUE(m_recordingFile.isEmpty());
    EXPECT_EQ(FilesInFolder(), (QStringList{"Call from Anna.mp3", "tmp_nome_reg.dtm"}));
    EXPECT_EQ(ReadFile("Call from Anna.mp3"), "writer's audio");
}

TEST_F(SaveConfirm, FailuresNameTheirCauseAndMoveNothing)
{
    // The log says what the system said.
    EXPECT_FALSE(Confirm(QString(300, 'x')));
    EXPECT_TRUE(test::ReadLog().contains(QString::fromLocal8Bit(std::strerror(ENAMETOOLONG))));
    EXPECT_EQ(m_entry.GetState(), kStateTagPending);
    // A character the field would have stopped still fails safely as a bad path.
    EXPECT_FALSE(Confirm("a?b"));
    EXPECT_FALSE(Confirm("sub/name"));
    EXPECT_EQ(ShownTexts(), QStringList(3, LoadText(IDS_NAME_FORBIDDEN_CHARS)));
    EXPECT_EQ(FilesInFolder(), QStringList{"tmp_nome_reg.dtm"});

    // The audio is gone: the temporary file problem.
    m_prompt.Clear();
    ASSERT_TRUE(QFile::remove(PathOf("tmp_nome_reg.dtm")));
    EXPECT_FALSE(Confirm("Lost"));
    EXPECT_EQ(ShownTexts(), QStringList{LoadText(IDS_TEMP_FILE_PROBLEM)});
    EXPECT_TRUE(FilesInFolder().isEmpty());
    EXPECT_EQ(m_entry.m_strName, "Recording 1");
}

}  // namespace
}  // namespace sonvelle

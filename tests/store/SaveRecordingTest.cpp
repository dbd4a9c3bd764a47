#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "store/RecordingNameField.h"
#include "store/RecordingSave.h"
#include "tests/store/SaveRenameFixtures.h"

namespace sonvelle {
namespace {

using testing::WorkFolderTest;

// Types text into the save dialog's name field one character at a time, as the
// field re-filters after every keystroke; returns what the field shows after each.
QStringList TypeIntoSaveNameField(const QString& keys, const QString& folder)
{
    QStringList shown;
    QString text;
    for (QChar key : keys) {
        text = FilterSaveDialogName(text + key, folder).text;
        shown << text;
    }
    return shown;
}

TEST(SaveNameField, ForbiddenCharacterIsTakenBackAtOnce)
{
    EXPECT_EQ(TypeIntoSaveNameField(QStringLiteral("a?b"), QStringLiteral("/w/")),
              (QStringList{"a", "a", "ab"}));
    for (QChar c : QStringLiteral("<>:/|*?\\\"")) {
        const FilteredName filtered = FilterSaveDialogName(QStringLiteral("call") + c, QStringLiteral("/w/"));
        EXPECT_EQ(filtered.text, "call") << QString(c).toStdString();
        EXPECT_TRUE(filtered.changed);
    }
    // Pasted text with a forbidden character inside loses characters from the end until it is clean.
    EXPECT_EQ(FilterSaveDialogName(QStringLiteral("ab?cd"), QStringLiteral("/w/")).text, "ab");
}

TEST(SaveNameField, LeadingBlankLeavesFieldEmptyAndConfirmDisabled)
{
    const FilteredName blank = FilterSaveDialogName(QStringLiteral(" "), QStringLiteral("/w/"));
    EXPECT_EQ(blank.text, "");
    EXPECT_TRUE(blank.changed);
    EXPECT_FALSE(blank.confirmEnabled);

    const FilteredName padded = FilterSaveDialogName(QStringLiteral("  Call 3 "), QStringLiteral("/w/"));
    EXPECT_EQ(padded.text, "Call 3 ");  // trailing blanks go only at confirm
    EXPECT_TRUE(padded.confirmEnabled);

    const FilteredName plain = FilterSaveDialogName(QStringLiteral("Call 3"), QStringLiteral("/w/"));
    EXPECT_FALSE(plain.changed);
    EXPECT_TRUE(plain.confirmEnabled);
    EXPECT_FALSE(FilterSaveDialogName(QString(), QStringLiteral("/w/")).confirmEnabled);
}

TEST(SaveNameField, FolderAndNameStayWithin260Bytes)
{
    const QString folder = QStringLiteral("/home/desk/");  // 11 bytes
    ASSERT_EQ(folder.size(), 11);
    EXPECT_EQ(FilterSaveDialogName(QString(249, 'x'), folder).text.size(), 249);
    const FilteredName tooLong = FilterSaveDialogName(QString(250, 'x'), folder);
    EXPECT_EQ(tooLong.text.size(), 249);
    EXPECT_TRUE(tooLong.changed);
    // Pasting far too much is cut back to what fits.
    EXPECT_EQ(FilterSaveDialogName(QString(400, 'x'), folder).text.size(), 249);
    // Bytes count, not characters: "è" takes two, and is never split.
    const FilteredName accented = FilterSaveDialogName(QString(125, QChar(0xE8)), folder);
    EXPECT_EQ(accented.text, QString(124, QChar(0xE8)));
    // A character outside the basic plane is removed whole.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x93\x9E");  // 4 bytes, 2 code units
    const FilteredName withEmoji = FilterSaveDialogName(QString(248, 'x') + emoji, folder);
    EXPECT_EQ(withEmoji.text, QString(248, 'x'));
}

class SaveConfirm : public WorkFolderTest {
protected:
    void SetUp() override
    {
        WorkFolderTest::SetUp();
        m_entry.m_strFolder = m_folder;
        m_entry.m_strName = QStringLiteral("Recording 1");
        m_entry.SetState(kStateRecording);
        WriteFile(QStringLiteral("tmp_nome_reg.dtm"), m_audio);
    }

    bool Confirm(const QString& name, const QString& notes = {})
    {
        return ConfirmSaveRecording(m_entry, m_folder, m_recordingFile, name, notes);
    }

    CRecordingEntry m_entry;
    QString m_recordingFile;
    const QByteArray m_audio = QByteArray("\xFF\xFB\x50\xC4 new call audio", 20);
};

TEST_F(SaveConfirm, ReservedNamesAreExactAndKeepDialogOpen)
{
    EXPECT_FALSE(Confirm(QStringLiteral("tagTemporary")));
    EXPECT_EQ(ShownTexts(), QStringList{LoadText(18)});
    EXPECT_EQ(m_prompt.ShownSoFar().back().icon, PromptIcon::Exclamation);
    EXPECT_EQ(m_prompt.ShownSoFar().back().caption, "Sonvelle");
    EXPECT_EQ(m_entry.m_strName, "Recording 1");
    EXPECT_EQ(m_entry.GetState(), kStateTagPending);
    EXPECT_TRUE(Exists(QStringLiteral("tmp_nome_reg.dtm")));

    EXPECT_FALSE(Confirm(QStringLiteral("tmp_nome_reg")));
    EXPECT_FALSE(Confirm(QStringLiteral("Join_Temporary")));
    EXPECT_EQ(m_prompt.ShownSoFar().size(), 3u);

    EXPECT_TRUE(Confirm(QStringLiteral("TAGTEMPORARY")));
    EXPECT_EQ(m_entry.m_strName, "TAGTEMPORARY");
    EXPECT_EQ(ReadFile(QStringLiteral("TAGTEMPORARY.mp3")), m_audio);
    EXPECT_FALSE(Exists(QStringLiteral("tmp_nome_reg.dtm")));
    EXPECT_EQ(m_prompt.ShownSoFar().size(), 3u);
}

TEST_F(SaveConfirm, SavedEntryTakesFolderNameAndTrimmedTexts)
{
    m_entry.m_strFolder = QStringLiteral("/elsewhere/");
    WriteFile(QStringLiteral("from writer.snx"), m_audio);
    m_recordingFile = PathOf(QStringLiteral("from writer.snx"));

    ASSERT_TRUE(Confirm(QStringLiteral("Call from Anna  "), QStringLiteral("  \r\nbring the contract  ")));
    EXPECT_EQ(m_entry.m_strName, "Call from Anna");
    EXPECT_EQ(m_entry.m_strNotes, "bring the contract  ");
    EXPECT_EQ(m_entry.m_strFolder, m_folder);
    EXPECT_EQ(m_entry.GetState(), kStateTagPending);
    EXPECT_TRUE(m_recordingFile.isEmpty());
    EXPECT_EQ(ReadFile(QStringLiteral("Call from Anna.mp3")), m_audio);
    EXPECT_FALSE(Exists(QStringLiteral("from writer.snx")));
    // The default file was not the one given, so it is untouched.
    EXPECT_TRUE(Exists(QStringLiteral("tmp_nome_reg.dtm")));
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
}

TEST_F(SaveConfirm, ExistingRecordingIsNeverReplaced)
{
    const QByteArray older("older recording, must survive");
    WriteFile(QStringLiteral("Monday call.mp3"), older);

    EXPECT_FALSE(Confirm(QStringLiteral("Monday call"), QStringLiteral("notes")));
    EXPECT_EQ(ShownTexts(), QStringList{LoadText(17)});
    EXPECT_EQ(m_prompt.ShownSoFar().back().icon, PromptIcon::Stop);
    EXPECT_EQ(ReadFile(QStringLiteral("Monday call.mp3")), older);
    EXPECT_EQ(ReadFile(QStringLiteral("tmp_nome_reg.dtm")), m_audio);
    EXPECT_EQ(m_entry.m_strName, "Recording 1");
    EXPECT_EQ(m_entry.m_strNotes, "");
    EXPECT_TRUE(LogText().contains(QStringLiteral("Salva registrazione su file %1 da rinominare %2, errore: ")
                                       .arg(PathOf(QStringLiteral("Monday call.mp3")),
                                            PathOf(QStringLiteral("tmp_nome_reg.dtm")))));

    // Another case of the same name is the same name to the catalogue.
    m_prompt.Clear();
    EXPECT_FALSE(Confirm(QStringLiteral("MONDAY CALL")));
    EXPECT_EQ(ShownTexts(), QStringList{LoadText(17)});
    EXPECT_EQ(FilesInFolder(), (QStringList{"Monday call.mp3", "tmp_nome_reg.dtm"}));

    // The user picks another name and the same dialog saves.
    EXPECT_TRUE(Confirm(QStringLiteral("Monday call 2")));
    EXPECT_EQ(ReadFile(QStringLiteral("Monday call 2.mp3")), m_audio);
}

TEST_F(SaveConfirm, FailuresNameTheirCause)
{
    // A character the field would have stopped still fails safely as a bad path.
    EXPECT_FALSE(Confirm(QStringLiteral("a?b")));
    EXPECT_FALSE(Confirm(QStringLiteral("sub/name")));
    EXPECT_EQ(ShownTexts(), (QStringList{LoadText(27), LoadText(27)}));
    EXPECT_EQ(FilesInFolder(), QStringList{"tmp_nome_reg.dtm"});

    // The audio is gone: the temporary file problem.
    m_prompt.Clear();
    ASSERT_TRUE(QFile::remove(PathOf(QStringLiteral("tmp_nome_reg.dtm"))));
    EXPECT_FALSE(Confirm(QStringLiteral("Lost")));
    EXPECT_EQ(ShownTexts(), QStringList{LoadText(73)});
    EXPECT_EQ(m_prompt.ShownSoFar().back().icon, PromptIcon::Stop);
    EXPECT_TRUE(FilesInFolder().isEmpty());
    EXPECT_EQ(m_entry.m_strName, "Recording 1");
}

}  // namespace
}  // namespace sonvelle

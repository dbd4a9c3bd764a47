#include "resources/StringTable.h"
#include "store/Id3Tag.h"
#include "store/RecordingInfoEditor.h"
#include "store/RecordingList.h"
#include "tests/store/WorkFolderTest.h"

#include <QDir>

#include <map>

namespace sonvelle {
namespace {

using testing::WorkFolderTest;

// The main window's side: two fields with their modified marks, the save
// button and the list rows, as the window would keep them.
class CFieldsDouble : public IRecordingInfoView {
public:
    QString FieldText(InfoField field) const override { return m_text.at(field); }
    void SetFieldText(InfoField field, const QString& text) override
    {
        m_text[field] = text;
        m_modified[field] = false;
    }
    bool IsFieldModified(InfoField field) const override { return m_modified.at(field); }
    void SetFieldModified(InfoField field, bool modified) override { m_modified[field] = modified; }
    void MoveCaretToEnd(InfoField) override {}
    void FocusField(InfoField) override {}
    void EnableSaveButton(bool enable) override { m_saveEnabled = enable; }
    void RewriteRow(const QString& oldName, const CRecordingEntry& entry) override
    {
        m_rowsRewritten.push_back(oldName + " -> " + entry.m_strName);
    }
    void StopPlaybackOf(const CRecordingEntry& entry) override { m_stoppedPlaying.push_back(entry.m_strName); }

    // A keystroke: the text changes, the field marks itself modified and tells the window.
    void Type(CRecordingInfoEditor& editor, InfoField field, const QString& text)
    {
        m_text[field] = text;
        m_modified[field] = true;
        editor.OnFieldChanged(field);
    }

    std::map<InfoField, QString> m_text{{InfoField::Name, {}}, {InfoField::Notes, {}}};
    std::map<InfoField, bool> m_modified{{InfoField::Name, false}, {InfoField::Notes, false}};
    bool m_saveEnabled = true;
    QStringList m_rowsRewritten;
    QStringList m_stoppedPlaying;
};

class RenameFixture : public WorkFolderTest {
protected:
    void SetUp() override
    {
        WorkFolderTest::SetUp();
        AddRecording("Call 1", "first call");
        AddRecording("Call 2", "second call");
        ASSERT_TRUE(m_list.Load(m_folder));
        ASSERT_EQ(m_list.GetCount(), 2);
        ASSERT_TRUE(m_list.IsIndexOpen());
    }

    // Audio of its own per recording, so that a rename that picks the wrong file shows.
    void AddRecording(const QString& name, const QString& notes)
    {
        WriteFile(name + ".mp3", test::TagBytes(test::FullFrames(name.toUtf8(), notes.toUtf8())) + Audio(name));
    }

    static QByteArray Audio(const QString& name) { return QByteArray("\xFF\xFB\x50\xC4 audio of ") + name.toUtf8(); }

    QString TagText(const QString& fileName, const QByteArray& frame) const
    {
        CId3Tag tag;
        CId3Frame found;
        return tag.Open(PathOf(fileName)) && tag.Read() == 1 && tag.GetFrame(frame, found) ? found.GetText() : "<none>";
    }

    // The audio behind the tag, which no rename may touch.
    QByteArray AudioOf(const QString& fileName) const
    {
        const QByteArray bytes = ReadFile(fileName);
        const qsizetype at = bytes.indexOf("\xFF\xFB\x50\xC4");
        return at < 0 ? QByteArray() : bytes.mid(at);
    }

    // The catalogue as the next start sees it: index and folder.
    std::map<QString, QString> ReloadedNamesAndNotes()
    {
        m_list.Clear();
        CRecordingList reloaded;
        EXPECT_TRUE(reloaded.Load(m_folder));
        std::map<QString, QString> result;
        for (const auto& entry : reloaded.Entries())
            result[entry->m_strName] = entry->m_strNotes;
        reloaded.Clear();
        return result;
    }

    void Select(const QString& name) { m_editor.OnSelectionChanged(name); }

    CRecordingList m_list;
    CFieldsDouble m_view;
    CRecordingInfoEditor m_editor{m_view, m_list};
};

using RenameFromMainWindow = RenameFixture;

TEST_F(RenameFromMainWindow, SaveRenamesFileAndRewritesTagRowAndIndex)
{
    Select("Call 1");
    // Typed back to what it was, nothing is left to save.
    m_view.Type(m_editor, InfoField::Notes, "first call?");
    EXPECT_TRUE(m_view.m_saveEnabled);
    m_view.Type(m_editor, InfoField::Notes, "first call");
    EXPECT_FALSE(m_view.m_saveEnabled);
    m_view.Type(m_editor, InfoField::Name, "Anna, contract");
    m_view.Type(m_editor, InfoField::Notes, "call back\r\non Monday");
    m_editor.OnSaveButton();

    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    const CRecordingEntry* entry = m_list.FindByName("Anna, contract");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_strNotes, "call back\r\non Monday");
    EXPECT_EQ(entry->GetState(), kStateSaved);  // the tag is written
    EXPECT_EQ(m_view.m_rowsRewritten, QStringList{"Call 1 -> Anna, contract"});
    EXPECT_EQ(m_view.m_stoppedPlaying, QStringList{"Call 1"});
    EXPECT_FALSE(m_view.m_saveEnabled);
    EXPECT_FALSE(Exists("Call 1.mp3"));
    EXPECT_EQ(AudioOf("Anna, contract.mp3"), Audio("Call 1"));
    EXPECT_EQ(TagText("Anna, contract.mp3", "TIT2"), "Anna, contract");
    EXPECT_EQ(TagText("Anna, contract.mp3", "COMM"), "call back\r\non Monday");
    EXPECT_EQ(ReloadedNamesAndNotes(),
              (std::map<QString, QString>{{"Anna, contract", "call back\r\non Monday"}, {"Call 2", "second call"}}));
}

TEST_F(RenameFromMainWindow, RefusedNamesChangeNothing)
{
    const QByteArray call2 = ReadFile("Call 2.mp3");
    WriteFile("Outsider.mp3", "not in the list");
    Select("Call 1");
    const std::pair<QString, int> refused[] = {
        {"call 2", IDS_NAME_EXISTS},    // listed, in another case
        {"Outsider", IDS_NAME_EXISTS},  // a file the list does not know
        {QString(), IDS_NAME_EMPTY},
        {"tagTemporary", IDS_NAME_RESERVED},
    };
    for (const auto& [name, text] : refused) {
        m_prompt.Clear();
        m_view.Type(m_editor, InfoField::Name, name);
        m_view.Type(m_editor, InfoField::Notes, "changed too");
        m_editor.OnSaveButton();
        EXPECT_EQ(ShownTexts(), QStringList{LoadText(text)}) << name.toStdString();
    }
    EXPECT_EQ(ReadFile("Call 2.mp3"), call2);
    EXPECT_EQ(ReadFile("Outsider.mp3"), "not in the list");
    EXPECT_EQ(FilesInFolder(), (QStringList{"Call 1.mp3", "Call 2.mp3", "Index.txt", "Outsider.mp3"}));
    EXPECT_TRUE(m_view.m_rowsRewritten.isEmpty());
    const CRecordingEntry* entry = m_list.FindByName("Call 1");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_strNotes, "first call");
    EXPECT_EQ(entry->GetState(), kStateSaved);
    const QByteArray call1 = ReadFile("Call 1.mp3");
    EXPECT_EQ(TagText("Call 1.mp3", "COMM"), "first call");

    // Notes the file cannot take are not kept either: the rewrite's work file is a folder that cannot go.
    ASSERT_TRUE(QDir(m_folder).mkpath("tagTemporary.dtm/inside"));
    Select("Call 1");
    m_view.Type(m_editor, InfoField::Notes, "never written");
    m_editor.OnSaveButton();
    EXPECT_EQ(m_list.FindByName("Call 1")->m_strNotes, "first call");
    EXPECT_EQ(m_view.FieldText(InfoField::Notes), "first call");
    EXPECT_EQ(m_list.FindByName("Call 1")->GetState(), kStateSaved);
    EXPECT_EQ(ReadFile("Call 1.mp3"), call1);
    EXPECT_EQ(ReloadedNamesAndNotes().at("Call 1"), "first call");
}

TEST_F(RenameFromMainWindow, RecordingInUseChangesOnlyTheEntry)
{
    CRecordingEntry* recording = m_list.CreateEntry();
    ASSERT_EQ(recording->GetState(), kStateRecording);
    const QString oldName = recording->m_strName;
    m_editor.ShowEntry(recording);
    m_view.Type(m_editor, InfoField::Name, "Live call");
    m_editor.OnSaveButton();
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    EXPECT_EQ(recording->m_strName, "Live call");
    EXPECT_EQ(recording->GetState(), kStateRecording);
    EXPECT_TRUE(m_view.m_stoppedPlaying.isEmpty());
    EXPECT_EQ(m_view.m_rowsRewritten, QStringList{oldName + " -> Live call"});
    EXPECT_EQ(FilesInFolder(), (QStringList{"Call 1.mp3", "Call 2.mp3", "Index.txt"}));
}

using RenameFocusQuestion = RenameFixture;

TEST_F(RenameFocusQuestion, YesOnSelectingAnotherRowSavesBothFieldsFirst)
{
    Select("Call 1");
    m_view.Type(m_editor, InfoField::Name, "Renamed");
    m_view.Type(m_editor, InfoField::Notes, "kept notes");
    m_prompt.Answer(PromptResult::Yes);
    Select("Call 2");

    EXPECT_EQ(m_prompt.ShownSoFar().size(), 1u);  // one question for both fields
    EXPECT_EQ(TagText("Renamed.mp3", "COMM"), "kept notes");
    EXPECT_FALSE(Exists("Call 1.mp3"));
    EXPECT_EQ(m_editor.CurrentEntry(), m_list.FindByName("Call 2"));
    EXPECT_EQ(m_view.FieldText(InfoField::Name), "Call 2");
    EXPECT_EQ(m_view.FieldText(InfoField::Notes), "second call");
}

TEST_F(RenameFocusQuestion, RecordingButtonsDoNotAskWhileRecording)
{
    CRecordingEntry* recording = m_list.CreateEntry();
    m_editor.ShowEntry(recording);
    for (int button : {CRecordingInfoEditor::kRecordButton, CRecordingInfoEditor::kStopButton,
             CRecordingInfoEditor::kAutoRecordButton}) {
        m_view.Type(m_editor, InfoField::Notes, "said while recording");
        m_editor.OnFocusLeft(InfoField::Notes, button);
    }
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    // What was typed stays for the stop to save.
    EXPECT_EQ(m_view.FieldText(InfoField::Notes), "said while recording");

    // A saved recording asks whatever button takes the focus.
    Select("Call 1");
    m_view.Type(m_editor, InfoField::Notes, "x");
    m_prompt.Answer(PromptResult::No);
    m_editor.OnFocusLeft(InfoField::Notes, CRecordingInfoEditor::kStopButton);
    EXPECT_EQ(m_prompt.ShownSoFar().size(), 1u);
    // No recording shown: nothing to ask about, and nothing to crash on.
    m_editor.ShowEntry(nullptr);
    m_view.Type(m_editor, InfoField::Notes, "nobody's");
    m_editor.OnFocusLeft(InfoField::Notes, 0);
    EXPECT_EQ(m_prompt.ShownSoFar().size(), 1u);
}

TEST_F(RenameFocusQuestion, RefusedPendingSaveLeavesNoStaleCopies)
{
    Select("Call 1");
    m_view.Type(m_editor, InfoField::Name, "Call 2");
    m_prompt.Answer(PromptResult::Yes);
    m_editor.OnFocusLeft(InfoField::Name, CRecordingInfoEditor::kList);
    EXPECT_EQ(ShownTexts(), (QStringList{m_prompt.ShownSoFar()[0].text, LoadText(IDS_NAME_EXISTS)}));

    // The next press saves what the fields hold now, not the refused copies.
    m_view.Type(m_editor, InfoField::Notes, "only notes");
    m_editor.OnSaveButton();
    EXPECT_EQ(m_prompt.ShownSoFar().size(), 2u);
    const CRecordingEntry* entry = m_list.FindByName("Call 1");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_strNotes, "only notes");
    EXPECT_EQ(TagText("Call 1.mp3", "COMM"), "only notes");
    EXPECT_EQ(TagText("Call 2.mp3", "COMM"), "second call");
}

using RenameInPlace = RenameFixture;

TEST_F(RenameInPlace, RefusalsKeepTheOldNameAndANewOneReachesFileTagIndexAndField)
{
    ASSERT_TRUE(QDir(m_folder).mkdir("sub"));
    ASSERT_TRUE(QDir(m_folder).mkdir("Taken.mp3"));
    const QByteArray call1 = ReadFile("Call 1.mp3");
    const QByteArray call2 = ReadFile("Call 2.mp3");
    WriteFile("Outsider.mp3", "not in the list");
    const std::pair<QString, int> refused[] = {
        {"What?", IDS_RENAME_FAILED}, {"sub/Call", IDS_RENAME_FAILED}, {"taken", IDS_NAME_EXISTS},
        {"CALL 1", IDS_NAME_EXISTS}, {"outsider", IDS_NAME_EXISTS}};
    for (const auto& [name, text] : refused) {
        m_prompt.Clear();
        m_editor.OnBeginLabelEdit("Call 2");
        EXPECT_FALSE(m_editor.OnEndLabelEdit(name)) << name.toStdString();
        EXPECT_EQ(ShownTexts(), QStringList{LoadText(text)}) << name.toStdString();
    }
    EXPECT_NE(m_list.FindByName("Call 2"), nullptr);
    EXPECT_EQ(ReadFile("Call 1.mp3"), call1);
    EXPECT_EQ(ReadFile("Call 2.mp3"), call2);
    EXPECT_EQ(ReadFile("Outsider.mp3"), "not in the list");
    EXPECT_TRUE(QDir(m_folder + "sub").isEmpty());

    // Unchanged or empty text ends the edit quietly.
    m_prompt.Clear();
    m_editor.OnBeginLabelEdit("Call 2");
    EXPECT_FALSE(m_editor.OnEndLabelEdit("Call 2"));
    m_editor.OnBeginLabelEdit("Call 2");
    EXPECT_FALSE(m_editor.OnEndLabelEdit(QString()));
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());

    Select("Call 2");
    m_editor.OnBeginLabelEdit("Call 2");
    EXPECT_TRUE(m_editor.OnEndLabelEdit("Supplier"));
    EXPECT_EQ(m_view.FieldText(InfoField::Name), "Supplier");
    EXPECT_EQ(AudioOf("Supplier.mp3"), Audio("Call 2"));
    EXPECT_EQ(TagText("Supplier.mp3", "TIT2"), "Supplier");
    // Only the case of its own name changes: no other recording stands in the way.
    m_editor.OnBeginLabelEdit("Call 1");
    EXPECT_TRUE(m_editor.OnEndLabelEdit("CALL 1"));
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    EXPECT_EQ(ReloadedNamesAndNotes(),
              (std::map<QString, QString>{{"CALL 1", "first call"}, {"Outsider", ""}, {"Supplier", "second call"}}));
    EXPECT_EQ(FilesInFolder(), (QStringList{"CALL 1.mp3", "Index.txt", "Outsider.mp3", "Supplier.mp3"}));
}

}  // namespace
}  // namespace sonvelle

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

    std::map<InfoField, QString> m_text{{InfoField::Name, {}}, {InfoField::Notes, {}}};
    std::map<InfoField, bool> m_modified{{InfoField::Name, false}, {InfoField::Notes, false}};
    bool m_saveEnabled = true;
    QStringList m_rowsRewritten;
    QStringList m_stoppedPlaying;
};

class RenameFromMainWindow : public WorkFolderTest {
protected:
    void SetUp() override
    {
        WorkFolderTest::SetUp();
        for (const auto& [name, notes] : {std::pair{"Call 1", "first call"}, {"Call 2", "second call"}})
            WriteFile(QString(name) + ".mp3", test::TagBytes(test::FullFrames(name, notes)) + Audio(name));
        m_before = {ReadFile("Call 1.mp3"), ReadFile("Call 2.mp3")};
        ASSERT_TRUE(m_list.Load(m_folder));
        ASSERT_TRUE(m_list.IsIndexOpen());
        WriteFile("Outsider.mp3", "not in the list");
    }

    // Audio of its own per recording, so that a rename that picks the wrong file shows.
    static QByteArray Audio(const QString& name) { return QByteArray("\xFF\xFB\x50\xC4 audio of ") + name.toUtf8(); }

    QString TagText(const QString& fileName, const QByteArray& frame) const
    {
        CId3Tag tag;
        CId3Frame found;
        return tag.Open(PathOf(fileName)) && tag.Read() == 1 && tag.GetFrame(frame, found) ? found.GetText() : "<none>";
    }

    // The catalogue as the next start sees it: index and folder.
    std::map<QString, QString> Reloaded()
    {
        m_list.Clear();
        CRecordingList reloaded;
        EXPECT_TRUE(reloaded.Load(m_folder));
        std::map<QString, QString> result;
        for (const auto& entry : reloaded.Entries())
            result[entry->m_strName] = entry->m_strNotes;
        return result;
    }

    // A keystroke: the text changes, the field marks itself modified and tells the window.
    void Type(InfoField field, const QString& text)
    {
        m_view.m_text[field] = text;
        m_view.m_modified[field] = true;
        m_editor.OnFieldChanged(field);
    }
    void TypeAndSave(const QString& name, const QString& notes)
    {
        m_prompt.Clear();
        Type(InfoField::Name, name);
        Type(InfoField::Notes, notes);
        m_editor.OnSaveButton();
    }
    void ExpectCallsUntouched() const
    {
        EXPECT_EQ(ReadFile("Call 1.mp3"), m_before[0]);
        EXPECT_EQ(ReadFile("Call 2.mp3"), m_before[1]);
        EXPECT_EQ(ReadFile("Outsider.mp3"), "not in the list");
    }

    QByteArrayList m_before;
    CRecordingList m_list;
    CFieldsDouble m_view;
    CRecordingInfoEditor m_editor{m_view, m_list};
};

TEST_F(RenameFromMainWindow, SaveButtonRenamesFileAndRewritesTagAndIndex)
{
    m_editor.OnSelectionChanged("Call 1");
    // Typed back to what it was, nothing is left to save.
    Type(InfoField::Notes, "first call?");
    EXPECT_TRUE(m_view.m_saveEnabled);
    Type(InfoField::Notes, "first call");
    EXPECT_FALSE(m_view.m_saveEnabled);
    TypeAndSave("Anna, contract", "call back\r\non Monday");

    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    EXPECT_EQ(m_view.m_stoppedPlaying, QStringList{"Call 1"});
    EXPECT_TRUE(ReadFile("Anna, contract.mp3").endsWith(Audio("Call 1")));
    EXPECT_EQ(TagText("Anna, contract.mp3", "TIT2"), "Anna, contract");
    EXPECT_EQ(TagText("Anna, contract.mp3", "COMM"), "call back\r\non Monday");
    const std::map<QString, QString> reloaded{
        {"Anna, contract", "call back\r\non Monday"}, {"Call 2", "second call"}, {"Outsider", ""}};
    EXPECT_EQ(Reloaded(), reloaded);
}

TEST_F(RenameFromMainWindow, RefusedNamesAndUnwritableNotesChangeNothing)
{
    m_editor.OnSelectionChanged("Call 1");
    const std::pair<QString, int> refused[] = {
        {"call 2", IDS_NAME_EXISTS},    // listed, in another case
        {"Outsider", IDS_NAME_EXISTS},  // a file the list does not know
        {QString(), IDS_NAME_EMPTY},    // would leave a nameless, hidden ".mp3"
        {"tagTemporary", IDS_NAME_RESERVED},
    };
    for (const auto& [name, text] : refused) {
        TypeAndSave(name, "changed too");
        EXPECT_EQ(ShownTexts(), QStringList{LoadText(text)}) << name.toStdString();
    }
    ExpectCallsUntouched();
    EXPECT_TRUE(m_view.m_rowsRewritten.isEmpty());

    // Notes the file cannot take are not kept either: the rewrite's work file is a folder that cannot go.
    ASSERT_TRUE(QDir(m_folder).mkpath("tagTemporary.dtm/inside"));
    m_editor.OnSelectionChanged("Call 1");
    TypeAndSave("Call 1", "never written");
    EXPECT_EQ(m_view.FieldText(InfoField::Notes), "first call");
    EXPECT_EQ(m_list.FindByName("Call 1")->GetState(), kStateSaved);
    ExpectCallsUntouched();
    EXPECT_EQ(Reloaded().at("Call 1"), "first call");
}

// A recording being made has no file yet: only the entry changes, and the
// recording buttons leave what was typed for the stop to save.
TEST_F(RenameFromMainWindow, RecordingInProgressChangesOnlyTheEntryAndItsButtonsDoNotAsk)
{
    CRecordingEntry* recording = m_list.CreateEntry();
    const QString oldName = recording->m_strName;
    m_editor.ShowEntry(recording);
    TypeAndSave("Live call", {});
    EXPECT_EQ(recording->m_strName, "Live call");
    EXPECT_EQ(recording->GetState(), kStateRecording);
    EXPECT_EQ(m_view.m_rowsRewritten, QStringList{oldName + " -> Live call"});
    EXPECT_EQ(FilesInFolder(), (QStringList{"Call 1.mp3", "Call 2.mp3", "Index.txt", "Outsider.mp3"}));

    for (int button : {CRecordingInfoEditor::kRecordButton, CRecordingInfoEditor::kStopButton,
             CRecordingInfoEditor::kAutoRecordButton}) {
        Type(InfoField::Notes, "said while recording");
        m_editor.OnFocusLeft(InfoField::Notes, button);
    }
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    EXPECT_EQ(m_view.FieldText(InfoField::Notes), "said while recording");

    // A saved recording asks whatever button takes the focus.
    m_editor.OnSelectionChanged("Call 1");
    Type(InfoField::Notes, "x");
    m_prompt.Answer(PromptResult::No);
    m_editor.OnFocusLeft(InfoField::Notes, CRecordingInfoEditor::kStopButton);
    EXPECT_EQ(m_prompt.ShownSoFar().size(), 1u);
    // No recording shown: nothing to ask about, and nothing to crash on.
    m_editor.ShowEntry(nullptr);
    Type(InfoField::Notes, "nobody's");
    m_editor.OnFocusLeft(InfoField::Notes, 0);
    EXPECT_EQ(m_prompt.ShownSoFar().size(), 1u);
}

TEST_F(RenameFromMainWindow, YesToTheFocusQuestionSavesBothFieldsARefusalLeavesNoStaleCopies)
{
    m_editor.OnSelectionChanged("Call 1");
    Type(InfoField::Name, "Renamed");
    Type(InfoField::Notes, "kept notes");
    m_prompt.Answer(PromptResult::Yes);
    m_editor.OnSelectionChanged("Call 2");
    EXPECT_EQ(m_prompt.ShownSoFar().size(), 1u);  // one question for both fields
    EXPECT_EQ(TagText("Renamed.mp3", "COMM"), "kept notes");
    EXPECT_EQ(m_view.FieldText(InfoField::Notes), "second call");

    m_prompt.Clear();
    Type(InfoField::Name, "Renamed");
    m_prompt.Answer(PromptResult::Yes);
    m_editor.OnFocusLeft(InfoField::Name, CRecordingInfoEditor::kList);
    EXPECT_EQ(ShownTexts(), (QStringList{m_prompt.ShownSoFar()[0].text, LoadText(IDS_NAME_EXISTS)}));
    // The next press saves what the fields hold now, not the refused copies.
    Type(InfoField::Notes, "only notes");
    m_editor.OnSaveButton();
    EXPECT_EQ(TagText("Call 2.mp3", "COMM"), "only notes");
    EXPECT_EQ(TagText("Renamed.mp3", "COMM"), "kept notes");
}

using RenameInPlace = RenameFromMainWindow;

TEST_F(RenameInPlace, RefusalsKeepTheOldNameAndANewOneReachesFileTagIndexAndField)
{
    ASSERT_TRUE(QDir(m_folder).mkdir("sub"));
    ASSERT_TRUE(QDir(m_folder).mkdir("Taken.mp3"));
    const std::pair<QString, int> refused[] = {
        {"What?", IDS_RENAME_FAILED}, {"sub/Call", IDS_RENAME_FAILED}, {"taken", IDS_NAME_EXISTS},
        {"CALL 1", IDS_NAME_EXISTS},  {"outsider", IDS_NAME_EXISTS},
        {"Call 2", 0},  {QString(), 0},  // unchanged or empty: the edit ends quietly
    };
    for (const auto& [name, text] : refused) {
        m_prompt.Clear();
        m_editor.OnBeginLabelEdit("Call 2");
        EXPECT_FALSE(m_editor.OnEndLabelEdit(name)) << name.toStdString();
        EXPECT_EQ(ShownTexts(), text ? QStringList{LoadText(text)} : QStringList{}) << name.toStdString();
    }
    ExpectCallsUntouched();
    EXPECT_TRUE(QDir(m_folder + "sub").isEmpty());

    m_editor.OnSelectionChanged("Call 2");
    m_editor.OnBeginLabelEdit("Call 2");
    EXPECT_TRUE(m_editor.OnEndLabelEdit("Supplier"));
    EXPECT_EQ(m_view.FieldText(InfoField::Name), "Supplier");
    EXPECT_TRUE(ReadFile("Supplier.mp3").endsWith(Audio("Call 2")));
    EXPECT_EQ(TagText("Supplier.mp3", "TIT2"), "Supplier");
    // Only the case of its own name changes: no other recording stands in the way.
    m_editor.OnBeginLabelEdit("Call 1");
    EXPECT_TRUE(m_editor.OnEndLabelEdit("CALL 1"));
    EXPECT_EQ(Reloaded(),
              (std::map<QString, QString>{{"CALL 1", "first call"}, {"Outsider", ""}, {"Supplier", "second call"}}));
    EXPECT_EQ(FilesInFolder(), (QStringList{"CALL 1.mp3", "Index.txt", "Outsider.mp3", "Supplier.mp3"}));
}

}  // namespace
}  // namespace sonvelle

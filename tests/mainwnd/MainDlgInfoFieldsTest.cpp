// The name and notes fields under the list and renaming in place, through
// the real window, the real catalogue and real files.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "RecordingControlTestDoubles.h"
#include "WorkFolderFixture.h"

#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/Id3Tag.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

namespace sonvelle {
namespace {

using testing::ReadBytes;
using testing::WorkFolder;

class MainDlgInfoFieldsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPrompt(&prompt);
        folder.Add({"Older call", COleDateTime(2024, 1, 1, 10, 0, 0), 30, "first notes"});
        folder.Add({"Newer call", COleDateTime(2024, 3, 1, 10, 0, 0), 20, "second notes"});
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = folder.Path();
        dlg->InitialiseWindowOnly();
        dlg->show();
        dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }
    void TearDown() override { SetPrompt(nullptr); }

    QTreeView* List() const { return qobject_cast<QTreeView*>(dlg->Control(IDC_CALL_LOG)); }
    QLineEdit* Name() const { return qobject_cast<QLineEdit*>(dlg->Control(IDC_NAME_EDIT)); }
    QPlainTextEdit* Notes() const { return qobject_cast<QPlainTextEdit*>(dlg->Control(IDC_NOTES_EDIT)); }
    QModelIndex NameCell(int row) const { return List()->model()->index(row, 1); }

    CScriptedPrompt prompt;
    WorkFolder folder;
    std::unique_ptr<CMainDlg> dlg;
};

TEST_F(MainDlgInfoFieldsTest, ChangedNotesAskOnFocusLossAndNoRestoresThem)
{
    dlg->CallLog().SelectRow(0);
    Notes()->setFocus();
    QTest::keyClicks(Notes(), " and more");
    EXPECT_TRUE(dlg->Control(IDC_SAVE)->isEnabled());
    prompt.Answer(PromptResult::No);
    List()->setFocus();
    QApplication::processEvents();

    ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(prompt.ShownSoFar()[0].caption, LoadText(IDS_INFO_SAVE_TITLE));
    EXPECT_EQ(prompt.ShownSoFar()[0].text, LoadText(IDS_INFO_CHANGED_PREFIX) + " Newer call" + LoadText(IDS_INFO_CHANGED_SUFFIX));
    EXPECT_EQ(Notes()->toPlainText(), "second notes");
    EXPECT_FALSE(dlg->Control(IDC_SAVE)->isEnabled());
}

TEST_F(MainDlgInfoFieldsTest, SaveButtonRenamesTheFileAndRewritesItsTag)
{
    dlg->CallLog().SelectRow(0);
    Name()->setFocus();
    QTest::keyClick(Name(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Name(), "Call with the bank");
    ASSERT_TRUE(dlg->Control(IDC_SAVE)->isEnabled());
    QTest::mouseClick(dlg->Control(IDC_SAVE), Qt::LeftButton);

    EXPECT_TRUE(prompt.ShownSoFar().empty());
    EXPECT_FALSE(QFile::exists(folder.Path() + "Newer call.mp3"));
    ASSERT_TRUE(QFile::exists(folder.Path() + "Call with the bank.mp3"));
    CId3Tag tag;
    ASSERT_TRUE(tag.Open(folder.Path() + "Call with the bank.mp3"));
    ASSERT_EQ(tag.Read(), 1);
    const CId3Frame* title = tag.FindFrame("TIT2");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetText(), "Call with the bank");
    EXPECT_EQ(List()->model()->data(NameCell(0)).toString(), "Call with the bank");
}

// A forbidden character, or the name of another recording in any case, is refused and replaces nothing.
TEST_F(MainDlgInfoFieldsTest, RefusedInPlaceRenameKeepsBothFiles)
{
    const QByteArray older = ReadBytes(folder.Path() + "Older call.mp3");
    const std::pair<const char*, int> rows[] = {{"What?", 61}, {"older CALL", 17}};
    for (auto [name, text] : rows) {
        prompt.Clear();
        ASSERT_TRUE(List()->model()->flags(NameCell(0)) & Qt::ItemIsEditable);
        EXPECT_FALSE(List()->model()->setData(NameCell(0), name, Qt::EditRole)) << name;
        ASSERT_EQ(prompt.ShownSoFar().size(), 1u) << name;
        EXPECT_EQ(prompt.ShownSoFar()[0].text, LoadText(text)) << name;
        EXPECT_EQ(List()->model()->data(NameCell(0)).toString(), "Newer call") << name;
        EXPECT_TRUE(QFile::exists(folder.Path() + "Newer call.mp3")) << name;
        EXPECT_EQ(ReadBytes(folder.Path() + "Older call.mp3"), older) << name;
    }
}

TEST_F(MainDlgInfoFieldsTest, InPlaceRenameMovesTheFileAndTheNameFieldFollows)
{
    dlg->CallLog().SelectRow(0);
    EXPECT_TRUE(List()->model()->setData(NameCell(0), "Renamed call", Qt::EditRole));
    EXPECT_TRUE(prompt.ShownSoFar().empty());
    EXPECT_TRUE(QFile::exists(folder.Path() + "Renamed call.mp3"));
    EXPECT_FALSE(QFile::exists(folder.Path() + "Newer call.mp3"));
    EXPECT_EQ(List()->model()->data(NameCell(0)).toString(), "Renamed call");
    EXPECT_EQ(Name()->text(), "Renamed call");
}

TEST_F(MainDlgInfoFieldsTest, RescanForgetsTheShownEntryWithoutDanglingPointers)
{
    dlg->CallLog().SelectRow(0);
    Notes()->setPlainText("unsaved");
    // F5 clears and reloads the catalogue; the fields must not keep the old entries.
    QTest::keyClick(List(), Qt::Key_F5);
    dlg->CallLog().SelectRow(1);
    EXPECT_EQ(Name()->text(), "Older call");
}

}  // namespace
}  // namespace sonvelle

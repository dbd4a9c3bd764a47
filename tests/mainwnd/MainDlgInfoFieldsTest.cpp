#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "WorkFolderFixture.h"

#include "platform/Prompt.h"
#include "resources/StringTable.h"

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
    EXPECT_TRUE(prompt.ShownSoFar()[0].text.contains("Newer call"));
    EXPECT_EQ(Notes()->toPlainText(), "second notes");
    EXPECT_FALSE(dlg->Control(IDC_SAVE)->isEnabled());
}

// The tag and index side of a rename is the store's (RenameFromMainWindow, RenameInPlace);
// here the fields, the button and the list cell as the window wires them.
TEST_F(MainDlgInfoFieldsTest, TypedNameIsFilteredSavedByTheButtonAndARefusalRestoresIt)
{
    dlg->CallLog().SelectRow(0);
    Name()->setFocus();
    Name()->end(false);
    QTest::keyClicks(Name(), "?x");
    EXPECT_EQ(Name()->text(), "Newer callx");
    EXPECT_EQ(Name()->cursorPosition(), 11);
    ASSERT_TRUE(dlg->Control(IDC_SAVE)->isEnabled());
    QTest::mouseClick(dlg->Control(IDC_SAVE), Qt::LeftButton);
    EXPECT_TRUE(prompt.ShownSoFar().empty());
    EXPECT_FALSE(QFile::exists(folder.Path() + "Newer call.mp3"));
    EXPECT_TRUE(QFile::exists(folder.Path() + "Newer callx.mp3"));
    EXPECT_EQ(List()->model()->data(NameCell(0)).toString(), "Newer callx");
    EXPECT_FALSE(dlg->Control(IDC_SAVE)->isEnabled());

    Name()->setFocus();
    Name()->selectAll();
    QTest::keyClick(Name(), Qt::Key_Backspace);
    QTest::mouseClick(dlg->Control(IDC_SAVE), Qt::LeftButton);
    ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(prompt.ShownSoFar()[0].text, LoadText(IDS_NAME_EMPTY));
    EXPECT_EQ(Name()->text(), "Newer callx");
    EXPECT_FALSE(Name()->isModified());
    EXPECT_EQ(dlg->focusWidget(), Name());
}

TEST_F(MainDlgInfoFieldsTest, InPlaceRenameMovesTheFileAndARefusedOneKeepsTheCell)
{
    EXPECT_FALSE(List()->model()->setData(NameCell(0), "older CALL", Qt::EditRole));
    EXPECT_EQ(List()->model()->data(NameCell(0)).toString(), "Newer call");
    dlg->CallLog().SelectRow(0);
    prompt.Clear();
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

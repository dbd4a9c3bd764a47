// The name and notes fields, the Save button and the list's name cell as the
// real window wires them; the tag and index side of a rename is the store's
// (RenameFromMainWindow, RenameInPlace).

#include "WorkFolderFixture.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

class MainDlgInfoFieldsTest : public testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        folder.Add({"Older call", COleDateTime(2024, 1, 1, 10, 0, 0), 30, "first notes"});
        folder.Add({"Newer call", COleDateTime(2024, 3, 1, 10, 0, 0), 20, "second notes"});
        OpenWindow();
        dlg->show();
        dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }

    QTreeView* List() const { return qobject_cast<QTreeView*>(dlg->Control(IDC_CALL_LOG)); }
    QLineEdit* Name() const { return qobject_cast<QLineEdit*>(dlg->Control(IDC_NAME_EDIT)); }
    QPlainTextEdit* Notes() const { return qobject_cast<QPlainTextEdit*>(dlg->Control(IDC_NOTES_EDIT)); }
    QModelIndex NameCell(int row) const { return List()->model()->index(row, 1); }
};

TEST_F(MainDlgInfoFieldsTest, ChangedNotesAskOnFocusLossNoRestoresThemAndARescanForgetsThem)
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

    // F5 clears and reloads the catalogue; the fields must not keep the old entries.
    Notes()->setPlainText("unsaved");
    QTest::keyClick(List(), Qt::Key_F5);
    dlg->CallLog().SelectRow(1);
    EXPECT_EQ(Name()->text(), "Older call");
}

TEST_F(MainDlgInfoFieldsTest, TypedNameIsFilteredAndSavedByTheButton)
{
    dlg->CallLog().SelectRow(0);
    Name()->setFocus();
    Name()->end(false);
    QTest::keyClicks(Name(), "?x");
    EXPECT_EQ(Name()->text(), "Newer callx");
    ASSERT_TRUE(dlg->Control(IDC_SAVE)->isEnabled());
    QTest::mouseClick(dlg->Control(IDC_SAVE), Qt::LeftButton);
    EXPECT_TRUE(prompt.ShownSoFar().empty());
    EXPECT_FALSE(QFile::exists(folder.Path() + "Newer call.mp3"));
    EXPECT_TRUE(QFile::exists(folder.Path() + "Newer callx.mp3"));
    EXPECT_EQ(List()->model()->data(NameCell(0)).toString(), "Newer callx");
    EXPECT_FALSE(dlg->Control(IDC_SAVE)->isEnabled());
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

}  // namespace
}  // namespace sonvelle

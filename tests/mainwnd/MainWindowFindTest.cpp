// Find through the real window: the order rows are searched in, the notes,
// letter case beyond ASCII, the one-time wrap, and a window that survives
// Escape and Cancel with its place in the list.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "operations/FindDlg.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "WorkFolderFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

using testing::WorkFolder;

const QString kNothing = QStringLiteral("<nothing>");

class MainWindowFind : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPrompt(&prompt);
        // Newest first: "Ärzte Termin", "Budget", "Zahnarzt".
        folder.Add({"Zahnarzt", COleDateTime(2024, 1, 1, 9, 0, 0), 1});
        folder.Add({"Budget", COleDateTime(2024, 1, 2, 9, 0, 0), 1, "ask the ÄRZTE first"});
        folder.Add({"Ärzte Termin", COleDateTime(2024, 1, 3, 9, 0, 0), 1});
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = folder.Path();
        dlg->InitialiseWindowOnly();
        dlg->show();
    }
    void TearDown() override { SetPrompt(nullptr); }

    CFindDlg* OpenFind()
    {
        dlg->MenuCommand(ID_TOOLS_FIND)->trigger();
        return dlg->findChild<CFindDlg*>();
    }
    // One press: the selected name, or kNothing when the window said so.
    QString Press(CFindDlg& find)
    {
        prompt.Clear();
        QTest::mouseClick(find.Control(CFindDlg::IDC_FIND_NEXT), Qt::LeftButton);
        if (!prompt.ShownSoFar().empty()) {
            EXPECT_EQ(prompt.ShownSoFar().back().text, LoadText(IDS_FIND_NOTHING));
            EXPECT_EQ(prompt.ShownSoFar().back().icon, PromptIcon::Information);
            return kNothing;
        }
        return dlg->CallLog().SelectedName();
    }

    CScriptedPrompt prompt;
    WorkFolder folder;
    std::unique_ptr<CMainDlg> dlg;
};

TEST_F(MainWindowFind, PressesFollowTheListOrderNotesAndTheOneTimeWrap)
{
    struct Case {
        const char* what;
        int sortColumn;  // -1: the list as loaded
        const char* text;
        bool inNotes;
        std::vector<QString> presses;
    };
    const Case cases[] = {
        {"case folded beyond ASCII, notes searched", -1, "ärz", true,
         {"Ärzte Termin", "Budget", kNothing, "Ärzte Termin"}},
        {"notes skipped when unchecked", -1, "ärz", false, {"Ärzte Termin", kNothing}},
        {"a first match on the last row starts again at the top, once", -1, "ZAHN", true,
         {"Zahnarzt", "Zahnarzt", kNothing, "Zahnarzt"}},
        {"display order after a header click (oldest first)", 2, "e", false, {"Budget", "Ärzte Termin", kNothing}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        if (c.sortColumn >= 0)
            dlg->CallLog().OnColumnClick(c.sortColumn);
        CFindDlg* find = OpenFind();
        ASSERT_NE(find, nullptr);
        qobject_cast<QLineEdit*>(find->Control(CFindDlg::IDC_FIND_TEXT))->setText(QString::fromUtf8(c.text));
        qobject_cast<QCheckBox*>(find->Control(CFindDlg::IDC_FIND_IN_NOTES))->setChecked(c.inNotes);
        std::vector<QString> got;
        for (std::size_t i = 0; i < c.presses.size(); ++i)
            got.push_back(Press(*find));
        EXPECT_EQ(got, c.presses);
        EXPECT_EQ(dlg->CallLog().Model().Count(), 3);
        TearDown();
    }
}

TEST_F(MainWindowFind, OneWindowThatEscapeKeepsAndCancelOnlyHides)
{
    CFindDlg* find = OpenFind();
    ASSERT_NE(find, nullptr);
    auto* text = qobject_cast<QLineEdit*>(find->Control(CFindDlg::IDC_FIND_TEXT));
    EXPECT_FALSE(find->Control(CFindDlg::IDC_FIND_NEXT)->isEnabled());
    EXPECT_TRUE(qobject_cast<QCheckBox*>(find->Control(CFindDlg::IDC_FIND_IN_NOTES))->isChecked());
    QTest::keyClicks(text, QStringLiteral("budget"));
    ASSERT_TRUE(find->Control(CFindDlg::IDC_FIND_NEXT)->isEnabled());
    EXPECT_EQ(Press(*find), QStringLiteral("Budget"));

    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_TRUE(find->isVisible()) << "Escape goes to the focused control only";
    QTest::mouseClick(find->Control(CFindDlg::IDC_FIND_CANCEL), Qt::LeftButton);
    EXPECT_FALSE(find->isVisible());

    // Shown again: the same window, its text selected for typing over, its place kept.
    EXPECT_EQ(OpenFind(), find);
    EXPECT_EQ(dlg->findChildren<CFindDlg*>().size(), 1);
    EXPECT_TRUE(find->isVisible());
    EXPECT_EQ(text->selectedText(), QStringLiteral("budget"));
    EXPECT_EQ(find->NextRow(), 2);
    text->clear();
    EXPECT_FALSE(find->Control(CFindDlg::IDC_FIND_NEXT)->isEnabled());
}

}  // namespace
}  // namespace sonvelle

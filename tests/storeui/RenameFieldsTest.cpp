#include "resources/StringTable.h"
#include "store/RecordingInfoEditor.h"
#include "store/RecordingList.h"
#include "storeui/RecordingInfoFields.h"
#include "tests/store/WorkFolderTest.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace sonvelle {
namespace {

using testing::WorkFolderTest;

// The editor behind real edit controls, wired as the main window wires them.
class RenameWithRealFields : public WorkFolderTest {
protected:
    void SetUp() override
    {
        WorkFolderTest::SetUp();
        WriteFile("Call 1.mp3", "\xFF\xFB\x50\xC4 audio");
        ASSERT_TRUE(m_list.Load(m_folder));
        ASSERT_EQ(m_list.GetCount(), 1);
        m_list.GetAt(0)->m_strNotes = "old notes";
        QObject::connect(m_name, &QLineEdit::textEdited, [this] { m_editor.OnFieldChanged(InfoField::Name); });
        QObject::connect(m_notes, &QPlainTextEdit::textChanged, [this] { m_editor.OnFieldChanged(InfoField::Notes); });
        m_window.show();
        m_editor.OnSelectionChanged("Call 1");
    }

    CRecordingList m_list;
    QWidget m_window;
    QLineEdit* m_name = new QLineEdit(&m_window);
    QPlainTextEdit* m_notes = new QPlainTextEdit(&m_window);
    QPushButton* m_save = new QPushButton(&m_window);
    QStringList m_rows;
    CRecordingInfoFields m_fields{m_name, m_notes, m_save,
        [this](const QString& old, const CRecordingEntry& e) { m_rows << old + ">" + e.m_strName; },
        [](const CRecordingEntry&) {}};
    CRecordingInfoEditor m_editor{m_fields, m_list};
};

TEST_F(RenameWithRealFields, TypedNameIsFilteredAndSavedByTheButton)
{
    m_name->setFocus();
    m_name->end(false);
    QTest::keyClicks(m_name, "?x");
    EXPECT_EQ(m_name->text(), "Call 1x");
    EXPECT_EQ(m_name->cursorPosition(), 7);
    EXPECT_TRUE(m_name->isModified());
    EXPECT_TRUE(m_save->isEnabled());

    m_editor.OnSaveButton();
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    EXPECT_EQ(m_rows, QStringList{"Call 1>Call 1x"});
    EXPECT_TRUE(Exists("Call 1x.mp3"));
    EXPECT_FALSE(m_save->isEnabled());

    // A refused name goes back to the recording's and takes the focus.
    m_name->selectAll();
    QTest::keyClick(m_name, Qt::Key_Backspace);
    m_notes->setFocus();
    m_editor.OnSaveButton();
    EXPECT_EQ(ShownTexts(), QStringList{LoadText(IDS_NAME_EMPTY)});
    EXPECT_EQ(m_name->text(), "Call 1x");
    EXPECT_FALSE(m_name->isModified());
    EXPECT_EQ(m_window.focusWidget(), m_name);
}

}  // namespace
}  // namespace sonvelle

// Deleting and protecting recordings through the real window, a stand-in typing
// the key word; the working copies a crash leaves.

#include "app/RecordingSalvage.h"
#include "audio/SoundPlayer.h"
#include "mainwnd/CallLogModel.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "resources/StringTable.h"
#include "storeui/KeyWordDialogs.h"
#include "support/TagBytes.h"
#include "WorkFolderFixture.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace sonvelle {
namespace {

using testing::WorkFolder;

// The stand-in for the person: types the next word into every field of whichever key word dialog comes, until it closes.
void Typist(QStringList words)
{
    SetKeyWordDialogRunner([words](QDialog& dialog) mutable {
        while (!words.isEmpty() && dialog.result() != QDialog::Accepted) {
            const QString word = words.takeFirst();
            for (auto* field : dialog.findChildren<QLineEdit*>()) {
                field->clear();
                QTest::keyClicks(field, word);
            }
            if (auto* ok = dialog.findChild<QPushButton*>("1066"); ok->isEnabled())
                ok->click();
        }
        return dialog.result();
    });
}

class DeleteAndProtect : public testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        // Never the real trash.
        qputenv("HOME", QFile::encodeName(folder.Path() + "home"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder.Path() + "home/data"));
        // Newest first: the rows are Call 1 .. Call 5.
        for (int i = 1; i <= 5; ++i)
            folder.Add({QStringLiteral("Call %1").arg(i), COleDateTime(2024, 3, 10 - i, 9, 0, 0), 1});
        OpenWindow();
    }
    void TearDown() override
    {
        SetKeyWordDialogRunner({});
        WindowFixture::TearDown();
    }

    QTreeView* List() { return static_cast<QTreeView*>(dlg->Control(IDC_CALL_LOG)); }
    CCallLogModel& Model() { return dlg->CallLog().Model(); }
    void Select(const QStringList& names)
    {
        List()->selectionModel()->clear();
        for (const QString& name : names)
            List()->selectionModel()->select(Model().index(Model().FindByNameIgnoringCase(name), 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString Protected(const QString& name)
    {
        return Model().Row(Model().FindByNameIgnoringCase(name)).text[COL_PROTECTED];
    }
    bool Playing()
    {
        std::uint32_t length = 0, position = 0;
        dlg->RecordingEngine().RecordingsPlayer().GetStatus(length, position);
        return length > 0;
    }
    QStringList WorkingCopies() { return QDir(folder.Path()).entryList({"*.snx"}, QDir::Files); }
};

TEST_F(DeleteAndProtect, DeleteAsksOnceTrashesTheFilesAndSelectsTheRowAfter)
{
    // One recording, by the Delete key; answering No changes nothing.
    Select({"Call 2"});
    prompt.Answer(PromptResult::No);
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(Shown(true), QStringList{"Delete Call 2 ?"});
    EXPECT_EQ(Model().Count(), 5);

    // A recording in progress among three: refused once, the two others go to the trash.
    const QString runningName = dlg->CallLog().Catalogue().CreateEntry()->m_strName;
    dlg->RecordingWindow().InsertRowAtTop(*Entry(runningName), false);
    Select({runningName, "Call 2", "Call 3"});
    prompt.Answer(PromptResult::Ok);
    dlg->DeleteSelected();
    EXPECT_EQ(Shown(true), (QStringList{LoadText(IDS_IN_USE_DELETE), "Delete 2 selected recordings?"}));
    EXPECT_EQ(Names(), (QStringList{runningName, "Call 1", "Call 4", "Call 5"}));
    EXPECT_EQ(dlg->CallLog().SelectedName(), "Call 4");
    EXPECT_TRUE(QFile::exists(folder.Path() + "home/data/Trash/files/Call 3.mp3"));

    // The playing recording stops before its file goes; the last rows leave no selection.
    Select({"Call 5"});
    dlg->PlaySelected();
    ASSERT_TRUE(Playing());
    Select({"Call 4", "Call 5"});
    dlg->DeleteSelected();
    EXPECT_FALSE(dlg->RecordingControl().IsPlayingOrPaused());
    EXPECT_FALSE(Playing());
    EXPECT_EQ(Names(), (QStringList{runningName, "Call 1"}));
    EXPECT_EQ(dlg->CallLog().SelectedRow(), -1);
}

TEST_F(DeleteAndProtect, AProtectedRecordingPlaysFromItsWorkingCopyAndComesBackIntact)
{
    const QByteArray& audio = testing::ToneMp3();
    // "*" is refused even when long enough; the dialog stays until a good key word.
    Select({"Call 3"});
    Typist({"secret*word", "secret"});
    dlg->ProtectSelected();
    EXPECT_EQ(Shown(true), QStringList{LoadText(IDS_KEYWORD_ASTERISK)});
    EXPECT_EQ(Protected("Call 3"), "Si");
    const QByteArray stored = test::ReadBytes(folder.Path() + "Call 3.mp3");
    EXPECT_NE(stored.right(audio.size()), audio);

    // Playing asks for the key word (a wrong one first) and plays the deciphered copy.
    Typist({"secreT", "secret"});
    dlg->PlaySelected();
    EXPECT_EQ(Shown(true), QStringList{LoadText(IDS_KEYWORD_WRONG)});
    EXPECT_TRUE(Playing());
    EXPECT_EQ(test::ReadBytes(folder.Path() + "Call 3.snx"), audio);
    EXPECT_EQ(test::ReadBytes(folder.Path() + "Call 3.mp3"), stored);
    dlg->RecordingControl().OnStopPlaying();
    EXPECT_TRUE(WorkingCopies().isEmpty());

    // A cancelled key word plays nothing; a copy left at the close goes.
    Typist({});
    dlg->PlaySelected();
    EXPECT_FALSE(Playing());
    Typist({"secret"});
    dlg->PlaySelected();
    dlg->RecordingControl().OnPause();
    ASSERT_EQ(WorkingCopies(), QStringList{"Call 3.snx"});
    dlg->RemoveWorkingCopies();
    EXPECT_TRUE(WorkingCopies().isEmpty());
    dlg->RecordingControl().OnStopPlaying();

    // The same command takes the protection off again; several rows get one key word.
    Typist({"secret"});
    dlg->ProtectSelected();
    EXPECT_EQ(test::ReadBytes(folder.Path() + "Call 3.mp3").right(audio.size()), audio);
    EXPECT_EQ(Protected("Call 3"), "No");
    Select({"Call 1", "Call 2"});
    Typist({"shared key"});
    dlg->ProtectSelected();
    for (const QString name : {"Call 1", "Call 2"})
        EXPECT_NE(test::ReadBytes(folder.Path() + name + ".mp3").right(audio.size()), audio) << name.toStdString();
    EXPECT_TRUE(Shown().isEmpty());
}

// At the next start after a crash: a working copy goes, a segment that only
// shares a recording's name is kept as a recording of its own.
TEST(WorkingCopyLeftByACrash, IsToldApartFromASegmentByTheRecordingBesideIt)
{
    WorkFolder folder;
    folder.Add({"TEM1A2B", COleDateTime(2024, 3, 1, 9, 0, 0), 1, {}, true});
    folder.Add({"TEM1A2C", COleDateTime(2024, 3, 1, 9, 0, 0), 1});
    for (const char* copy : {"TEM1A2B.snx", "TEM1A2C.snx"})
        ASSERT_TRUE(test::WriteBytes(folder.Path() + copy, testing::ToneMp3()));
    EXPECT_EQ(CRecordingSalvage(folder.Path()).Run().size(), 1);
    EXPECT_TRUE(QDir(folder.Path()).entryList({"*.snx"}, QDir::Files).isEmpty());
    EXPECT_EQ(QDir(folder.Path()).entryList({"*.mp3"}, QDir::Files).size(), 3);
}

}  // namespace
}  // namespace sonvelle

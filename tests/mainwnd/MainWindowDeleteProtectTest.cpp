// Deleting and protecting recordings through the real window: the questions
// asked, the files left in the trash and the folder, the rows and selection,
// and playing a protected recording with a stand-in typing the key word.

#include "app/RecordingSalvage.h"
#include "audio/SoundPlayer.h"
#include "mainwnd/CallLogModel.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"
#include "store/RecordingProtection.h"
#include "storeui/KeyWordDialogs.h"
#include "support/EventWait.h"
#include "WorkFolderFixture.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace sonvelle {
namespace {

using testing::WorkFolder;

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class DeleteAndProtect : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir().mkpath(home.path() + "/data"));
        for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
            const char* old = std::getenv(name);
            saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("HOME", home.path().toUtf8().constData(), 1);
        setenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8().constData(), 1);
        // Newest first: the rows are Call 1 .. Call 5.
        for (int i = 1; i <= 5; ++i)
            folder.Add({QStringLiteral("Call %1").arg(i), COleDateTime(2024, 3, 10 - i, 9, 0, 0), 1});
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = folder.Path();
        dlg->InitialiseWindowOnly();
        ASSERT_EQ(Rows(), (QStringList{"Call 1", "Call 2", "Call 3", "Call 4", "Call 5"}));
        SetPrompt(&prompt);
    }
    void TearDown() override
    {
        SetKeyWordDialogRunner({});
        SetPrompt(nullptr);
        dlg.reset();
        for (const auto& [name, value] : saved) {
            if (value)
                setenv(name, value->c_str(), 1);
            else
                unsetenv(name);
        }
    }

    QTreeView* List() { return static_cast<QTreeView*>(dlg->Control(IDC_CALL_LOG)); }
    QStringList Rows()
    {
        QStringList names;
        for (int i = 0; i < dlg->CallLog().Model().Count(); ++i)
            names << dlg->CallLog().Model().Row(i).text[COL_NAME];
        return names;
    }
    void Select(const QStringList& names)
    {
        List()->selectionModel()->clear();
        for (const QString& name : names) {
            const int row = dlg->CallLog().Model().FindByNameIgnoringCase(name);
            ASSERT_GE(row, 0) << name.toStdString();
            List()->selectionModel()->select(dlg->CallLog().Model().index(row, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
            List()->selectionModel()->setCurrentIndex(dlg->CallLog().Model().index(row, 0), QItemSelectionModel::NoUpdate);
        }
    }
    QStringList Shown()
    {
        QStringList texts;
        for (const auto& shown : prompt.ShownSoFar())
            texts << shown.text;
        prompt.Clear();
        return texts;
    }
    QString Trashed(const QString& fileName)
    {
        const QByteArray info = Bytes(home.path() + "/data/Trash/info/" + fileName + ".trashinfo");
        const qsizetype at = info.indexOf("Path=");
        return at < 0 ? QString() : QUrl::fromPercentEncoding(info.mid(at + 5, info.indexOf('\n', at) - at - 5));
    }
    CRecordingEntry& Entry(const QString& name) { return *dlg->CallLog().Catalogue().FindByName(name); }
    bool Playing()
    {
        std::uint32_t length = 0, position = 0;
        dlg->RecordingEngine().RecordingsPlayer().GetStatus(length, position);
        return length > 0;
    }
    QStringList WorkingCopies() { return QDir(folder.Path()).entryList({"*.snx"}, QDir::Files); }

    // The stand-in for the person: types the next key words of the script into whichever dialog comes.
    void TypeKeyWords(QStringList script)
    {
        SetKeyWordDialogRunner([this, script](QDialog& dialog) mutable {
            auto* ok = dialog.findChild<QPushButton*>("1066");
            while (!script.isEmpty() && dialog.result() != QDialog::Accepted) {
                const QString typed = script.takeFirst();
                for (auto* field : dialog.findChildren<QLineEdit*>()) {
                    field->clear();
                    QTest::keyClicks(field, typed);
                }
                if (ok->isEnabled())
                    ok->click();
            }
            return dialog.result();
        });
    }

    QTemporaryDir home;
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    WorkFolder folder;
    std::unique_ptr<CMainDlg> dlg;
    CScriptedPrompt prompt;
};

TEST_F(DeleteAndProtect, DeleteAsksOnceTrashesTheFilesAndSelectsTheRowAfter)
{
    // One recording, by the Delete key; answering No changes nothing.
    Select({"Call 2"});
    prompt.Answer(PromptResult::No);
    QTest::keyClick(List(), Qt::Key_Delete);
    ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(prompt.ShownSoFar()[0].caption, LoadText(IDS_DELETE_BUTTON));
    EXPECT_EQ(prompt.ShownSoFar()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(Shown(), QStringList{"Delete Call 2 ?"});
    EXPECT_EQ(Rows().size(), 5);

    // A recording in progress among three: refused once, the two others go.
    CRecordingEntry* running = dlg->CallLog().Catalogue().CreateEntry();
    dlg->RecordingWindow().InsertRowAtTop(*running, false);
    const QString runningName = running->m_strName;
    Select({runningName, "Call 2", "Call 3"});
    prompt.Answer(PromptResult::Ok);
    dlg->DeleteSelected();
    EXPECT_EQ(Shown(), (QStringList{LoadText(IDS_IN_USE_DELETE), "Delete 2 selected recordings?"}));
    EXPECT_EQ(Rows(), (QStringList{runningName, "Call 1", "Call 4", "Call 5"}));
    EXPECT_EQ(dlg->CallLog().SelectedName(), "Call 4");
    for (const QString name : {"Call 2", "Call 3"}) {
        EXPECT_FALSE(QFile::exists(folder.Path() + name + ".mp3"));
        EXPECT_EQ(Trashed(name + ".mp3"), folder.Path() + name + ".mp3");
    }
    EXPECT_EQ(dlg->CallLog().Catalogue().GetCount(), 4);

    // The playing recording stops before its file goes; the last rows leave no selection.
    Select({"Call 5"});
    dlg->PlaySelected();
    ASSERT_TRUE(Playing());
    Select({"Call 4", "Call 5"});
    dlg->DeleteSelected();
    EXPECT_EQ(Shown(), QStringList{"Delete 2 selected recordings?"});
    EXPECT_FALSE(dlg->RecordingControl().IsPlayingOrPaused());
    EXPECT_FALSE(Playing());
    EXPECT_EQ(Rows(), (QStringList{runningName, "Call 1"}));
    EXPECT_EQ(dlg->CallLog().SelectedRow(), -1);
    EXPECT_EQ(Trashed("Call 5.mp3"), folder.Path() + "Call 5.mp3");

    // The index holds the deleted marks: a fresh load lists what is left.
    dlg->CallLog().SavePending();
    CRecordingList reloaded;
    dlg.reset();
    ASSERT_TRUE(reloaded.Load(folder.Path()));
    ASSERT_EQ(reloaded.GetCount(), 1);
    EXPECT_EQ(reloaded.GetAt(0)->m_strName, "Call 1");
}

TEST_F(DeleteAndProtect, AProtectedRecordingPlaysFromItsWorkingCopyAndComesBackIntact)
{
    const QByteArray clear = Bytes(folder.Path() + "Call 3.mp3");
    const qsizetype audioStart = clear.size() - testing::ToneMp3().size();

    // "*" is refused even when long enough; the dialog stays until a good key word.
    Select({"Call 3"});
    TypeKeyWords({"secret*word", "secret"});
    dlg->ProtectSelected();
    EXPECT_EQ(Shown(), QStringList{LoadText(IDS_KEYWORD_ASTERISK)});
    EXPECT_EQ(Entry("Call 3").m_bProtected, true);
    const int row = dlg->CallLog().Model().FindByNameIgnoringCase("Call 3");
    EXPECT_EQ(dlg->CallLog().Model().Row(row).text[COL_PROTECTED], "Si");
    EXPECT_EQ(dlg->CallLog().Model().Row(row).image, 3);
    const QByteArray stored = Bytes(folder.Path() + "Call 3.mp3");
    EXPECT_NE(stored.right(testing::ToneMp3().size()), testing::ToneMp3());

    // Playing asks for the key word (a wrong one first) and plays the deciphered copy.
    int asked = 0;
    SetKeyWordDialogRunner([&](QDialog& dialog) {
        auto* field = dialog.findChild<QLineEdit*>("1067");
        QTest::keyClicks(field, ++asked == 1 ? "secreT" : "secret");
        dialog.findChild<QPushButton*>("1066")->click();
        return dialog.result();
    });
    dlg->PlaySelected();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Shown(), QStringList{LoadText(IDS_KEYWORD_WRONG)});
    EXPECT_EQ(dlg->RecordingControl().State(), RecorderState::Playing);
    EXPECT_TRUE(Playing());
    EXPECT_EQ(WorkingCopies(), QStringList{"Call 3.snx"});
    EXPECT_EQ(Bytes(folder.Path() + "Call 3.snx"), testing::ToneMp3());
    EXPECT_EQ(Bytes(folder.Path() + "Call 3.mp3"), stored);
    dlg->RecordingControl().OnStopPlaying();
    EXPECT_TRUE(WorkingCopies().isEmpty());

    // A cancelled key word plays nothing; a close removes a copy left behind.
    SetKeyWordDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
    dlg->PlaySelected();
    EXPECT_FALSE(Playing());
    EXPECT_TRUE(WorkingCopies().isEmpty());
    Entry("Call 3").m_strKeyWord = "secret";
    ASSERT_TRUE(Unprotect(Entry("Call 3"), true));
    dlg->RemoveWorkingCopies();
    EXPECT_TRUE(WorkingCopies().isEmpty());

    // Removing the protection gives the same audio back behind a fresh tag.
    SetKeyWordDialogRunner([](QDialog& dialog) {
        QTest::keyClicks(dialog.findChild<QLineEdit*>("1067"), "secret");
        dialog.findChild<QPushButton*>("1066")->click();
        return dialog.result();
    });
    Select({"Call 3"});
    dlg->ProtectSelected();
    EXPECT_FALSE(Entry("Call 3").m_bProtected);
    const QByteArray back = Bytes(folder.Path() + "Call 3.mp3");
    EXPECT_EQ(back.right(testing::ToneMp3().size()), clear.mid(audioStart));
    EXPECT_EQ(dlg->CallLog().Model().Row(dlg->CallLog().Model().FindByNameIgnoringCase("Call 3")).text[COL_PROTECTED], "No");

    // Several rows get one key word.
    Select({"Call 1", "Call 2"});
    TypeKeyWords({"shared key"});
    dlg->ProtectSelected();
    for (const QString name : {"Call 1", "Call 2"}) {
        EXPECT_TRUE(Entry(name).m_bProtected);
        Entry(name).m_strKeyWord = "shared key";
        EXPECT_TRUE(Unprotect(Entry(name), true)) << name.toStdString();
    }
    dlg->RemoveWorkingCopies();
    EXPECT_TRUE(WorkingCopies().isEmpty());
    EXPECT_TRUE(Shown().isEmpty());
}

// At the next start after a crash: a working copy goes, a segment that only
// shares a recording's name is kept as a recording of its own.
TEST(WorkingCopyLeftByACrash, IsToldApartFromASegmentByTheRecordingBesideIt)
{
    WorkFolder folder;
    folder.Add({"Call 3", COleDateTime(2024, 3, 1, 9, 0, 0), 1, {}, {}, true});
    folder.Add({"TEM1A2B", COleDateTime(2024, 3, 1, 9, 0, 0), 1, {}, {}, true});
    folder.Add({"TEM1A2C", COleDateTime(2024, 3, 1, 9, 0, 0), 1});
    for (const char* copy : {"Call 3.snx", "TEM1A2B.snx", "TEM1A2C.snx"}) {
        QFile file(folder.Path() + copy);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(testing::ToneMp3());
    }
    const QStringList salvaged = CRecordingSalvage(folder.Path()).Run();
    EXPECT_EQ(salvaged.size(), 1);
    EXPECT_TRUE(QDir(folder.Path()).entryList({"*.snx"}, QDir::Files).isEmpty());
    EXPECT_EQ(QDir(folder.Path()).entryList({"*.mp3"}, QDir::Files).size(), 4);
}

}  // namespace
}  // namespace sonvelle

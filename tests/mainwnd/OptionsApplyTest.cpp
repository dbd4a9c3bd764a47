// The Options command on the real window, offscreen: the sheet is answered as
// a person would, then the window applies what the settings hold.

#include "app/AppSettings.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "options/CDlgImpostazioniAvanzate.h"
#include "options/COpzionePropertySheet.h"
#include "options/OptionsPageIds.h"
#include "options/OptionsRegistry.h"
#include "platform/Message.h"

#include "WorkFolderFixture.h"
#include "support/EventWait.h"
#include "support/TestFolders.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <utility>

using namespace sonvelle;
using namespace sonvelle::testing;
using namespace std::chrono_literals;

namespace {

class OptionsApply : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        folder.Add({"Morning call", COleDateTime(2024, 3, 1, 9, 0, 0), 2});
        folder.Add({"Evening call", COleDateTime(2024, 3, 1, 19, 0, 0), 2});
        CRegKey key;
        ASSERT_TRUE(key.Create(Hive::CurrentUser, SettingsKeyPath()));
        Store(ESetting::WorkDir, folder.Path());
        Store(ESetting::RegAutoSalvaUnicoFile, "0");
        OpenWindow([](CAppSettings& s) { s.RegAutoSalvaUnicoFile = "0"; });
        dlg->RecordingEngine().CreateWorkerThreads();
        dlg->RecordingControl().SetSleepForTesting([](int) {});
    }
    static void Store(ESetting setting, const QString& text)
    {
        COptionsKey key;
        ASSERT_TRUE(key.Open());
        key.Write(setting, text);
    }
    // The Options command, its sheet answered by `act` (which ends with OK or Cancel) as a person would.
    void RunOptions(const std::function<void(COpzionePropertySheet&, CDlgImpostazioniAvanzate&)>& act)
    {
        bool answered = false;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* sheet = qobject_cast<COpzionePropertySheet*>(QApplication::activeModalWidget());
            if (!sheet || std::exchange(answered, true))
                return;
            sheet->ShowPage(1);
            act(*sheet, *sheet->findChild<CDlgImpostazioniAvanzate*>());
        });
        timer.start(20);
        PostMessageTo(dlg.get(), WM_COMMAND, IDC_OPTIONS);
        EXPECT_TRUE(test::WaitUntil([&] { return answered && !QApplication::activeModalWidget(); }, 10s));
    }
    int Restarts() { return test::ReadLog().count("Registrazione automatica riavviata"); }
};

// The index is made again at once, Cancel or not; under a running recording it
// waits, for a reload would drop the recording's own entry.
TEST_F(OptionsApply, RecreateIndexActsAtOnceUnlessARecordingRunsAndCancelStillApplies)
{
    const std::filesystem::path index = (folder.Path() + "Index.txt").toStdString(), old = index.string() + ".old";
    for (bool recording : {true, false}) {
        // A second name for the old index keeps its inode from being reused by the new one.
        std::filesystem::remove(old);
        std::filesystem::create_hard_link(index, old);
        Store(ESetting::Operatore, recording ? "Op1" : "Op2");
        dlg->RecordingControl().SetState(recording ? RecorderState::Recording : RecorderState::Idle);
        RunOptions([](COpzionePropertySheet& sheet, CDlgImpostazioniAvanzate& advanced) {
            qobject_cast<QPushButton*>(advanced.Control(IDC_OPT_REINDEX))->click();
            sheet.PressCancel();
        });
        ASSERT_TRUE(std::filesystem::exists(index));
        EXPECT_EQ(std::filesystem::equivalent(index, old), recording) << "index made again: " << !recording;
        EXPECT_EQ(Names().size(), 2);
        EXPECT_TRUE(dlg->windowTitle().endsWith(recording ? "(Op1)" : "(Op2)")) << dlg->windowTitle().toStdString();
    }
}

TEST_F(OptionsApply, AChangedWorkFolderIsLoadedAlsoWhenOnlyTheCaseDiffers)
{
    QTemporaryDir root;
    for (const QString& sub : {QString("Rec"), QString("rec")})
        ASSERT_TRUE(QDir(root.path()).mkpath(sub));
    const QString upper = root.path() + "/Rec/", lower = root.path() + "/rec/";
    QFile::copy(folder.Path() + "Morning call.mp3", upper + "Upper.mp3");
    QFile::copy(folder.Path() + "Evening call.mp3", lower + "Lower.mp3");
    struct Case {
        QString typed, folder;
        QStringList names;
    } cases[] = {{upper, upper, {"Upper"}}, {lower + "//", lower, {"Lower"}}};
    for (const Case& c : cases) {
        RunOptions([&](COpzionePropertySheet& sheet, CDlgImpostazioniAvanzate& advanced) {
            qobject_cast<QLineEdit*>(advanced.Control(IDC_OPT_WORK_FOLDER))->setText(c.typed);
            EXPECT_TRUE(sheet.PressOK());
        });
        EXPECT_EQ(dlg->AppSettings().WorkDir, c.folder);
        EXPECT_EQ(Names(), c.names) << c.typed.toStdString();
    }
}

TEST_F(OptionsApply, AutoRecordingRestartsOnceForANewModeOrFolderAndNeverWhenOff)
{
    const QString other = folder.Path() + "other/";
    QDir().mkpath(other);
    struct Case {
        bool autoOn, newMode, newFolder;
        int restarts;
    } cases[] = {{true, true, false, 1}, {true, true, true, 1}, {true, false, true, 1}, {true, false, false, 0},
                 {false, true, true, 0}};
    for (const Case& c : cases) {
        const int before = Restarts();
        if (c.autoOn != IsAutoRecordingOn(dlg->RecordingControl().State())) {
            PostMessageTo(dlg.get(), WM_COMMAND, IDC_AUTO_RECORD);
            QApplication::processEvents();
        }
        ASSERT_EQ(IsAutoRecordingOn(dlg->RecordingControl().State()), c.autoOn);
        const QString modeBefore = dlg->AppSettings().RegAutoSalvaUnicoFile;
        const QString mode = c.newMode ? (modeBefore == "1" ? "0" : "1") : modeBefore;
        const QString folderBefore = dlg->AppSettings().WorkDir;
        const QString work = c.newFolder ? (folderBefore == other ? folder.Path() : other) : folderBefore;
        Store(ESetting::RegAutoSalvaUnicoFile, mode);
        Store(ESetting::WorkDir, work);
        dlg->ApplyOptions();
        EXPECT_EQ(Restarts() - before, c.restarts);
        EXPECT_EQ(IsAutoRecordingOn(dlg->RecordingControl().State()), c.autoOn);
        // Switched off, the mode is read again when auto-recording next starts.
        EXPECT_EQ(dlg->AppSettings().RegAutoSalvaUnicoFile, c.autoOn ? mode : modeBefore);
        EXPECT_EQ(dlg->AppSettings().WorkDir, work);
    }
}

}  // namespace

#include "resources/StringTable.h"
#include "skin/CSkinButton.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"
#include "store/RecordingSave.h"
#include "storeui/SaveProgressDlg.h"
#include "storeui/SaveRecordingDlg.h"
#include "support/SoundFiles.h"
#include "tests/store/WorkFolderTest.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <cstring>

namespace sonvelle {
namespace {

using testing::WorkFolderTest;

class SaveDialog : public WorkFolderTest {
protected:
    void SetUp() override
    {
        WorkFolderTest::SetUp();
        m_entry.m_strFolder = m_folder;
        m_entry.m_strName = "Recording 3";
        m_entry.m_strNotes = "from the desk";
        m_entry.SetState(kStateRecording);
        WriteFile("tmp_nome_reg.dtm", m_audio);
        m_dialog.Setup(&m_entry, m_folder, false);
        m_dialog.show();
        QCoreApplication::processEvents();
    }

    void SetName(const QString& text)
    {
        m_dialog.NameField()->selectAll();
        QTest::keyClicks(m_dialog.NameField(), text);
    }
    void PressPlay() { QTest::mouseClick(m_dialog.PlayButton(), Qt::LeftButton); }
    void PressConfirm() { QTest::mouseClick(m_dialog.ConfirmButton(), Qt::LeftButton); }

    CRecordingEntry m_entry;
    const QByteArray m_audio = QByteArray("\xFF\xFB\x50\xC4 just recorded", 18);
    CSaveRecordingDlg m_dialog;
};

TEST_F(SaveDialog, OpensWithTheRecordingFiltersEachKeystrokeAndReportsMissingAudio)
{
    EXPECT_EQ(m_dialog.NotesField()->toPlainText(), "from the desk");
    SetName(" ");
    EXPECT_EQ(m_dialog.NameField()->text(), "");
    EXPECT_FALSE(m_dialog.ConfirmButton()->isEnabled());
    QTest::keyClicks(m_dialog.NameField(), "a?b");
    EXPECT_EQ(m_dialog.NameField()->text(), "ab");
    EXPECT_TRUE(m_dialog.ConfirmButton()->isEnabled());
    // Pasted text is cut from the end until clean, counting bytes and never inside a character.
    m_dialog.NameField()->setText("ab?cd");
    EXPECT_EQ(m_dialog.NameField()->text(), "ab");
    const int room = 260 - int(m_folder.toUtf8().size());
    const QString phone = QString::fromUtf8("\xF0\x9F\x93\x9E");  // 4 bytes, 2 code units
    const std::pair<QString, int> pastes[] = {
        {QString(1 - room % 2, 'x') + QString(300, QChar(0xE8)), room - 1},  // an odd byte left: half an è
        {QString(room - 42, 'x') + phone.repeated(20), room - 2},           // two bytes left: half a phone
    };
    for (const auto& [pasted, bytesShown] : pastes) {
        m_dialog.NameField()->setText(pasted);
        const QString shown = m_dialog.NameField()->text();
        EXPECT_EQ(shown.toUtf8().size(), bytesShown);
        EXPECT_TRUE(shown.isValidUtf16() && pasted.startsWith(shown));
    }

    // Playing audio that is gone says so and plays nothing.
    ASSERT_TRUE(QFile::remove(PathOf("tmp_nome_reg.dtm")));
    PressPlay();
    EXPECT_FALSE(m_dialog.IsPlaying());
    ASSERT_EQ(ShownTexts(), QStringList{LoadText(IDS_RECORDING_FILE_MISSING)});
    EXPECT_EQ(m_prompt.ShownSoFar()[0].icon, PromptIcon::Stop);
    m_prompt.Clear();
    PressConfirm();
    EXPECT_EQ(ShownTexts(), QStringList{LoadText(IDS_TEMP_FILE_PROBLEM)});
    EXPECT_TRUE(m_dialog.isVisible());
    EXPECT_EQ(m_entry.m_strName, "Recording 3");
}

TEST_F(SaveDialog, RefusedNamesKeepItOpenAndReplaceNothingThenOtherCaseSaves)
{
    WriteFile("Recording 2.mp3", "kept");
    for (const char* name : {"Recording 2", "RECORDING 2", "tagTemporary"}) {
        SetName(name);
        QTest::keyClick(m_dialog.NameField(), Qt::Key_Return);
    }
    EXPECT_EQ(ShownTexts(), (QStringList{LoadText(IDS_NAME_EXISTS), LoadText(IDS_NAME_EXISTS), LoadText(IDS_NAME_RESERVED)}));
    EXPECT_TRUE(m_dialog.isVisible());
    EXPECT_EQ(ReadFile("Recording 2.mp3"), "kept");
    EXPECT_EQ(ReadFile("tmp_nome_reg.dtm"), m_audio);

    // The writer's own file is the one saved, into the work folder; the default one stays.
    WriteFile("from writer.snx", "writer's audio");
    m_dialog.SetRecordingFile(PathOf("from writer.snx"));
    m_entry.m_strFolder = "/elsewhere/";
    SetName("TAGTEMPORARY  ");
    m_dialog.NotesField()->setPlainText("  call back");
    PressConfirm();
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_entry.m_strName, "TAGTEMPORARY");
    EXPECT_EQ(m_entry.m_strNotes, "call back");
    EXPECT_EQ(m_entry.m_strFolder, m_folder);
    EXPECT_TRUE(m_entry.m_strKeyWord.isEmpty() && m_dialog.RecordingFile().isEmpty());
    EXPECT_EQ(ReadFile("TAGTEMPORARY.mp3"), "writer's audio");
    EXPECT_EQ(FilesInFolder(), (QStringList{"Recording 2.mp3", "TAGTEMPORARY.mp3", "tmp_nome_reg.dtm"}));
}

// Names the field stops never reach the save from it; should one come another way, it fails as a bad path.
TEST_F(SaveDialog, ANameNoFieldLetsThroughFailsToSaveAsABadPath)
{
    QString file;
    for (const QString& name : {QString(300, 'x'), QString("a?b"), QString("sub/name")})
        EXPECT_FALSE(ConfirmSaveRecording(m_entry, m_folder, file, name, {})) << name.toStdString();
    EXPECT_EQ(ShownTexts(), QStringList(3, LoadText(IDS_NAME_FORBIDDEN_CHARS)));
    // The log says what the system said.
    EXPECT_TRUE(test::ReadLog().contains(QString::fromLocal8Bit(std::strerror(ENAMETOOLONG))));
    EXPECT_EQ(FilesInFolder(), QStringList{"tmp_nome_reg.dtm"});
    EXPECT_EQ(m_entry.GetState(), kStateTagPending);
}

TEST_F(SaveDialog, CancelAndCloseMarkTheRecordingDiscarded)
{
    QTest::mouseClick(m_dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(m_dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(IsRecordingDiscarded(m_entry));
    EXPECT_EQ(ReadFile("tmp_nome_reg.dtm"), m_audio);

    CRecordingEntry other;
    CSaveRecordingDlg closed;
    closed.Setup(&other, m_folder, false);
    closed.show();
    closed.close();
    EXPECT_TRUE(IsRecordingDiscarded(other));
}

// Playing to the end is the player's own (SoundPlayerPlaybackTest).
TEST_F(SaveDialog, SecondPressOrConfirmStopsPlayingAndConfirmStillSaves)
{
    ASSERT_TRUE(test::SoundServerAnswers()) << "no sound server; start one with scripts/sound-server start";
    const QString tone = test::MakeToneMp3(m_dirs.ProgramDir(), "tone", 1.2);
    ASSERT_FALSE(tone.isEmpty());
    WriteFile("tmp_nome_reg.dtm", test::ReadBytes(tone));
    PressPlay();
    ASSERT_TRUE(m_dialog.IsPlaying());
    EXPECT_EQ(m_dialog.PlayButtonBitmaps(), "STOPPLAY");
    PressPlay();
    EXPECT_FALSE(m_dialog.IsPlaying());
    EXPECT_EQ(m_dialog.PlayButtonBitmaps(), "PLAYREC");

    // Confirming while playing stops first and still saves.
    PressPlay();
    ASSERT_TRUE(m_dialog.IsPlaying());
    PressConfirm();
    EXPECT_FALSE(m_dialog.IsPlaying());
    EXPECT_EQ(ReadFile("Recording 3.mp3"), test::ReadBytes(tone));
}

// Keeps what the window showed when SavePending closed it.
class CObservedProgress : public CSaveProgress {
public:
    using CSaveProgress::CSaveProgress;
    void End() override
    {
        if (CSaveProgressDlg* w = Window())
            m_seen.push_back({w->Bar()->maximum(), w->Bar()->value(), w->x(), w->y(), w->isVisible(), w->isModal()});
        CSaveProgress::End();
    }
    std::vector<std::vector<int>> m_seen;
};

using SaveProgress = WorkFolderTest;

TEST_F(SaveProgress, WindowStandsAtHalfTheParentAndIsShownOnlyForMoreThanTwoTags)
{
    QWidget main;
    main.resize(600, 400);
    main.show();
    CRecordingList list;
    ASSERT_TRUE(list.Load(m_folder));
    std::vector<CRecordingEntry*> entries;
    for (int i = 0; i < 4; ++i) {
        entries.push_back(list.CreateEntry());
        WriteFile(entries.back()->m_strName + ".mp3", "\xFF\xFB\x50\xC4 audio");
    }
    CObservedProgress observed(&main);
    for (std::size_t pending : {2u, 3u}) {
        for (std::size_t i = 0; i < pending; ++i)
            entries[i]->SetState(kStateTagPending);
        EXPECT_TRUE(list.SavePending(&observed));
    }
    // One window, for the three tags; not modal: the main window goes on while tags are written.
    EXPECT_EQ(observed.m_seen, (std::vector<std::vector<int>>{{4, 3, 300, 200, true, false}}));
    EXPECT_EQ(observed.Window(), nullptr);
}

}  // namespace
}  // namespace sonvelle

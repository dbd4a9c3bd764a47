// The options sheet opened as the Options command opens it, over settings of
// the test's own, driven as a person would, offscreen: what OK stores (and a
// fresh start reads back), what it refuses, what Cancel leaves, the choosers;
// and the General page on the private sound server, as pactl reports it.

#include "app/SettingsStore.h"
#include "audio/Mixer.h"
#include "options/CDlgImpostazioniAvanzate.h"
#include "options/CDlgSetImpostazioni.h"
#include "options/COpzionePropertySheet.h"
#include "options/OptionsChooser.h"
#include "options/OptionsPageIds.h"
#include "options/OptionsRegistry.h"
#include "platform/Autostart.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include "support/Pactl.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <deque>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

class CAnsweringChooser : public IOptionsChooser {
public:
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString& start) override
    {
        folderStarts << start;
        return folder;
    }
    std::optional<QString> ChooseSoundFile(QWidget*, const QString&) override
    {
        ++fileCalls;
        auto answer = files.empty() ? std::nullopt : files.front();
        if (!files.empty())
            files.pop_front();
        return answer;
    }
    std::optional<QString> folder;
    QStringList folderStarts;
    std::deque<std::optional<QString>> files;
    int fileCalls = 0;
};

class OptionsSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPrompt(&prompt);
        SetOptionsChooser(&chooser);
        CAppSettings settings;
        CSettingsStore(settings).LoadAtStartup(folders.ProgramDir());  // the key and its defaults
        QDir().mkpath(folders.WorkDir());
        Store(ESetting::WorkDir, folders.WorkDir());
    }
    void TearDown() override
    {
        sheet.reset();
        SetOptionsChooser(nullptr);
        SetPrompt(nullptr);
    }
    void Open(int page = 0)
    {
        sheet.reset();
        general = std::make_unique<CDlgSetImpostazioni>();
        general->SetMixerSwitches(&switches);
        advanced = std::make_unique<CDlgImpostazioniAvanzate>();
        advanced->SetContext(folders.ProgramDir(), nullptr);
        sheet = std::make_unique<COpzionePropertySheet>(*general, *advanced);
        sheet->Begin();
        sheet->ShowPage(page);
    }
    template <class T> T* G(int id) { return qobject_cast<T*>(general->Control(id)); }
    template <class T> T* A(int id) { return qobject_cast<T*>(advanced->Control(id)); }
    static std::optional<QString> Stored(ESetting setting)
    {
        COptionsKey key;
        return key.Open() ? key.Read(setting, 100000) : std::nullopt;
    }
    static void Store(ESetting setting, const QString& text)
    {
        COptionsKey key;
        ASSERT_TRUE(key.Open());
        key.Write(setting, text);
    }
    QStringList Shown() const
    {
        QStringList texts;
        for (const auto& shown : prompt.ShownSoFar())
            texts << shown.text;
        return texts;
    }
    QString MakeFile(const QString& name)
    {
        QFile f(folders.Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return f.fileName();
    }

    CServerVolumesKept volumes;  // opening the page sets the microphone; later suites record from it
    CTestFolders folders;
    CScriptedPrompt prompt;
    CAnsweringChooser chooser;
    std::vector<std::uint32_t> switches;
    std::unique_ptr<CDlgSetImpostazioni> general;
    std::unique_ptr<CDlgImpostazioniAvanzate> advanced;
    std::unique_ptr<COpzionePropertySheet> sheet;  // goes first: it lets go of the pages
};

TEST_F(OptionsSheet, OkStoresOnlyThePagesShownCancelNothingAndAnEmptySilenceIsRefused)
{
    Store(ESetting::Operatore, "Anna");
    Open();
    G<QLineEdit>(IDC_OPT_SILENCE)->setText("20");
    EXPECT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::TempoAttesaRegAuto), "20");
    EXPECT_EQ(Stored(ESetting::WorkDir), folders.WorkDir());
    EXPECT_EQ(Stored(ESetting::Operatore), "Anna");
    EXPECT_FALSE(CSettingsStore::HasStartupEntry()) << "an unseen page wrote the start-up entry";

    Open(1);
    G<QLineEdit>(IDC_OPT_SILENCE)->setText("30");
    A<QLineEdit>(IDC_OPT_OPERATOR)->setText("Bruno");
    sheet->PressCancel();
    EXPECT_EQ(Stored(ESetting::TempoAttesaRegAuto), "20");
    EXPECT_EQ(Stored(ESetting::Operatore), "Anna");

    Open();
    G<QLineEdit>(IDC_OPT_SILENCE)->clear();
    G<QSlider>(IDC_OPT_SENSITIVITY)->setValue(4000);
    EXPECT_FALSE(sheet->PressOK());
    EXPECT_EQ(Shown().filter(LoadText(IDS_SILENCE_SECONDS_MISSING)).size(), 1);
    EXPECT_EQ(general->RefusedField(), general->Control(IDC_OPT_SILENCE));
    EXPECT_EQ(Stored(ESetting::SogliaAttivazioneRegAuto), "15000");
}

TEST_F(OptionsSheet, SingleFileDisablesBothChecksAndStoresThemOff)
{
    for (auto [setting, text] : {std::pair{ESetting::RegAutoSalvaUnicoFile, "0"}, {ESetting::ChiediConfermaAutoRec, "1"},
                                 {ESetting::AntiBump, "1"}})
        Store(setting, text);
    Open();
    auto* confirm = G<QCheckBox>(IDC_OPT_CONFIRM);
    auto* antiBump = G<QCheckBox>(IDC_OPT_ANTI_BUMP);
    ASSERT_TRUE(confirm->isEnabled() && confirm->isChecked() && antiBump->isEnabled() && antiBump->isChecked());
    G<QRadioButton>(IDC_OPT_ONE_FILE)->click();
    EXPECT_FALSE(confirm->isEnabled() || antiBump->isEnabled());
    ASSERT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::RegAutoSalvaUnicoFile), "1");
    EXPECT_EQ(Stored(ESetting::ChiediConfermaAutoRec), "0");
    EXPECT_EQ(Stored(ESetting::AntiBump), "0");
}

TEST_F(OptionsSheet, WorkFolderIsStoredWithExactlyOneSeparatorOrRefused)
{
    const QString work = folders.Path("other");
    QDir().mkpath(work);
    const std::pair<QString, bool> cases[] = {{work, true},           {work + "/", true},          {work + "///", true},
                                              {work + "/gone", false}, {MakeFile("f.txt"), false}, {"", false}};
    for (const auto& [typed, accepted] : cases) {
        Store(ESetting::WorkDir, folders.WorkDir());
        Open(1);
        prompt.Clear();
        A<QLineEdit>(IDC_OPT_WORK_FOLDER)->setText(typed);
        EXPECT_EQ(sheet->PressOK(), accepted) << typed.toStdString();
        EXPECT_EQ(Stored(ESetting::WorkDir), accepted ? work + "/" : folders.WorkDir()) << typed.toStdString();
        EXPECT_EQ(Shown(), accepted ? QStringList{} : QStringList{LoadText(IDS_FOLDER_INVALID)});
    }
}

TEST_F(OptionsSheet, WarningSoundFileIsCheckedOnlyWhileTheSoundIsOn)
{
    struct Case {
        bool soundOn;
        const char* name;
        bool exists;
        int refusal;  // 0: accepted
    } cases[] = {{true, "a.Wav", true, 0}, {true, "a.wAV", true, IDS_WARNING_BAD_FORMAT},
                 {true, "gone.wav", false, IDS_WARNING_INVALID}, {false, "gone.xyz", false, 0}};
    for (const Case& c : cases) {
        const QString path = c.exists ? MakeFile(c.name) : folders.Path(c.name);
        Store(ESetting::SegnaleAcusticoFile, "before");
        Store(ESetting::AbilitaSegnaleAcustico, "0");
        Open(1);
        prompt.Clear();
        A<QCheckBox>(IDC_OPT_WARNING)->setChecked(c.soundOn);
        A<QLineEdit>(IDC_OPT_SOUND_FILE)->setText(path);
        EXPECT_EQ(sheet->PressOK(), c.refusal == 0) << c.name;
        EXPECT_EQ(Stored(ESetting::SegnaleAcusticoFile), c.refusal ? "before" : path) << c.name;
        // What comes before the check stays stored either way.
        EXPECT_EQ(Stored(ESetting::AbilitaSegnaleAcustico), c.soundOn ? "1" : "0") << c.name;
        EXPECT_EQ(Shown(), c.refusal ? QStringList{LoadText(c.refusal)} : QStringList{}) << c.name;
    }
}

TEST_F(OptionsSheet, ChoosersStartFromTheFieldAndACancelledFolderChoiceStillEndsARealignment)
{
    Store(ESetting::Riallinea, "1");
    Open(1);
    auto* folder = A<QLineEdit>(IDC_OPT_WORK_FOLDER);
    A<QPushButton>(IDC_OPT_BROWSE_FOLDER)->click();
    EXPECT_EQ(folder->text(), folders.WorkDir());
    EXPECT_EQ(Stored(ESetting::Riallinea), "0");
    folder->setText(folders.Path("nowhere"));
    chooser.folder = folders.Path("picked/");
    A<QPushButton>(IDC_OPT_BROWSE_FOLDER)->click();
    EXPECT_EQ(chooser.folderStarts, (QStringList{folders.Path("work"), ""}));
    EXPECT_EQ(folder->text(), folders.Path("picked"));

    prompt.Clear();
    chooser.files = {folders.Path("gone.wav"), MakeFile("s.wAv"), MakeFile("s.Mp3"), std::nullopt};
    A<QCheckBox>(IDC_OPT_WARNING)->click();
    for (int press = 0; press < 2; ++press)  // the second press is cancelled
        A<QPushButton>(IDC_OPT_BROWSE_SOUND)->click();
    EXPECT_EQ(chooser.fileCalls, 4);
    EXPECT_EQ(Shown(), (QStringList{LoadText(IDS_WARNING_INVALID), LoadText(IDS_WARNING_BAD_FORMAT)}));
    EXPECT_EQ(A<QLineEdit>(IDC_OPT_SOUND_FILE)->text(), folders.Path("s.Mp3"));
}

// What OK stores is what the program reads at its next start; a warning time
// of three digits reads back as missing.
TEST_F(OptionsSheet, AFreshStartReadsBackWhatWasStored)
{
    const QString other = folders.Path("elsewhere");
    QDir().mkpath(other);
    Open(1);
    G<QLineEdit>(IDC_OPT_SILENCE)->setText("42");
    G<QRadioButton>(IDC_OPT_SEPARATE_FILES)->click();
    G<QCheckBox>(IDC_OPT_ANTI_BUMP)->setChecked(false);
    G<QSlider>(IDC_OPT_SENSITIVITY)->setValue(2345);
    for (int id : {IDC_OPT_AUTOSTART, IDC_OPT_START_IN_TRAY, IDC_OPT_SEND_EVERY})
        A<QCheckBox>(id)->setChecked(true);
    A<QLineEdit>(IDC_OPT_SEND_AFTER_SECONDS)->setText("100");
    A<QLineEdit>(IDC_OPT_SEND_EVERY_SECONDS)->setText("25");
    A<QLineEdit>(IDC_OPT_WORK_FOLDER)->setText(other);
    A<QLineEdit>(IDC_OPT_OPERATOR)->setText("Dott.ssa Rossi");
    ASSERT_TRUE(sheet->PressOK()) << Shown().join('|').toStdString();
    EXPECT_EQ(ReadAutostartEntry(QStringLiteral("SonvelleRecorder")), ProgramFilePath());
    EXPECT_EQ(Stored(ESetting::SegnaleAcusticoInviaDopoValore), "100");

    QFile::remove(folders.ProgramDir() + "SN.log");
    CAppSettings s;
    CSettingsStore(s).LoadAtStartup(folders.ProgramDir());
    EXPECT_TRUE(s.StartInTray && s.SegnaleAcusticoInviaOgni && !s.AntiBump);
    EXPECT_EQ(s.SegnaleAcusticoInviaDopoValore, 15);
    const QStringList dump = folders.LogLines();
    for (const QString& line : {"-->WorkDir:" + other + "/", QString("-->TempoSilenzio:42"), QString("-->ModSalvataggio:0"),
                                QString("-->SglAttivazione:2345"), QString("-->SegnaleAcusticoOgni:25"),
                                QString("-->Operatore:Dott.ssa Rossi")})
        EXPECT_EQ(dump.filter(line).size(), 1) << line.toStdString();
    DeleteAutostartEntry(QStringLiteral("SonvelleRecorder"));
}

class GeneralPageOnServer : public OptionsSheet {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SoundServerAnswers()) << "no sound server: run scripts/sound-server start";
        OptionsSheet::SetUp();
        Pactl({"set-default-source", "micfeed.monitor"});
        Pactl({"set-source-mute", "microphone", "1"});
    }
    void TearDown() override
    {
        OptionsSheet::TearDown();
        Pactl({"set-default-source", "microphone"});
        Pactl({"set-source-mute", "microphone", "0"});
    }
    void MoveVolume(int value)
    {
        G<QSlider>(IDC_OPT_VOLUME)->setValue(value);
        emit G<QSlider>(IDC_OPT_VOLUME)->sliderReleased();
    }
};

TEST_F(GeneralPageOnServer, OpeningSelectsTheMicrophoneAndTheSliderActsAtOnceWhateverTheButton)
{
    Store(ESetting::VolumeRegistrazione, "30000");
    Open();
    EXPECT_EQ(Shown(), QStringList{});
    EXPECT_EQ(Pactl({"get-default-source"}), "microphone");
    EXPECT_EQ(PactlVolume("source", "microphone"), 30000u);
    EXPECT_EQ(G<QSlider>(IDC_OPT_VOLUME)->value(), 30000);
    MoveVolume(20000);
    EXPECT_EQ(PactlVolume("source", "microphone"), 20000u);
    sheet->PressCancel();
    EXPECT_EQ(PactlVolume("source", "microphone"), 20000u);
    EXPECT_EQ(Stored(ESetting::VolumeRegistrazione), "30000");

    Open();
    MoveVolume(45000);
    ASSERT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::VolumeRegistrazione), "45000");
}

TEST_F(GeneralPageOnServer, TheMuteSwitchIsShownByNameAndItsBoxDrivesTheServer)
{
    Store(ESetting::NoMicSelect, "1");  // the microphone stays as the server has it: muted
    Open();
    switches = general->Mixer().MicrophoneSwitches();  // the list the window keeps
    Open();
    EXPECT_EQ(Pactl({"get-default-source"}), "micfeed.monitor") << "selected although NoMicSelect is on";
    auto* box = G<QCheckBox>(IDC_OPT_SWITCH1);
    ASSERT_FALSE(box->isHidden());
    EXPECT_EQ(box->text(), "Mute");
    EXPECT_TRUE(box->isChecked() && box->isEnabled());
    EXPECT_TRUE(general->Control(IDC_OPT_SWITCH2)->isHidden());
    box->click();
    ASSERT_TRUE(sheet->PressOK());
    EXPECT_EQ(Pactl({"get-source-mute", "microphone"}), "Mute: no");
}

TEST_F(GeneralPageOnServer, AServerWithoutMicrophoneIsToldAndThePageStillWorks)
{
    const QString module = Pactl({"list", "short", "modules"}).split('\n').filter("module-remap-source").value(0).section('\t', 0, 0);
    ASSERT_TRUE(!module.isEmpty() && RunTool("pactl", {"unload-module", module}));
    Open();
    RunTool("pactl", {"load-module", "module-remap-source", "source_name=microphone", "master=micfeed.monitor",
                      "source_properties=device.description=Microphone"});
    ASSERT_EQ(Shown(), QStringList{LoadText(IDS_VOLUME_CONTROL_ERROR) + "ErroreAudioMicrofonoIn"});
    EXPECT_EQ(prompt.ShownSoFar()[0].icon, PromptIcon::Stop);
    G<QLineEdit>(IDC_OPT_SILENCE)->setText("33");
    MoveVolume(1000);
    EXPECT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::TempoAttesaRegAuto), "33");
    EXPECT_EQ(Stored(ESetting::VolumeRegistrazione), "32767") << "a volume no mixer holds was stored";
}

}  // namespace

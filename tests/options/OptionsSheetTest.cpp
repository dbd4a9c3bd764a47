// The options sheet opened as the Options command opens it, over settings of
// the test's own, driven as a person would, offscreen: what OK stores (and a
// fresh start reads back), what it refuses, what Cancel leaves.

#include "app/SettingsStore.h"
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

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

class CAnsweringChooser : public IOptionsChooser {
public:
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString&) override { return folder; }
    std::optional<QString> ChooseSoundFile(QWidget*, const QString&) override { return std::nullopt; }
    std::optional<QString> folder;
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
    std::unique_ptr<CDlgSetImpostazioni> general;
    std::unique_ptr<CDlgImpostazioniAvanzate> advanced;
    std::unique_ptr<COpzionePropertySheet> sheet;  // goes first: it lets go of the pages
};

TEST_F(OptionsSheet, OkStoresOnlyThePagesShownCancelNothingAndAnEmptySilenceIsRefused)
{
    for (auto [setting, text] : {std::pair{ESetting::Operatore, "Anna"}, {ESetting::RegAutoSalvaUnicoFile, "0"},
                                 {ESetting::ChiediConfermaAutoRec, "1"}, {ESetting::AntiBump, "1"}})
        Store(setting, text);
    Open();
    G<QLineEdit>(IDC_OPT_SILENCE)->setText("20");
    // A single file switches both checks off.
    auto* confirm = G<QCheckBox>(IDC_OPT_CONFIRM);
    auto* antiBump = G<QCheckBox>(IDC_OPT_ANTI_BUMP);
    ASSERT_TRUE(confirm->isEnabled() && confirm->isChecked() && antiBump->isEnabled() && antiBump->isChecked());
    G<QRadioButton>(IDC_OPT_ONE_FILE)->click();
    EXPECT_FALSE(confirm->isEnabled() || antiBump->isEnabled());
    EXPECT_TRUE(sheet->PressOK());
    EXPECT_EQ((QStringList{*Stored(ESetting::TempoAttesaRegAuto), *Stored(ESetting::RegAutoSalvaUnicoFile),
                           *Stored(ESetting::ChiediConfermaAutoRec), *Stored(ESetting::AntiBump)}),
              (QStringList{"20", "1", "0", "0"}));
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

// A refused field keeps its stored value; the warning switch, written before the check, is stored either way.
TEST_F(OptionsSheet, ABadWorkFolderOrWarningSoundIsRefusedAndKeepsItsStoredValue)
{
    const QString work = folders.Path("other");
    QDir().mkpath(work);
    struct Case {
        int field;
        QString typed;
        bool soundOn;
        int refusal;  // 0: accepted
    } cases[] = {{IDC_OPT_WORK_FOLDER, work, false, 0},
                 {IDC_OPT_WORK_FOLDER, work + "/gone", false, IDS_FOLDER_INVALID},
                 {IDC_OPT_WORK_FOLDER, MakeFile("f.txt"), false, IDS_FOLDER_INVALID},
                 {IDC_OPT_WORK_FOLDER, "", false, IDS_FOLDER_INVALID},
                 {IDC_OPT_SOUND_FILE, MakeFile("a.Wav"), true, 0},
                 {IDC_OPT_SOUND_FILE, MakeFile("a.wAV"), true, IDS_WARNING_BAD_FORMAT},
                 {IDC_OPT_SOUND_FILE, folders.Path("gone.wav"), true, IDS_WARNING_INVALID},
                 {IDC_OPT_SOUND_FILE, folders.Path("gone.xyz"), false, 0}};
    for (const Case& c : cases) {
        Store(ESetting::WorkDir, folders.WorkDir());
        Store(ESetting::SegnaleAcusticoFile, "before");
        Store(ESetting::AbilitaSegnaleAcustico, "0");
        Open(1);
        prompt.Clear();
        A<QCheckBox>(IDC_OPT_WARNING)->setChecked(c.soundOn);
        A<QLineEdit>(c.field)->setText(c.typed);
        SCOPED_TRACE(c.typed.toStdString());
        EXPECT_EQ(sheet->PressOK(), c.refusal == 0);
        EXPECT_EQ(Shown(), c.refusal ? QStringList{LoadText(c.refusal)} : QStringList{});
        const bool folderRow = c.field == IDC_OPT_WORK_FOLDER;
        EXPECT_EQ(Stored(ESetting::WorkDir), folderRow && !c.refusal ? work + "/" : folders.WorkDir());
        EXPECT_EQ(Stored(ESetting::SegnaleAcusticoFile), folderRow || c.refusal ? "before" : c.typed);
        EXPECT_EQ(Stored(ESetting::AbilitaSegnaleAcustico), c.soundOn ? "1" : "0");
    }
}

// A realignment pending from the start ends whatever the person does in the chooser.
TEST_F(OptionsSheet, AChosenFolderFillsTheFieldAndACancelledChoiceStillEndsARealignment)
{
    Store(ESetting::Riallinea, "1");
    Open(1);
    A<QPushButton>(IDC_OPT_BROWSE_FOLDER)->click();
    EXPECT_EQ(A<QLineEdit>(IDC_OPT_WORK_FOLDER)->text(), folders.WorkDir());
    EXPECT_EQ(Stored(ESetting::Riallinea), "0");
    chooser.folder = folders.Path("picked/");
    A<QPushButton>(IDC_OPT_BROWSE_FOLDER)->click();
    EXPECT_EQ(A<QLineEdit>(IDC_OPT_WORK_FOLDER)->text(), folders.Path("picked"));
}

// What OK stores is what the program reads at its next start; a warning time
// of three digits reads back as missing.
TEST_F(OptionsSheet, AFreshStartReadsBackWhatWasStored)
{
    const QString other = folders.Path("elsewhere");
    QDir().mkpath(other);
    Open(1);
    G<QSlider>(IDC_OPT_SENSITIVITY)->setValue(2345);
    for (int id : {IDC_OPT_AUTOSTART, IDC_OPT_START_IN_TRAY})
        A<QCheckBox>(id)->setChecked(true);
    A<QLineEdit>(IDC_OPT_SEND_AFTER_SECONDS)->setText("100");
    A<QLineEdit>(IDC_OPT_WORK_FOLDER)->setText(other);
    A<QLineEdit>(IDC_OPT_OPERATOR)->setText("Dott.ssa Rossi");
    ASSERT_TRUE(sheet->PressOK()) << Shown().join('|').toStdString();
    EXPECT_EQ(ReadAutostartEntry(QStringLiteral("SonvelleRecorder")), ProgramFilePath());
    EXPECT_EQ(Stored(ESetting::SegnaleAcusticoInviaDopoValore), "100");

    CAppSettings s;
    CSettingsStore(s).LoadAtStartup(folders.ProgramDir());
    EXPECT_TRUE(s.StartInTray);
    EXPECT_EQ(s.SegnaleAcusticoInviaDopoValore, 15);
    EXPECT_EQ((QStringList{s.WorkDir, s.SogliaAttivazioneRegAuto, s.Operatore}),
              (QStringList{other + "/", "2345", "Dott.ssa Rossi"}));
    DeleteAutostartEntry(QStringLiteral("SonvelleRecorder"));
}

// The General page on the private sound server, its microphone source gone.
TEST_F(OptionsSheet, AServerWithoutMicrophoneIsToldAndThePageStillWorks)
{
    ASSERT_TRUE(SoundServerAnswers()) << "no sound server: run scripts/sound-server start";
    const QString module =
        Pactl({"list", "short", "modules"}).split('\n').filter("module-remap-source").value(0).section('\t', 0, 0);
    ASSERT_TRUE(!module.isEmpty() && RunTool("pactl", {"unload-module", module}));
    Open();
    RunTool("pactl", {"load-module", "module-remap-source", "source_name=microphone", "master=micfeed.monitor",
                      "source_properties=device.description=Microphone"});
    Pactl({"set-default-source", "microphone"});
    ASSERT_EQ(Shown(), QStringList{LoadText(IDS_VOLUME_CONTROL_ERROR) + "ErroreAudioMicrofonoIn"});
    EXPECT_EQ(prompt.ShownSoFar()[0].icon, PromptIcon::Stop);
    G<QLineEdit>(IDC_OPT_SILENCE)->setText("33");
    G<QSlider>(IDC_OPT_VOLUME)->setValue(1000);
    emit G<QSlider>(IDC_OPT_VOLUME)->sliderReleased();
    EXPECT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::TempoAttesaRegAuto), "33");
    EXPECT_EQ(Stored(ESetting::VolumeRegistrazione), "32767") << "a volume no mixer holds was stored";
}

}  // namespace

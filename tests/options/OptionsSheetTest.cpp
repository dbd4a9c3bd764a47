// The options sheet driven as a person would, offscreen: what OK stores (and
// a fresh start reads back), what it refuses, what Cancel leaves, the choosers.

#include "platform/Autostart.h"
#include "platform/ProgramFolder.h"

#include "SheetFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

using OptionsSheet = SheetFixture;

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
    } cases[] = {{true, "a.Wav", true, 0},  {true, "a.MP3", true, 0}, {true, "a.wAV", true, IDS_WARNING_BAD_FORMAT},
                 {true, "a.mP3", true, IDS_WARNING_BAD_FORMAT},       {true, "gone.wav", false, IDS_WARNING_INVALID},
                 {false, "gone.xyz", false, 0}};
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

}  // namespace

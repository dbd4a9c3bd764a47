// The options sheet driven as a person would, offscreen: what each page shows
// from the stored settings, what OK stores (and what a fresh start reads back),
// what it refuses, and what the choosers and buttons do.

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

namespace {

class CAnsweringChooser : public IOptionsChooser {
public:
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString& startFolder) override
    {
        folderStarts.push_back(startFolder);
        return folder;
    }
    std::optional<QString> ChooseSoundFile(QWidget*, const QString&) override
    {
        ++fileCalls;
        if (files.empty())
            return std::nullopt;
        auto answer = files.front();
        files.pop_front();
        return answer;
    }
    std::optional<QString> folder;
    QStringList folderStarts;
    std::deque<std::optional<QString>> files;
    int fileCalls = 0;
};

class CCountingCatalogue : public IOptionsCatalogue {
public:
    bool UsesIndexFile() const override { return usesIndex; }
    void RecreateIndex() override { ++rebuilds; }
    bool usesIndex = true;
    int rebuilds = 0;
};

class OptionsSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPrompt(&prompt);
        SetOptionsChooser(&chooser);
        CAppSettings settings;
        CSettingsStore(settings).LoadAtStartup(folders.ProgramDir());  // the key with its defaults
        QDir().mkpath(folders.WorkDir());
        Store(ESetting::WorkDir, folders.WorkDir());
    }
    void TearDown() override
    {
        Close();
        SetOptionsChooser(nullptr);
        SetPrompt(nullptr);
        DeleteAutostartEntry(QStringLiteral("SonvelleRecorder"));
    }
    void Open(int page = 0)
    {
        Close();
        general = std::make_unique<CDlgSetImpostazioni>();
        advanced = std::make_unique<CDlgImpostazioniAvanzate>();
        advanced->SetContext(folders.ProgramDir(), &catalogue);
        sheet = std::make_unique<COpzionePropertySheet>(*general, *advanced);
        sheet->Begin();
        sheet->show();
        if (page)
            sheet->ShowPage(page);
        prompt.Clear();
    }
    void Close()
    {
        sheet.reset();
        general.reset();
        advanced.reset();
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

    test::CTestFolders folders;
    CScriptedPrompt prompt;
    CAnsweringChooser chooser;
    CCountingCatalogue catalogue;
    std::unique_ptr<CDlgSetImpostazioni> general;
    std::unique_ptr<CDlgImpostazioniAvanzate> advanced;
    std::unique_ptr<COpzionePropertySheet> sheet;
};

TEST_F(OptionsSheet, OkStoresOnlyThePagesShownAndCancelStoresNothing)
{
    Store(ESetting::Operatore, "Anna");
    Open();
    G<QLineEdit>(IDC_OPT_SILENCE)->setText("20");
    EXPECT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::TempoAttesaRegAuto), "20");
    EXPECT_FALSE(sheet->WasShown(1));
    EXPECT_EQ(Stored(ESetting::WorkDir), folders.WorkDir());
    EXPECT_EQ(Stored(ESetting::Operatore), "Anna");
    EXPECT_FALSE(CSettingsStore::HasStartupEntry()) << "an unseen page wrote the start-up entry";

    Open(1);
    G<QLineEdit>(IDC_OPT_SILENCE)->setText("30");
    A<QLineEdit>(IDC_OPT_OPERATOR)->setText("Bruno");
    A<QCheckBox>(IDC_OPT_AUTOSTART)->setChecked(true);
    sheet->PressCancel();
    EXPECT_EQ(Stored(ESetting::TempoAttesaRegAuto), "20");
    EXPECT_EQ(Stored(ESetting::Operatore), "Anna");
    EXPECT_FALSE(CSettingsStore::HasStartupEntry());

    // An empty silence time keeps the sheet open on it; nothing of the page is stored.
    Open();
    G<QLineEdit>(IDC_OPT_SILENCE)->clear();
    G<QSlider>(IDC_OPT_SENSITIVITY)->setValue(4000);
    EXPECT_FALSE(sheet->PressOK());
    EXPECT_EQ(Shown(), QStringList{LoadText(IDS_SILENCE_SECONDS_MISSING)});
    EXPECT_EQ(general->RefusedField(), general->Control(IDC_OPT_SILENCE));
    EXPECT_EQ(Stored(ESetting::SogliaAttivazioneRegAuto), "15000");
}

TEST_F(OptionsSheet, SingleFileDisablesBothChecksAndStoresThemOff)
{
    Store(ESetting::RegAutoSalvaUnicoFile, "0");
    Store(ESetting::ChiediConfermaAutoRec, "1");
    Store(ESetting::AntiBump, "1");
    Open();
    auto* confirm = G<QCheckBox>(IDC_OPT_CONFIRM);
    auto* antiBump = G<QCheckBox>(IDC_OPT_ANTI_BUMP);
    ASSERT_TRUE(confirm->isEnabled() && confirm->isChecked() && antiBump->isEnabled() && antiBump->isChecked());
    G<QRadioButton>(IDC_OPT_ONE_FILE)->click();
    EXPECT_FALSE(confirm->isEnabled());
    EXPECT_FALSE(antiBump->isEnabled());
    ASSERT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::RegAutoSalvaUnicoFile), "1");
    EXPECT_EQ(Stored(ESetting::ChiediConfermaAutoRec), "0");
    EXPECT_EQ(Stored(ESetting::AntiBump), "0");

    Open();
    EXPECT_TRUE(G<QRadioButton>(IDC_OPT_ONE_FILE)->isChecked());
    EXPECT_FALSE(G<QCheckBox>(IDC_OPT_CONFIRM)->isEnabled());
    G<QRadioButton>(IDC_OPT_SEPARATE_FILES)->click();
    EXPECT_TRUE(G<QCheckBox>(IDC_OPT_CONFIRM)->isEnabled());
    EXPECT_TRUE(G<QCheckBox>(IDC_OPT_ANTI_BUMP)->isEnabled());
}

TEST_F(OptionsSheet, WorkFolderIsStoredWithExactlyOneSeparatorOrRefused)
{
    const QString work = folders.Path("other");
    QDir().mkpath(work);
    const QString file = MakeFile("plain.txt");
    struct Case {
        QString typed;
        bool accepted;
    } cases[] = {{work, true}, {work + "/", true}, {work + "///", true}, {work + "/missing", false},
                 {file, false}, {"", false}};
    for (const Case& c : cases) {
        Store(ESetting::WorkDir, folders.WorkDir());
        Open(1);
        A<QLineEdit>(IDC_OPT_WORK_FOLDER)->setText(c.typed);
        EXPECT_EQ(sheet->PressOK(), c.accepted) << c.typed.toStdString();
        EXPECT_EQ(Stored(ESetting::WorkDir), c.accepted ? work + "/" : folders.WorkDir()) << c.typed.toStdString();
        if (!c.accepted) {
            EXPECT_EQ(Shown(), QStringList{LoadText(IDS_FOLDER_INVALID)});
            EXPECT_EQ(sheet->CurrentPage(), 1);
            EXPECT_EQ(advanced->RefusedField(), advanced->Control(IDC_OPT_WORK_FOLDER));
        }
    }
}

TEST_F(OptionsSheet, WarningSoundFileIsCheckedOnlyWhileTheSoundIsOn)
{
    struct Case {
        bool soundOn;
        const char* name;
        bool exists;
        int refusal;  // 0: accepted
    } cases[] = {
        {true, "beep.Wav", true, 0},   {true, "beep.MP3", true, 0},     {true, "beep.wAV", true, IDS_WARNING_BAD_FORMAT},
        {true, "beep.mP3", true, IDS_WARNING_BAD_FORMAT},             {true, "beep.ogg", true, IDS_WARNING_BAD_FORMAT},
        {true, "gone.wav", false, IDS_WARNING_INVALID},                {false, "gone.xyz", false, 0},
    };
    for (const Case& c : cases) {
        const QString path = c.exists ? MakeFile(c.name) : folders.Path(c.name);
        Store(ESetting::SegnaleAcusticoFile, "before");
        Store(ESetting::AbilitaSegnaleAcustico, "0");
        Open(1);
        if (c.soundOn)
            A<QCheckBox>(IDC_OPT_WARNING)->click();
        A<QLineEdit>(IDC_OPT_SOUND_FILE)->setText(path);
        EXPECT_EQ(sheet->PressOK(), c.refusal == 0) << c.name;
        EXPECT_EQ(Stored(ESetting::SegnaleAcusticoFile), c.refusal ? "before" : path) << c.name;
        // What comes before the check stays stored either way.
        EXPECT_EQ(Stored(ESetting::AbilitaSegnaleAcustico), c.soundOn ? "1" : "0") << c.name;
        EXPECT_EQ(Shown(), c.refusal ? QStringList{LoadText(c.refusal)} : QStringList{}) << c.name;
    }
}

TEST_F(OptionsSheet, WarningTimesLongerThanTwoDigitsReadBackAsMissing)
{
    Open(1);
    A<QCheckBox>(IDC_OPT_WARNING)->click();
    A<QCheckBox>(IDC_OPT_SEND_EVERY)->click();
    A<QLineEdit>(IDC_OPT_SEND_EVERY_SECONDS)->setText("100");
    A<QLineEdit>(IDC_OPT_SEND_AFTER_SECONDS)->setText("7");
    A<QLineEdit>(IDC_OPT_SOUND_FILE)->setText(MakeFile("b.wav"));
    ASSERT_TRUE(sheet->PressOK());
    EXPECT_EQ(Stored(ESetting::SegnaleAcusticoInviaOgniValore), "100");

    CAppSettings settings;
    CSettingsStore(settings).LoadAtStartup(folders.ProgramDir());
    EXPECT_EQ(settings.SegnaleAcusticoInviaOgniValore, 10);
    EXPECT_EQ(settings.SegnaleAcusticoInviaDopoValore, 7);
    Open(1);
    EXPECT_EQ(A<QLineEdit>(IDC_OPT_SEND_EVERY_SECONDS)->text(), "10");
}

TEST_F(OptionsSheet, WarningSoundEnableRules)
{
    // (sound, once after, every) as clicked -> enabled: the two times, the file and its button.
    struct Case {
        bool sound, after, every;
        bool afterTime, everyTime, file;
    } cases[] = {{false, true, true, false, false, false},
                 {true, true, false, true, false, true},
                 {true, false, true, false, true, true},
                 {true, false, false, false, false, true}};
    for (const Case& c : cases) {
        Open(1);
        auto set = [](QCheckBox* box, bool on) {
            if (box->isChecked() != on)
                box->click();
        };
        set(A<QCheckBox>(IDC_OPT_WARNING), true);  // the times can only be clicked while it is on
        set(A<QCheckBox>(IDC_OPT_SEND_AFTER), c.after);
        set(A<QCheckBox>(IDC_OPT_SEND_EVERY), c.every);
        set(A<QCheckBox>(IDC_OPT_WARNING), c.sound);
        EXPECT_EQ(advanced->Control(IDC_OPT_SEND_AFTER_SECONDS)->isEnabled(), c.afterTime);
        EXPECT_EQ(advanced->Control(IDC_OPT_SEND_EVERY_SECONDS)->isEnabled(), c.everyTime);
        for (int id : {IDC_OPT_SOUND_FILE, IDC_OPT_BROWSE_SOUND, IDC_OPT_SEND_AFTER, IDC_OPT_SEND_EVERY})
            EXPECT_EQ(advanced->Control(id)->isEnabled(), c.file) << id;
    }
}

TEST_F(OptionsSheet, ChoosersStartWhereTheFieldPointsAndCancelKeepsTheField)
{
    // The folder chooser: cancelled or not, a pending realignment is off.
    Store(ESetting::Riallinea, "1");
    Open(1);
    auto* folder = A<QLineEdit>(IDC_OPT_WORK_FOLDER);
    folder->setText(folders.WorkDir());
    A<QPushButton>(IDC_OPT_BROWSE_FOLDER)->click();
    EXPECT_EQ(folder->text(), folders.WorkDir());
    EXPECT_EQ(Stored(ESetting::Riallinea), "0");
    folder->setText(folders.Path("nowhere"));
    chooser.folder = folders.Path("picked/");
    A<QPushButton>(IDC_OPT_BROWSE_FOLDER)->click();
    EXPECT_EQ(chooser.folderStarts, (QStringList{folders.Path("work"), ""}));
    EXPECT_EQ(folder->text(), folders.Path("picked"));

    // The sound chooser asks again after a missing file and a wrong extension.
    A<QCheckBox>(IDC_OPT_WARNING)->click();
    auto* sound = A<QLineEdit>(IDC_OPT_SOUND_FILE);
    sound->setText("kept");
    chooser.files = {folders.Path("gone.wav"), MakeFile("s.wAv"), MakeFile("s.Mp3")};
    A<QPushButton>(IDC_OPT_BROWSE_SOUND)->click();
    EXPECT_EQ(chooser.fileCalls, 3);
    EXPECT_EQ(Shown(), (QStringList{LoadText(IDS_WARNING_INVALID), LoadText(IDS_WARNING_BAD_FORMAT)}));
    EXPECT_EQ(sound->text(), folders.Path("s.Mp3"));
    chooser.files = {std::nullopt};
    A<QPushButton>(IDC_OPT_BROWSE_SOUND)->click();
    EXPECT_EQ(sound->text(), folders.Path("s.Mp3"));
}

TEST_F(OptionsSheet, RecreateIndexActsAtOnceWhereTheCatalogueHasAnIndex)
{
    for (bool usesIndex : {true, false}) {
        catalogue = {};
        catalogue.usesIndex = usesIndex;
        Open(1);
        auto* button = A<QPushButton>(IDC_OPT_REINDEX);
        EXPECT_EQ(button->isEnabled(), usesIndex);
        button->click();
        EXPECT_EQ(catalogue.rebuilds, usesIndex ? 1 : 0);
        sheet->PressCancel();
        EXPECT_EQ(catalogue.rebuilds, usesIndex ? 1 : 0);
    }
}

// Every value is stored as the program reads it at its next start; then the
// Default buttons bring back their own values without touching folder and operator.
TEST_F(OptionsSheet, AFreshStartReadsBackWhatWasStoredAndDefaultsRestore)
{
    const QString other = folders.Path("elsewhere");
    QDir().mkpath(other);
    const QString sound = MakeFile("ring.WAV");
    Open(1);
    G<QLineEdit>(IDC_OPT_SILENCE)->setText("42");
    G<QRadioButton>(IDC_OPT_SEPARATE_FILES)->click();
    G<QCheckBox>(IDC_OPT_CONFIRM)->setChecked(true);
    G<QCheckBox>(IDC_OPT_ANTI_BUMP)->setChecked(false);
    G<QSlider>(IDC_OPT_SENSITIVITY)->setValue(2345);
    A<QCheckBox>(IDC_OPT_AUTOSTART)->setChecked(true);
    A<QCheckBox>(IDC_OPT_START_IN_TRAY)->setChecked(true);
    A<QCheckBox>(IDC_OPT_AUTO_AT_START)->setChecked(true);
    A<QLineEdit>(IDC_OPT_WORK_FOLDER)->setText(other);
    A<QLineEdit>(IDC_OPT_OPERATOR)->setText("Dott.ssa Rossi");
    A<QCheckBox>(IDC_OPT_WARNING)->click();
    A<QCheckBox>(IDC_OPT_SEND_AFTER)->click();
    A<QCheckBox>(IDC_OPT_SEND_EVERY)->click();
    A<QLineEdit>(IDC_OPT_SEND_EVERY_SECONDS)->setText("25");
    A<QLineEdit>(IDC_OPT_SOUND_FILE)->setText(sound);
    A<QCheckBox>(IDC_OPT_ALT_PLAY)->setChecked(true);
    ASSERT_TRUE(sheet->PressOK()) << Shown().join('|').toStdString();
    EXPECT_EQ(ReadAutostartEntry(QStringLiteral("SonvelleRecorder")), ProgramFilePath());

    QFile::remove(folders.ProgramDir() + "SN.log");
    CAppSettings s;
    CSettingsStore(s).LoadAtStartup(folders.ProgramDir());
    EXPECT_EQ(s.WorkDir, other + "/");
    EXPECT_EQ(s.TempoAttesaRegAuto, "42");
    EXPECT_EQ(s.RegAutoSalvaUnicoFile, "0");
    EXPECT_EQ(s.SogliaAttivazioneRegAuto, "2345");
    EXPECT_TRUE(s.ChiediConfermaAutoRec);
    EXPECT_FALSE(s.AntiBump);
    EXPECT_TRUE(s.StartInTray);
    EXPECT_TRUE(s.AvviaInAutoReg);
    EXPECT_TRUE(s.AbilitaSegnaleAcustico);
    EXPECT_FALSE(s.SegnaleAcusticoInviaDopo);
    EXPECT_TRUE(s.SegnaleAcusticoInviaOgni);
    EXPECT_EQ(s.SegnaleAcusticoInviaOgniValore, 25);
    EXPECT_EQ(s.SegnaleAcusticoFile, sound);
    EXPECT_TRUE(s.PlayAlternativo);
    EXPECT_EQ(s.Operatore, "Dott.ssa Rossi");
    const QStringList dump = folders.LogLines();
    for (const QString& line : {"-->WorkDir:" + other + "/", QString("-->TempoSilenzio:42"), QString("-->ModSalvataggio:0"),
                                QString("-->SglAttivazione:2345"), QString("-->AbilitaAntiBump:0"),
                                QString("-->SegnaleAcusticoOgni:25"), "-->PathSegnaleAcustico:" + sound,
                                QString("-->PlayAlternativo:1"), QString("-->Operatore:Dott.ssa Rossi")})
        EXPECT_TRUE(std::any_of(dump.begin(), dump.end(), [&](const QString& l) { return l.endsWith(line); }))
            << line.toStdString();

    Open(1);
    G<QPushButton>(IDC_OPT_DEFAULT)->click();
    A<QPushButton>(IDC_OPT_DEFAULT)->click();
    A<QCheckBox>(IDC_OPT_AUTOSTART)->setChecked(false);
    ASSERT_TRUE(sheet->PressOK());
    const std::pair<ESetting, QString> defaults[] = {
        {ESetting::TempoAttesaRegAuto, "15"},        {ESetting::RegAutoSalvaUnicoFile, "0"},
        {ESetting::ChiediConfermaAutoRec, "0"},      {ESetting::AntiBump, "1"},
        {ESetting::SogliaAttivazioneRegAuto, "15000"}, {ESetting::AvvioTaskBar, "1"},
        {ESetting::AvviaInAutoReg, "1"},             {ESetting::AbilitaSegnaleAcustico, "0"},
        {ESetting::SegnaleAcusticoInviaDopo, "1"},   {ESetting::SegnaleAcusticoInviaDopoValore, "15"},
        {ESetting::SegnaleAcusticoInviaOgni, "0"},   {ESetting::SegnaleAcusticoInviaOgniValore, "10"},
        {ESetting::SegnaleAcusticoFile, folders.ProgramDir() + "Beep1.wav"},
        {ESetting::PlayAlternativo, "0"},            {ESetting::WorkDir, other + "/"},
        {ESetting::Operatore, "Dott.ssa Rossi"}};
    for (const auto& [setting, text] : defaults)
        EXPECT_EQ(Stored(setting), text) << SettingName(setting).toStdString();
    EXPECT_FALSE(CSettingsStore::HasStartupEntry());
}

}  // namespace

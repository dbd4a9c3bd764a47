#include "options/CDlgImpostazioniAvanzate.h"

#include "app/SettingsStore.h"
#include "options/OptionsChooser.h"
#include "options/OptionsPageIds.h"
#include "options/OptionsRegistry.h"
#include "platform/Log.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace sonvelle {

namespace {

constexpr int kSecondsBytes = 3;   // 2 characters
constexpr int kPlayAltBytes = 10;  // 9 characters
constexpr int kFolderCharacters = 259;

bool IsExistingFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

}  // namespace

CDlgImpostazioniAvanzate::CDlgImpostazioniAvanzate(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(LoadText(IDS_OPTIONS_ADVANCED));
    CreateControls();
}

QWidget* CDlgImpostazioniAvanzate::Control(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CDlgImpostazioniAvanzate::SetContext(const QString& programFolder, IOptionsCatalogue* catalogue)
{
    m_programFolder = programFolder;
    m_catalogue = catalogue;
}

bool CDlgImpostazioniAvanzate::HasAcceptedSoundExtension(const QString& path)
{
    const int dot = path.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QString extension = path.mid(dot + 1);
    for (const char* accepted : {"mp3", "Mp3", "MP3", "wav", "Wav", "WAV"})
        if (extension == QLatin1String(accepted))
            return true;
    return false;
}

QString CDlgImpostazioniAvanzate::WithoutTrailingSeparators(const QString& folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

void CDlgImpostazioniAvanzate::CreateControls()
{
    auto keep = [this](int id, QWidget* w) {
        w->setObjectName(QString::number(id));
        m_controls[id] = w;
        return w;
    };
    auto check = [&](int id, int text, QWidget* parent) {
        return static_cast<QCheckBox*>(keep(id, new QCheckBox(LoadText(text), parent)));
    };
    auto label = [&](int id, int text, QWidget* parent) {
        return static_cast<QLabel*>(keep(id, new QLabel(LoadText(text), parent)));
    };
    auto digits = [&](int id, QWidget* parent) {
        auto* edit = static_cast<QLineEdit*>(keep(id, new QLineEdit(parent)));
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        return edit;
    };
    auto browse = [&](int id, QWidget* parent) {
        auto* button = static_cast<QPushButton*>(keep(id, new QPushButton(LoadText(IDS_OPTIONS_BROWSE), parent)));
        button->setAutoDefault(false);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
        return button;
    };

    auto* page = new QVBoxLayout(this);

    auto* startGroup = static_cast<QGroupBox*>(keep(IDC_OPT_START_GROUP, new QGroupBox(LoadText(IDS_OPTIONS_START_GROUP), this)));
    auto* startLayout = new QVBoxLayout(startGroup);
    m_autostart = check(IDC_OPT_AUTOSTART, IDS_OPTIONS_AUTOSTART, startGroup);
    m_startInTray = check(IDC_OPT_START_IN_TRAY, IDS_OPTIONS_START_IN_TRAY, startGroup);
    m_autoAtStart = check(IDC_OPT_AUTO_AT_START, IDS_OPTIONS_AUTO_AT_START, startGroup);
    for (QCheckBox* box : {m_autostart, m_startInTray, m_autoAtStart})
        startLayout->addWidget(box);
    page->addWidget(startGroup);

    auto* folderGroup = static_cast<QGroupBox*>(keep(IDC_OPT_FOLDER_GROUP, new QGroupBox(LoadText(IDS_OPTIONS_FOLDER_GROUP), this)));
    auto* folderLayout = new QGridLayout(folderGroup);
    m_workFolder = static_cast<QLineEdit*>(keep(IDC_OPT_WORK_FOLDER, new QLineEdit(folderGroup)));
    m_workFolder->setMaxLength(kFolderCharacters);
    QPushButton* browseFolder = browse(IDC_OPT_BROWSE_FOLDER, folderGroup);
    folderLayout->addWidget(m_workFolder, 0, 0, 1, 2);
    folderLayout->addWidget(browseFolder, 0, 2);
    m_operator = static_cast<QLineEdit*>(keep(IDC_OPT_OPERATOR, new QLineEdit(folderGroup)));
    m_operator->setMaxLength(kFolderCharacters);
    folderLayout->addWidget(label(IDC_OPT_OPERATOR_LABEL, IDS_OPTIONS_OPERATOR, folderGroup), 1, 0);
    folderLayout->addWidget(m_operator, 1, 1, 1, 2);
    page->addWidget(folderGroup);

    auto* warningGroup = static_cast<QGroupBox*>(keep(IDC_OPT_WARNING_GROUP, new QGroupBox(LoadText(IDS_WARNING_GROUP), this)));
    auto* warningLayout = new QGridLayout(warningGroup);
    m_warning = check(IDC_OPT_WARNING, IDS_WARNING_ENABLE, warningGroup);
    warningLayout->addWidget(m_warning, 0, 0, 1, 4);
    m_sendAfter = check(IDC_OPT_SEND_AFTER, IDS_WARNING_ONCE_AFTER, warningGroup);
    m_sendAfterSeconds = digits(IDC_OPT_SEND_AFTER_SECONDS, warningGroup);
    warningLayout->addWidget(m_sendAfter, 1, 0);
    warningLayout->addWidget(m_sendAfterSeconds, 1, 1);
    warningLayout->addWidget(label(IDC_OPT_SEND_AFTER_UNIT, IDS_WARNING_AFTER_UNIT, warningGroup), 1, 2);
    m_sendEvery = check(IDC_OPT_SEND_EVERY, IDS_WARNING_EVERY, warningGroup);
    m_sendEverySeconds = digits(IDC_OPT_SEND_EVERY_SECONDS, warningGroup);
    warningLayout->addWidget(m_sendEvery, 2, 0);
    warningLayout->addWidget(m_sendEverySeconds, 2, 1);
    warningLayout->addWidget(label(IDC_OPT_SEND_EVERY_UNIT, IDS_WARNING_EVERY_UNIT, warningGroup), 2, 2);
    warningLayout->setColumnStretch(3, 1);
    auto* soundRow = new QHBoxLayout;
    m_soundFile = static_cast<QLineEdit*>(keep(IDC_OPT_SOUND_FILE, new QLineEdit(warningGroup)));
    m_soundFile->setMaxLength(kFolderCharacters);
    QPushButton* browseSound = browse(IDC_OPT_BROWSE_SOUND, warningGroup);
    soundRow->addWidget(label(IDC_OPT_SOUND_LABEL, IDS_WARNING_FILE_LABEL, warningGroup));
    soundRow->addWidget(m_soundFile, 1);
    soundRow->addWidget(browseSound);
    warningLayout->addLayout(soundRow, 3, 0, 1, 4);
    page->addWidget(warningGroup);

    m_altPlay = check(IDC_OPT_ALT_PLAY, IDS_OPTIONS_ALT_PLAY, this);
    page->addWidget(m_altPlay);

    auto* buttons = new QHBoxLayout;
    m_reindex = static_cast<QPushButton*>(keep(IDC_OPT_REINDEX, new QPushButton(LoadText(IDS_OPTIONS_REINDEX), this)));
    auto* restore = static_cast<QPushButton*>(keep(IDC_OPT_DEFAULT, new QPushButton(LoadText(IDS_OPTIONS_DEFAULT), this)));
    for (QPushButton* button : {m_reindex, restore})
        button->setAutoDefault(false);
    buttons->addWidget(m_reindex);
    buttons->addStretch();
    buttons->addWidget(restore);
    page->addLayout(buttons);
    page->addStretch();

    connect(restore, &QPushButton::clicked, this, &CDlgImpostazioniAvanzate::OnRestoreDefaults);
    connect(m_reindex, &QPushButton::clicked, this, &CDlgImpostazioniAvanzate::OnRecreateIndex);
    connect(browseFolder, &QPushButton::clicked, this, &CDlgImpostazioniAvanzate::OnBrowseWorkFolder);
    connect(browseSound, &QPushButton::clicked, this, &CDlgImpostazioniAvanzate::OnBrowseWarningSound);
    connect(m_warning, &QCheckBox::clicked, this, &CDlgImpostazioniAvanzate::OnWarningSoundToggled);
    connect(m_sendAfter, &QCheckBox::clicked, this, &CDlgImpostazioniAvanzate::OnSendAfterToggled);
    connect(m_sendEvery, &QCheckBox::clicked, this, &CDlgImpostazioniAvanzate::OnSendEveryToggled);
}

void CDlgImpostazioniAvanzate::EnableWarningDependants()
{
    const bool on = m_warning->isChecked();
    for (int id : {IDC_OPT_SEND_AFTER, IDC_OPT_SEND_EVERY, IDC_OPT_SEND_AFTER_UNIT, IDC_OPT_SEND_EVERY_UNIT,
                   IDC_OPT_SOUND_LABEL, IDC_OPT_SOUND_FILE, IDC_OPT_BROWSE_SOUND})
        Control(id)->setEnabled(on);
    m_sendAfterSeconds->setEnabled(on && m_sendAfter->isChecked());
    m_sendEverySeconds->setEnabled(on && m_sendEvery->isChecked());
}

void CDlgImpostazioniAvanzate::OnInitDialog()
{
    COptionsKey key;
    if (!key.Open()) {
        MessageBox(LoadText(IDS_SETTINGS_READ_ERROR), PromptIcon::Stop);
        return;
    }
    m_workFolder->setText(key.Text(ESetting::WorkDir, m_programFolder));
    m_startInTrayText = key.Text(ESetting::AvvioTaskBar, QStringLiteral("0"));
    m_startInTray->setChecked(m_startInTrayText == QStringLiteral("1"));
    m_autoAtStart->setChecked(key.Flag(ESetting::AvviaInAutoReg, false));
    m_warning->setChecked(key.Flag(ESetting::AbilitaSegnaleAcustico, false));
    m_sendAfter->setChecked(key.Flag(ESetting::SegnaleAcusticoInviaDopo, true));
    m_sendAfterSeconds->setText(
        key.Text(ESetting::SegnaleAcusticoInviaDopoValore, LoadText(IDS_DEFAULT_WARNING_ONCE_SECONDS), kSecondsBytes));
    m_sendEvery->setChecked(key.Flag(ESetting::SegnaleAcusticoInviaOgni, false));
    m_sendEverySeconds->setText(
        key.Text(ESetting::SegnaleAcusticoInviaOgniValore, LoadText(IDS_DEFAULT_WARNING_REPEAT_SECONDS), kSecondsBytes));
    EnableWarningDependants();
    m_soundFile->setText(key.Text(ESetting::SegnaleAcusticoFile, m_programFolder + LoadText(IDS_DEFAULT_WARNING_FILE)));
    m_altPlay->setChecked(key.Flag(ESetting::PlayAlternativo, false, kPlayAltBytes));
    m_operator->setText(key.Text(ESetting::Operatore, QString()));
    key.Close();

    m_autostart->setChecked(CSettingsStore::HasStartupEntry());
    m_reindex->setEnabled(m_catalogue && m_catalogue->UsesIndexFile());
}

bool CDlgImpostazioniAvanzate::OnOK()
{
    COptionsKey key;
    if (!key.Open())
        return true;

    const QString folder = WithoutTrailingSeparators(m_workFolder->text().left(kFolderCharacters));
    if (!IsExistingFolder(folder)) {
        MessageBox(LoadText(IDS_FOLDER_INVALID), PromptIcon::Exclamation);
        m_refused = m_workFolder;
        m_workFolder->setFocus();
        return false;
    }
    key.Write(ESetting::WorkDir, WithTrailingSlash(folder));
    key.WriteFlag(ESetting::AvvioTaskBar, m_startInTray->isChecked());
    key.WriteFlag(ESetting::AvviaInAutoReg, m_autoAtStart->isChecked());
    key.WriteFlag(ESetting::AbilitaSegnaleAcustico, m_warning->isChecked());
    key.WriteFlag(ESetting::SegnaleAcusticoInviaDopo, m_sendAfter->isChecked());
    key.Write(ESetting::SegnaleAcusticoInviaDopoValore, m_sendAfterSeconds->text());
    key.WriteFlag(ESetting::SegnaleAcusticoInviaOgni, m_sendEvery->isChecked());
    key.Write(ESetting::SegnaleAcusticoInviaOgniValore, m_sendEverySeconds->text());

    if (m_warning->isChecked()) {
        const QString sound = m_soundFile->text();
        int refusal = 0;
        if (!QFileInfo(sound).isFile())
            refusal = IDS_WARNING_INVALID;
        else if (!HasAcceptedSoundExtension(sound))
            refusal = IDS_WARNING_BAD_FORMAT;
        if (refusal) {
            MessageBox(LoadText(refusal), PromptIcon::Exclamation);
            m_refused = m_soundFile;
            m_soundFile->setFocus();
            return false;
        }
    }
    key.Write(ESetting::SegnaleAcusticoFile, m_soundFile->text());
    key.WriteFlag(ESetting::PlayAlternativo, m_altPlay->isChecked());
    key.Write(ESetting::Operatore, m_operator->text());
    key.Close();

    if (!CSettingsStore::SetStartupEntry(m_autostart->isChecked(), ProgramFilePath()))
        WriteLog(QStringLiteral("Voce di avvio automatico non aggiornata"));
    return true;
}

void CDlgImpostazioniAvanzate::OnRestoreDefaults()
{
    m_autostart->setChecked(true);
    m_startInTray->setChecked(IsFlagOn(LoadText(IDS_DEFAULT_AUTO_ONE_FILE)));
    m_autoAtStart->setChecked(IsFlagOn(LoadText(IDS_DEFAULT_AUTO_AT_START)));
    m_warning->setChecked(IsFlagOn(LoadText(IDS_DEFAULT_WARNING_ON)));
    m_sendAfter->setChecked(IsFlagOn(LoadText(IDS_DEFAULT_WARNING_ONCE)));
    m_sendAfterSeconds->setText(LoadText(IDS_DEFAULT_WARNING_ONCE_SECONDS));
    m_sendEvery->setChecked(IsFlagOn(LoadText(IDS_DEFAULT_WARNING_REPEAT)));
    m_sendEverySeconds->setText(LoadText(IDS_DEFAULT_WARNING_REPEAT_SECONDS));
    m_soundFile->setText(m_programFolder + LoadText(IDS_DEFAULT_WARNING_FILE));
    m_altPlay->setChecked(false);
    EnableWarningDependants();
}

void CDlgImpostazioniAvanzate::OnRecreateIndex()
{
    if (!m_catalogue)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_catalogue->RecreateIndex();
    QApplication::restoreOverrideCursor();
}

void CDlgImpostazioniAvanzate::OnBrowseWorkFolder()
{
    QString start = WithoutTrailingSeparators(m_workFolder->text());
    if (!IsExistingFolder(start))
        start.clear();
    const auto chosen = OptionsChooser().ChooseFolder(nullptr, LoadText(IDS_FOLDER_BROWSE_TITLE), start);
    if (chosen && !chosen->isEmpty())
        m_workFolder->setText(WithoutTrailingSeparators(*chosen));
    // Whatever the person did, a realignment pending from the start is off.
    COptionsKey key;
    if (key.Open())
        key.Write(ESetting::Riallinea, QStringLiteral("0"));
}

void CDlgImpostazioniAvanzate::OnBrowseWarningSound()
{
    for (;;) {
        const auto chosen = OptionsChooser().ChooseSoundFile(this, LoadText(IDS_WARNING_CHOOSE_TITLE));
        if (!chosen)
            return;
        if (!QFileInfo(*chosen).isFile()) {
            MessageBox(LoadText(IDS_WARNING_INVALID), PromptIcon::Exclamation);
            continue;
        }
        if (!HasAcceptedSoundExtension(*chosen)) {
            MessageBox(LoadText(IDS_WARNING_BAD_FORMAT), PromptIcon::Exclamation);
            continue;
        }
        m_soundFile->setText(*chosen);
        return;
    }
}

void CDlgImpostazioniAvanzate::OnWarningSoundToggled()
{
    EnableWarningDependants();
}

void CDlgImpostazioniAvanzate::OnSendAfterToggled()
{
    m_sendAfterSeconds->setEnabled(m_warning->isChecked() && m_sendAfter->isChecked());
}

void CDlgImpostazioniAvanzate::OnSendEveryToggled()
{
    m_sendEverySeconds->setEnabled(m_warning->isChecked() && m_sendEvery->isChecked());
}

}  // namespace sonvelle

#include "options/CDlgSetImpostazioni.h"

#include "app/AppSettings.h"
#include "audio/Mixer.h"
#include "options/OptionsPageIds.h"
#include "options/OptionsRegistry.h"
#include "platform/LeadingInt.h"
#include "platform/Log.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QVBoxLayout>

namespace sonvelle {

namespace {

constexpr int kThresholdMinimum = 100;
constexpr int kThresholdMaximum = 32767;
constexpr int kThresholdBytes = 7;  // 6 characters
constexpr std::uint32_t kDefaultRecordingVolume = 32767;

}  // namespace

CDlgSetImpostazioni::CDlgSetImpostazioni(QWidget* parent) : QWidget(parent), m_mixer(std::make_unique<CMixer>())
{
    setWindowTitle(LoadText(IDS_OPTIONS_GENERAL));
    CreateControls();
}

CDlgSetImpostazioni::~CDlgSetImpostazioni()
{
    if (m_mixerOpen)
        m_mixer->CloseMixer();
}

QWidget* CDlgSetImpostazioni::Control(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CDlgSetImpostazioni::CreateControls()
{
    auto keep = [this](int id, QWidget* w) {
        w->setObjectName(QString::number(id));
        m_controls[id] = w;
        return w;
    };
    auto label = [&](int id, int text) { return static_cast<QLabel*>(keep(id, new QLabel(LoadText(text), this))); };

    auto* page = new QVBoxLayout(this);

    auto* volumeGroup = static_cast<QGroupBox*>(keep(IDC_OPT_VOLUME_GROUP, new QGroupBox(LoadText(IDS_OPTIONS_RECORD_VOLUME), this)));
    auto* volumeLayout = new QGridLayout(volumeGroup);
    m_volume = static_cast<QSlider*>(keep(IDC_OPT_VOLUME, new QSlider(Qt::Horizontal, volumeGroup)));
    m_volume->setTickPosition(QSlider::NoTicks);
    volumeLayout->addWidget(label(IDC_OPT_VOLUME_LOW, IDS_VOLUME_LOW), 0, 0);
    volumeLayout->addWidget(m_volume, 0, 1);
    volumeLayout->addWidget(label(IDC_OPT_VOLUME_HIGH, IDS_VOLUME_HIGH), 0, 2);
    m_switch1 = static_cast<QCheckBox*>(keep(IDC_OPT_SWITCH1, new QCheckBox(volumeGroup)));
    m_switch2 = static_cast<QCheckBox*>(keep(IDC_OPT_SWITCH2, new QCheckBox(volumeGroup)));
    volumeLayout->addWidget(m_switch1, 1, 0, 1, 3);
    volumeLayout->addWidget(m_switch2, 2, 0, 1, 3);
    for (QCheckBox* box : {m_switch1, m_switch2}) {
        box->hide();
        box->setEnabled(false);
    }
    page->addWidget(volumeGroup);

    auto* autoGroup = static_cast<QGroupBox*>(keep(IDC_OPT_AUTO_GROUP, new QGroupBox(LoadText(IDS_OPTIONS_AUTO_GROUP), this)));
    auto* autoLayout = new QVBoxLayout(autoGroup);
    m_oneFile = static_cast<QRadioButton*>(keep(IDC_OPT_ONE_FILE, new QRadioButton(LoadText(IDS_OPTIONS_ONE_FILE), autoGroup)));
    m_separateFiles = static_cast<QRadioButton*>(
        keep(IDC_OPT_SEPARATE_FILES, new QRadioButton(LoadText(IDS_OPTIONS_SEPARATE_FILES), autoGroup)));
    m_confirm = static_cast<QCheckBox*>(keep(IDC_OPT_CONFIRM, new QCheckBox(LoadText(IDS_OPTIONS_CONFIRM), autoGroup)));
    m_antiBump = static_cast<QCheckBox*>(keep(IDC_OPT_ANTI_BUMP, new QCheckBox(LoadText(IDS_OPTIONS_ANTI_BUMP), autoGroup)));
    autoLayout->addWidget(m_oneFile);
    autoLayout->addWidget(m_separateFiles);
    for (QCheckBox* box : {m_confirm, m_antiBump}) {
        box->setContentsMargins(20, 0, 0, 0);
        autoLayout->addWidget(box);
    }
    auto* silenceRow = new QHBoxLayout;
    m_silence = static_cast<QLineEdit*>(keep(IDC_OPT_SILENCE, new QLineEdit(autoGroup)));
    m_silence->setMaxLength(4);
    m_silence->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_silence));
    m_silence->setFixedWidth(m_silence->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    silenceRow->addWidget(label(IDC_OPT_SILENCE_LABEL, IDS_OPTIONS_STOP_AFTER));
    silenceRow->addWidget(m_silence);
    silenceRow->addWidget(label(IDC_OPT_SILENCE_UNIT, IDS_OPTIONS_SECONDS));
    silenceRow->addStretch();
    autoLayout->addLayout(silenceRow);

    auto* sensitivityGroup = static_cast<QGroupBox*>(
        keep(IDC_OPT_SENSITIVITY_GROUP, new QGroupBox(LoadText(IDS_OPTIONS_SENSITIVITY), autoGroup)));
    auto* sensitivityLayout = new QHBoxLayout(sensitivityGroup);
    m_sensitivity = static_cast<QSlider*>(keep(IDC_OPT_SENSITIVITY, new QSlider(Qt::Horizontal, sensitivityGroup)));
    // A low threshold is a high sensitivity: "High" stands at the left end.
    sensitivityLayout->addWidget(label(IDC_OPT_SENSITIVITY_HIGH, IDS_OPTIONS_HIGH));
    sensitivityLayout->addWidget(m_sensitivity);
    sensitivityLayout->addWidget(label(IDC_OPT_SENSITIVITY_LOW, IDS_OPTIONS_LOW));
    autoLayout->addWidget(sensitivityGroup);
    page->addWidget(autoGroup);

    auto* buttons = new QHBoxLayout;
    auto* restore = static_cast<QPushButton*>(keep(IDC_OPT_DEFAULT, new QPushButton(LoadText(IDS_OPTIONS_DEFAULT), this)));
    restore->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(restore);
    page->addLayout(buttons);
    page->addStretch();

    connect(restore, &QPushButton::clicked, this, &CDlgSetImpostazioni::OnRestoreDefaults);
    connect(m_oneFile, &QRadioButton::clicked, this, &CDlgSetImpostazioni::OnSingleFileSelected);
    connect(m_separateFiles, &QRadioButton::clicked, this, &CDlgSetImpostazioni::OnSeparateFilesSelected);
    connect(m_volume, &QSlider::sliderReleased, this, &CDlgSetImpostazioni::OnVolumeReleased);
    // Keys and clicks beside the handle end their move at once, as a release does.
    connect(m_volume, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            QMetaObject::invokeMethod(this, &CDlgSetImpostazioni::OnVolumeReleased, Qt::QueuedConnection);
    });
}

// The main window's list; before it has one, what this page's own look at the mixer found.
const std::vector<std::uint32_t>& CDlgSetImpostazioni::Switches() const
{
    return m_switches && !m_switches->empty() ? *m_switches : m_mixer->MicrophoneSwitches();
}

void CDlgSetImpostazioni::SetAutoRecordingChecksEnabled(bool enable)
{
    m_confirm->setEnabled(enable);
    m_antiBump->setEnabled(enable);
}

void CDlgSetImpostazioni::OnInitDialog()
{
    m_sensitivity->setRange(kThresholdMinimum, kThresholdMaximum);

    COptionsKey key;
    if (!key.Open()) {
        MessageBox(LoadText(IDS_SETTINGS_READ_ERROR), PromptIcon::Stop);
        return;
    }
    m_silenceText = key.Text(ESetting::TempoAttesaRegAuto, QStringLiteral("10"));
    m_silence->setText(m_silenceText);

    m_oneFileText = key.Text(ESetting::RegAutoSalvaUnicoFile, QStringLiteral("0"));
    const bool oneFile = m_oneFileText != QStringLiteral("0");
    m_oneFile->setChecked(oneFile);
    m_separateFiles->setChecked(!oneFile);
    SetAutoRecordingChecksEnabled(!oneFile);

    m_thresholdText = key.Text(ESetting::SogliaAttivazioneRegAuto, QStringLiteral("15000"), kThresholdBytes);
    m_sensitivity->setValue(LeadingInt(m_thresholdText));

    m_confirm->setChecked(key.Flag(ESetting::ChiediConfermaAutoRec, false));
    m_antiBump->setChecked(key.Flag(ESetting::AntiBump, true));
    const bool noMicSelect = key.Flag(ESetting::NoMicSelect, false);

    std::uint32_t volume = kDefaultRecordingVolume;
    if (const auto stored = key.Read(ESetting::VolumeRegistrazione))
        volume = static_cast<std::uint32_t>(std::max(0, LeadingInt(*stored)));
    else
        key.Write(ESetting::VolumeRegistrazione, QString::number(kDefaultRecordingVolume));

    m_mixer->DumpMixer(true);
    m_mixerOpen = m_mixer->OpenLine(this, true, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
    const bool selected = m_mixerOpen && (noMicSelect || m_mixer->AbilitaDisabilitaSulMixer(true));
    if (!selected) {
        WriteLog(QStringLiteral("ErroreAudioMicrofonoIn"));
        MessageBox(LoadText(IDS_VOLUME_CONTROL_ERROR) + QStringLiteral("ErroreAudioMicrofonoIn"), PromptIcon::Stop);
    } else {
        m_mixer->SetVolume(volume);
        const std::uint32_t minimum = m_mixer->GetMinimum();
        const std::uint32_t maximum = m_mixer->GetMaximum();
        m_volume->setRange(static_cast<int>(std::min<std::uint32_t>(minimum, INT32_MAX)),
                           static_cast<int>(std::min<std::uint32_t>(maximum, INT32_MAX)));
        m_volume->setValue(static_cast<int>(std::min<std::uint32_t>(volume, INT32_MAX)));
    }
    key.Close();

    if (!m_mixerOpen)
        return;
    const std::vector<std::uint32_t>& switches = Switches();
    QCheckBox* boxes[] = {m_switch1, m_switch2};
    for (std::size_t i = 0; i < 2 && i < switches.size(); ++i) {
        const std::uint32_t control = switches[i];
        boxes[i]->setText(m_mixer->GetControlName(control));
        boxes[i]->setChecked(m_mixer->GetBooleanValue(control));
        boxes[i]->setEnabled(true);
        boxes[i]->show();
    }
}

bool CDlgSetImpostazioni::OnOK()
{
    if (m_silence->text().isEmpty()) {
        MessageBox(LoadText(IDS_SILENCE_SECONDS_MISSING), PromptIcon::Exclamation);
        m_refused = m_silence;
        m_silence->setFocus();
        return false;
    }
    COptionsKey key;
    if (!key.Open()) {
        MessageBox(LoadText(IDS_SETTINGS_READ_ERROR), PromptIcon::Stop);
        return true;
    }
    key.Write(ESetting::TempoAttesaRegAuto, m_silence->text());
    key.Write(ESetting::RegAutoSalvaUnicoFile, m_separateFiles->isChecked() ? QStringLiteral("0") : QStringLiteral("1"));
    key.Write(ESetting::SogliaAttivazioneRegAuto, QString::number(m_sensitivity->value()));
    // A box that does not apply (one file) is stored off, whatever it shows.
    key.WriteFlag(ESetting::ChiediConfermaAutoRec, m_confirm->isEnabled() && m_confirm->isChecked());
    key.WriteFlag(ESetting::AntiBump, m_antiBump->isEnabled() && m_antiBump->isChecked());
    // Only a volume the mixer really holds is worth keeping.
    std::uint32_t volume = 0;
    if (m_mixerOpen && m_mixer->GetCurrentVolume(volume))
        key.Write(ESetting::VolumeRegistrazione, QString::number(volume));

    if (m_mixerOpen) {
        const std::vector<std::uint32_t>& switches = Switches();
        if (!m_switch1->isHidden() && !switches.empty())
            m_mixer->SetBooleanControl(switches[0], m_switch1->isChecked() ? 1 : 0);
        if (!m_switch2->isHidden() && switches.size() > 1)
            m_mixer->SetBooleanControl(switches[1], m_switch2->isChecked() ? 1 : 0);
    }
    return true;
}

void CDlgSetImpostazioni::OnCancel()
{
    // A volume the slider has already set stays in the mixer.
    if (m_mixerOpen)
        m_mixer->CloseMixer();
    m_mixerOpen = false;
}

void CDlgSetImpostazioni::OnRestoreDefaults()
{
    m_silence->setText(LoadText(IDS_DEFAULT_AUTO_STOP_WAIT));
    m_antiBump->setChecked(IsFlagOn(LoadText(IDS_DEFAULT_ANTI_BUMP)));
    m_confirm->setChecked(IsFlagOn(LoadText(IDS_DEFAULT_CONFIRM_AUTO)));
    m_sensitivity->setValue(LeadingInt(LoadText(IDS_DEFAULT_AUTO_THRESHOLD)));
    m_separateFiles->setChecked(true);
    SetAutoRecordingChecksEnabled(true);
}

void CDlgSetImpostazioni::OnSingleFileSelected()
{
    SetAutoRecordingChecksEnabled(false);
}

void CDlgSetImpostazioni::OnSeparateFilesSelected()
{
    SetAutoRecordingChecksEnabled(true);
}

void CDlgSetImpostazioni::OnVolumeReleased()
{
    if (m_mixerOpen)
        m_mixer->SetVolume(static_cast<std::uint32_t>(std::max(0, m_volume->value())));
}

}  // namespace sonvelle

#pragma once
// The "General" page of the options sheet: the recording volume (which acts on
// the mixer at once), the microphone's switches and auto-recording. Reads the
// settings when first shown, stores them when the sheet is confirmed.

#include <QWidget>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace sonvelle {

class CMixer;

class CDlgSetImpostazioni : public QWidget {
    Q_OBJECT
public:
    explicit CDlgSetImpostazioni(QWidget* parent = nullptr);
    ~CDlgSetImpostazioni() override;

    // The main window's list of the microphone's switch controls; the page uses the first two.
    void SetMixerSwitches(const std::vector<std::uint32_t>* switches) { m_switches = switches; }

    void OnInitDialog();
    // False when the page refuses the confirmation (the focus is then on the field).
    bool OnOK();
    void OnCancel();

    void OnRestoreDefaults();
    void OnSingleFileSelected();
    void OnSeparateFilesSelected();
    void OnVolumeReleased();

    QWidget* Control(int id) const;
    // The field the last refused confirmation pointed at.
    QWidget* RefusedField() const { return m_refused; }
    CMixer& Mixer() { return *m_mixer; }

private:
    void CreateControls();
    void SetAutoRecordingChecksEnabled(bool enable);
    const std::vector<std::uint32_t>& Switches() const;

    const std::vector<std::uint32_t>* m_switches = nullptr;
    std::unique_ptr<CMixer> m_mixer;
    bool m_mixerOpen = false;
    QString m_thresholdText;
    QString m_oneFileText;
    QString m_silenceText;
    std::map<int, QWidget*> m_controls;
    QWidget* m_refused = nullptr;
    QSlider* m_volume = nullptr;
    QSlider* m_sensitivity = nullptr;
    QCheckBox* m_switch1 = nullptr;
    QCheckBox* m_switch2 = nullptr;
    QRadioButton* m_oneFile = nullptr;
    QRadioButton* m_separateFiles = nullptr;
    QCheckBox* m_confirm = nullptr;
    QCheckBox* m_antiBump = nullptr;
    QLineEdit* m_silence = nullptr;
};

}  // namespace sonvelle

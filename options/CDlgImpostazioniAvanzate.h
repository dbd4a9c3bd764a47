#pragma once
// The "Advanced" page of the options sheet: start mode, work folder, operator,
// warning sound, playing method, the start-up entry and the index rebuild
// (which acts at once).

#include <QString>
#include <QWidget>

#include <map>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace sonvelle {

// What the page needs of the main window's catalogue.
class IOptionsCatalogue {
public:
    virtual ~IOptionsCatalogue() = default;
    virtual bool UsesIndexFile() const = 0;
    // Drops the entries, deletes the index file and loads the folder again.
    virtual void RecreateIndex() = 0;
};

class CDlgImpostazioniAvanzate : public QWidget {
    Q_OBJECT
public:
    explicit CDlgImpostazioniAvanzate(QWidget* parent = nullptr);

    // programFolder ends with "/"; the catalogue may be null (no index to rebuild).
    void SetContext(const QString& programFolder, IOptionsCatalogue* catalogue);

    void OnInitDialog();
    bool OnOK();

    void OnRestoreDefaults();
    void OnRecreateIndex();
    void OnBrowseWorkFolder();
    void OnBrowseWarningSound();
    void OnWarningSoundToggled();
    void OnSendAfterToggled();
    void OnSendEveryToggled();

    QWidget* Control(int id) const;
    // The field the last refused confirmation pointed at.
    QWidget* RefusedField() const { return m_refused; }

    // "mp3", "Mp3", "MP3", "wav", "Wav" or "WAV" after the last dot.
    static bool HasAcceptedSoundExtension(const QString& path);
    // The folder text without its trailing separators ("/" stays "/").
    static QString WithoutTrailingSeparators(const QString& folder);

private:
    void CreateControls();
    void EnableWarningDependants();

    QString m_programFolder;
    IOptionsCatalogue* m_catalogue = nullptr;
    QString m_startInTrayText;
    std::map<int, QWidget*> m_controls;
    QWidget* m_refused = nullptr;
    QCheckBox* m_autostart = nullptr;
    QCheckBox* m_startInTray = nullptr;
    QCheckBox* m_autoAtStart = nullptr;
    QLineEdit* m_workFolder = nullptr;
    QLineEdit* m_operator = nullptr;
    QCheckBox* m_warning = nullptr;
    QCheckBox* m_sendAfter = nullptr;
    QLineEdit* m_sendAfterSeconds = nullptr;
    QCheckBox* m_sendEvery = nullptr;
    QLineEdit* m_sendEverySeconds = nullptr;
    QLineEdit* m_soundFile = nullptr;
    QCheckBox* m_altPlay = nullptr;
    QPushButton* m_reindex = nullptr;
};

}  // namespace sonvelle

#pragma once
// Dialog 176: names a recording that has just ended, with a player of its own
// to listen to it first. Confirming renames the audio to the recording's name;
// cancelling marks the entry "**del**" and leaves the audio to the recording control.

#include "audio/SoundPlayer.h"

#include <QBasicTimer>
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sonvelle {

class CRecordingEntry;
class CSkinButton;

class CSaveRecordingDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 176;
    static constexpr int kNotesField = 1035;
    static constexpr int kNameField = 1036;
    static constexpr int kConfirmButton = 1034;
    static constexpr int kCancelButton = 2;
    static constexpr int kPlayButton = 1184;
    static constexpr int kPlayTimer = 1184;
    static constexpr int kPlayTimerMs = 1000;

    explicit CSaveRecordingDlg(QWidget* parent = nullptr);
    ~CSaveRecordingDlg() override;

    // entry stays the caller's; folder ends with "/".
    void Setup(CRecordingEntry* entry, const QString& folder, bool alternativePlay);
    // The audio to name; when empty, the entry's folder + "tmp_nome_reg.dtm".
    void SetRecordingFile(const QString& path) { m_recordingFile = path; }
    QString RecordingFile() const { return m_recordingFile; }

    bool IsPlaying() const { return m_playing; }
    // "PLAYREC" while idle, "STOPPLAY" while playing.
    QString PlayButtonBitmaps() const { return m_playBitmaps; }

    QLineEdit* NameField() const { return m_name; }
    QPlainTextEdit* NotesField() const { return m_notes; }
    QPushButton* ConfirmButton() const { return m_confirm; }
    QPushButton* CancelButton() const { return m_cancel; }
    CSkinButton* PlayButton() const { return m_play; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void OnInitDialog();
    void OnNameChanged(const QString& text);
    void OnPlayRec();
    void OnConfirm();
    void StopPlaying();
    void ShowPlayBitmaps(const QString& caption);

    CSoundPlayer m_player;
    QString m_folder;
    QString m_recordingFile;
    QString m_strName;
    QString m_playBitmaps;
    CRecordingEntry* m_entry = nullptr;
    bool m_playing = false;
    bool m_alternative = false;
    bool m_initialised = false;
    bool m_filtering = false;
    QBasicTimer m_timer;

    QLineEdit* m_name = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_cancel = nullptr;
    CSkinButton* m_play = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLabel* m_notesLabel = nullptr;
};

}  // namespace sonvelle

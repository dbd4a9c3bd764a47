#pragma once
// The main window: the call log, the transport buttons, the two time
// displays, the level meter, the position bar, the volume slider and the name
// and notes of the selected recording. Every message, command, notification
// and timer goes to one named handler; handlers of features that are not
// built yet are empty hooks (the control is there, nothing pretends to work).

#include "app/AppSettings.h"
#include "mainwnd/CallLog.h"
#include "platform/Message.h"

#include <QColor>
#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QEventLoop;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTreeView;

namespace sonvelle {

class CColorStatic;
class CLevelMeter;
class CMessage;
class CPositionBar;
class CAppRecordingSettings;
class CCallLogCatalogue;
class CMainWindowStartupHost;
class CMainWindowTray;
class CPlayCommandWindow;
class CRecordingControl;
class CRecordingEngine;
class CRecordingWindowAdapter;
class CRecordingEntry;
class CRecordingInfoEditor;
class CRecordingInfoFields;
class CSaveProgress;
class CSettingsStore;
class CStartupSequence;
class CSkinButton;
class ISpeakerLine;
class IImportFileChooser;
class CMailSender;

// Colours of the time displays.
inline const QColor kDisplayBackground(0, 102, 0);
inline const QColor kDisplayText(38, 124, 8);
inline const QColor kRecordingText(102, 204, 51);

class CMainDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Runs the start-up sequence once; false when the window is closing at once.
    bool OnInitDialog();
    // The window's own part of the start only (controls, captions, the list of
    // the settings' work folder), without threads, devices or settings files:
    // for tools that render the window.
    void InitialiseWindowOnly();
    int exec() override;

    // Operations other parts of the program call.
    void UpdateRecordButtons();
    void UpdateListDependentControls();
    void ShowRecordingTime(std::chrono::seconds elapsed);
    void ShowPlayingTime(std::chrono::seconds position);
    void RedrawDisplays();

    // Timers under the window's fixed ids; a running timer of that id is restarted.
    void SetTimer(int id, int ms);
    void KillTimer(int id);
    bool IsTimerRunning(int id) const;

    // The controls by their fixed ids (null for an unknown id), the menu commands by theirs.
    QWidget* Control(int id) const;
    QAction* MenuCommand(int commandId) const;
    QMenu* ToolsMenu() const { return m_toolsMenu; }
    CCallLog& CallLog() { return m_callLog; }
    bool IsSoundCardPresent() const { return m_bSoundCardPresent; }
    void SetSoundCardPresent(bool present) { m_bSoundCardPresent = present; }
    // Set before SetupControls; normally measured from the dialog font.
    void SetLargeFonts(bool large) { m_bLargeFonts = large; }
    // The speakers line of the mixer; null until the mixer exists. The caller keeps ownership.
    void SetSpeakerLine(ISpeakerLine* line);
    // The Find window (modeless); null while none is open.
    void SetFindWindow(QWidget* findWindow) { m_findWindow = findWindow; }
    void DeleteFindWindow();
    // Import: the chooser of the files (Qt's dialog when none is set; the
    // caller keeps ownership), and the import whose dialog starts in a given
    // folder (start-up's, after the earlier work folder came back).
    void SetImportChooser(IImportFileChooser* chooser) { m_importChooser = chooser; }
    void ImportRecordings(const QString& startFolder);
    // Send by e-mail; its attachments stay until the window is destroyed.
    CMailSender& MailSender();

    bool HasLargeFonts() const { return m_bLargeFonts; }
    // Bitmaps, captions, columns, menus and fonts.
    void SetupControls();
    void EnableControl(int id, bool enable);

    // Loads the work folder into the catalogue and fills the list.
    void LoadWorkFolder(const QString& workFolder);

    // The name and notes fields under the list (save button, focus-loss question, in-place rename).
    void SaveTypedNameAndNotes();
    void ShowNameAndNotes(CRecordingEntry& entry);
    // Drops the fields' references to an entry the catalogue is about to delete.
    void ForgetEntry(const CRecordingEntry* entry);

    // The Play command (button, double click, Enter), also resuming a paused play.
    void PlaySelected();

    // Protection of the selected recording, or of several (Tools command); with
    // forPlaying the key word only makes the deciphered working copy. True for
    // the play path means the copy exists.
    bool ProtectCurrent(bool forPlaying);
    void ProtectSelected();
    // Deletes the deciphered working copies (at close).
    void RemoveWorkingCopies();
    // The delete action: selected recordings to the trash, after one question.
    void DeleteSelected();

    // The recording control (which holds the recording state), the worker
    // threads and players it commands, and its view of this window.
    CRecordingControl& RecordingControl() { return *m_control; }
    CRecordingEngine& RecordingEngine() { return *m_engine; }
    CRecordingWindowAdapter& RecordingWindow() { return *m_recordingWindow; }
    CAppSettings& AppSettings() { return m_appSettings; }
    CSettingsStore& SettingsStore() { return *m_settingsStore; }

    // Options: the microphone's switch controls the mixer reported at start-up,
    // and the second half of the Options command: re-reads the settings and
    // applies what changed, the work folder last.
    std::vector<std::uint32_t>& MixerSwitches() { return m_mixerSwitches; }
    void ApplyOptions();
    // The notification area: the icon, its menu and balloon (MainDlgTray.cpp).
    CMainWindowTray& Tray();
    void HideIntoNotificationArea();
    void ShowFromNotificationArea();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void reject() override;

private:
    void CreateControls();
    void CreateInfoEditor();
    int FocusTargetId() const;
    void CreateMenus();
    void ApplyFontsAndColours();
    void PlaceControls();
    void OnMessage(CMessage& message);
    void OnCommand(int id);
    void OnTimer(int id);
    bool HandleKey(int key, bool withModifiers);
    void SetTextIfChanged(CColorStatic* field, const QString& text);
    CSkinButton* Button(int id) const;
    bool IsEnabled(int id) const;
    void SetToolsItemsEnabled(bool enable);
    int DisplayPoints(int points) const { return m_bLargeFonts ? points - 1 : points; }

    // Handlers: the window's own.
    void OnClose();
    void OnExit();
    void OnListColumnClick(int column);
    void OnListRightClick(const QPoint& pos);
    void OnRescan();
    void OnVolumeReleased();
    void OnMixerControlChange(WPARAM mixer, LPARAM controlId);
    void OnNoAction();
    void OnMinimizeRequested();
    void SetCaption(const QString& caption);
    void PostCloseToSelf();
    void OnFallbackNoticeTimer();
    void OnRealignNoticeTimer();

    // Hooks: recording control.
    void OnRecord();
    void OnStop();
    void OnStopPlaying();
    void OnPause();
    void OnAutoRecording();
    void OnVoiceDetected();
    void OnRecordingFileReady(CMessage& message);
    void OnCaptureState(WPARAM state, LPARAM error);
    void OnButtonRepeat(int controlId);
    void OnSeekPosition(int seconds);
    void OnInputLevel(WPARAM peak, LPARAM lowest);
    void OnThresholdChanged(int threshold);
    void OnRecordingTimeTimer();
    void OnPlayingPositionTimer();
    void OnWarningSoundTimer();
    void OnWarningSoundEndTimer();
    // Hooks: playback.
    void OnPlay();
    void OnListDoubleClick(int row);
    // Hooks: save, rename, protection, delete.
    void OnSave();
    void OnListClick(int row);
    void OnListSelectionChanged();
    void OnListKeyDown(int key);
    void OnNameKillFocus();
    void OnNotesKillFocus();
    void OnNameChanged();
    void OnNotesChanged();
    void OnProtect();
    void OnDelete();
    // Hooks: operations.
    void OnImport();
    void OnJoin();
    void OnFind();
    void OnSend();
    // Hooks: options, help, notification area.
    void OnOptions();
    void OnHelp();
    void OnOnlinePage();
    void OnTrayNotify(WPARAM id, LPARAM mouseMessage);
    void OnBalloonTimer();
    // Options (MainDlgOptions.cpp).
    void ChangeWorkFolder(const QString& folder);
    void ApplyDeferredWorkFolder();
    void RecreateIndexNow();
    void OnTrayCommand(int id);
    // Keyboard use and accessible names (MainDlgKeyboard.cpp).
    void SetupKeyboardAndNames();
    bool HandleWindKey(const QKeyEvent& key);
    // Protection and delete helpers.
    QStringList SelectedNames() const;  // the selected rows' names, in list order
    void StopPlayingRecording(const CRecordingEntry& entry);
    void ShowProtectionChange(CRecordingEntry& entry);

    CCallLog m_callLog;
    std::map<int, QWidget*> m_controls;
    std::map<int, QAction*> m_commands;
    std::map<int, int> m_timers;  // window timer id -> running timer
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_toolsMenu = nullptr;
    QTreeView* m_list = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QPlainTextEdit* m_notesEdit = nullptr;
    QSlider* m_volume = nullptr;
    CLevelMeter* m_levelMeter = nullptr;
    CPositionBar* m_positionBar = nullptr;
    CColorStatic* m_recStatus = nullptr;
    CColorStatic* m_recMinutes = nullptr;
    CColorStatic* m_recColon = nullptr;
    CColorStatic* m_recSeconds = nullptr;
    CColorStatic* m_playStatus = nullptr;
    CColorStatic* m_playMinutes = nullptr;
    CColorStatic* m_playColon = nullptr;
    CColorStatic* m_playSeconds = nullptr;
    CColorStatic* m_listTitle = nullptr;
    CColorStatic* m_volumeLabel = nullptr;
    CColorStatic* m_displayFrame = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLabel* m_notesLabel = nullptr;
    QPointer<QWidget> m_findWindow;
    ISpeakerLine* m_speakers = nullptr;
    bool m_bLargeFonts = false;
    bool m_bSoundCardPresent = true;
    bool m_bInitialised = false;
    bool m_bCloseDone = false;
    CAppSettings m_appSettings;
    std::unique_ptr<CSettingsStore> m_settingsStore;
    std::unique_ptr<CSaveProgress> m_saveProgress;
    std::unique_ptr<CRecordingInfoFields> m_infoFields;
    std::unique_ptr<CRecordingInfoEditor> m_infoEditor;
    std::unique_ptr<CRecordingEngine> m_engine;
    std::unique_ptr<CCallLogCatalogue> m_catalogue;
    std::unique_ptr<CAppRecordingSettings> m_recordingSettings;
    std::unique_ptr<CRecordingWindowAdapter> m_recordingWindow;
    std::unique_ptr<CRecordingControl> m_control;
    std::unique_ptr<CPlayCommandWindow> m_playWindow;
    std::unique_ptr<CMainWindowStartupHost> m_startupHost;
    std::unique_ptr<CStartupSequence> m_startup;
    // The sound server's outages (OnCaptureState): told once each, a manual recording resumed after.
    bool m_captureLossTold = false;
    bool m_captureNoticeOpen = false;
    bool m_resumeManualRecording = false;
    bool m_captureBackWhileStoring = false;
    // Import and send by e-mail.
    IImportFileChooser* m_importChooser = nullptr;
    CMailSender* m_mailSender = nullptr;  // a child of the window
    // Options: a work folder that waits for the manual recording made in the old one.
    std::vector<std::uint32_t> m_mixerSwitches;
    QString m_deferredWorkFolder;
    CMainWindowTray* m_tray = nullptr;    // a child of the window, made at first use
    QEventLoop* m_runLoop = nullptr;      // exec()'s loop, ended by the close only
};

}  // namespace sonvelle

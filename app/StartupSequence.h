#pragma once
// The main window's initialisation and close, step by step in their binding
// order. The window calls these from its initialisation, its timers and its
// close handler; everything that is the window's goes through IMainWindowHost.

#include "AppSettings.h"
#include "MainWindowHost.h"
#include "SettingsStore.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace sonvelle {

// Controls the sequences enable and disable.
namespace StartupControl {
constexpr int Record = 1011;
constexpr int Stop = 1013;
constexpr int Pause = 1015;
constexpr int AutoRecording = 1019;
constexpr int Play = 1022;
constexpr int StopPlay = 1023;
constexpr int FastForward = 1031;
constexpr int FastRewind = 1032;
constexpr int Send = 1059;
constexpr int Save = 1099;
}  // namespace StartupControl

class CStartupSequence {
public:
    CStartupSequence(IMainWindowHost& host, CAppSettings& settings);

    // The initialisation; false when the encoder library is missing (the
    // window then closes through the short path of OnClose).
    bool OnInitDialog();

    // The notice naming the recordings salvaged at this start.
    static constexpr int kTimerSalvageNotice = 1297;

    // The one-shot notices 1295, 1297 and 1298; false for any other timer.
    bool OnTimer(int id);

    // The close handler's work, before the window closes. May wait up to
    // about 10 s for the capture thread.
    void OnClose();

    const QString& ProgramFolder() const { return m_programFolder; }
    bool ClosingForMissingLibrary() const { return m_closingForMissingLibrary; }
    bool LargeFonts() const { return m_largeFonts; }
    bool SoundCardPresent() const { return m_soundCardPresent; }
    bool FirstStart() const { return m_firstStart; }
    bool RealignPending() const { return m_realignPending; }
    const QStringList& SalvagedRecordings() const { return m_salvaged; }
    void ClearRealignPending() { m_realignPending = false; }
    CSettingsStore& Store() { return m_store; }

    // Tests replace the hardware and the clock.
    void SetSoundCardProbe(std::function<bool()> probe) { m_probe = std::move(probe); }
    void SetSleep(std::function<void(int ms)> sleep) { m_sleep = std::move(sleep); }
    void SetProgramFolder(const QString& folder) { m_programFolderOverride = folder; }

private:
    void WaitForCaptureThread();

    IMainWindowHost& m_host;
    CAppSettings& m_settings;
    CSettingsStore m_store;
    std::function<bool()> m_probe;
    std::function<void(int)> m_sleep;
    QString m_programFolderOverride;

    QString m_programFolder;
    bool m_closingForMissingLibrary = false;
    bool m_largeFonts = false;
    bool m_soundCardPresent = false;
    bool m_firstStart = false;
    bool m_realignPending = false;
    QStringList m_salvaged;
};

}  // namespace sonvelle

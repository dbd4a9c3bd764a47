#pragma once
// The settings store: the values under the user's settings key, their
// defaults and fallbacks, the one-time copy from the machine key, the
// start-up load with the work-folder checks and the dump to the log, and the
// start-up entry. Runs on the main window's thread only.

#include "AppSettings.h"

#include <QString>

namespace sonvelle {

// What the start-up load tells the main window to do.
struct CStartupLoad {
    bool keyRead = false;         // false: the key could not be opened, nothing was read
    bool firstStart = false;
    bool realignPending = false;  // the earlier work folder is back
    int noticeTimer = 0;          // 0, or the one-shot timer (1295 or 1298) to start
    QString caption;              // the main window's caption
    bool sendDisabled = false;    // NoSend: the Send button (1059) is disabled
};

class CSettingsStore {
public:
    static constexpr int kTimerWorkFolderUnreachable = 1295;
    static constexpr int kTimerWorkFolderBack = 1298;

    explicit CSettingsStore(CAppSettings& settings) : m_settings(settings) {}

    // Copies the machine key's values into a user key that does not exist yet.
    static void MigrateFromMachineKey();

    // Creates the key with its defaults when missing, reads every value with
    // its fallback and limit, runs the work-folder checks and writes the dump.
    // The fallback work folder is "Recordings/" in `dataFolder` (by default
    // the folder the program writes its own files to).
    CStartupLoad LoadAtStartup(const QString& programFolder, const QString& dataFolder = {});

    // Re-reads the silence time, the one-file mode and the threshold; a value
    // that cannot be read leaves its field as it was.
    void ReloadAutoRecordingValues();

    void SaveThreshold(int threshold);
    bool WriteValue(const QString& name, const QString& text);

    // The start-up entry (SonvelleRecorder): on exactly when it exists.
    static bool HasStartupEntry();
    static bool SetStartupEntry(bool on, const QString& programPath);

    // Folder of the fallback work folder: `dataFolder` + "Recordings/".
    static QString FallbackWorkFolder(const QString& dataFolder);

private:
    CAppSettings& m_settings;
};

}  // namespace sonvelle

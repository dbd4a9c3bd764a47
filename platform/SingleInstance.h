#pragma once
// Only one instance runs at a time: an exclusive lock on a file in the user's
// runtime folder, held while this object lives. The kernel drops it when the
// process ends in any way, so a crashed instance never blocks the next.

#include <QString>

namespace sonvelle {

class CSingleInstanceGuard {
public:
    explicit CSingleInstanceGuard(const QString& name = QStringLiteral("sonvelle"));
    ~CSingleInstanceGuard();
    CSingleInstanceGuard(const CSingleInstanceGuard&) = delete;
    CSingleInstanceGuard& operator=(const CSingleInstanceGuard&) = delete;

    // False when another process holds the name (or the lock file cannot be made).
    bool Acquire();
    bool IsHeld() const { return m_fd >= 0; }

    // $XDG_RUNTIME_DIR when usable, else $XDG_CACHE_HOME/Sonvelle/ (0700, created on demand).
    static QString LockFolder();
    QString LockFilePath() const;

private:
    QString m_name;
    int m_fd = -1;
};

}  // namespace sonvelle

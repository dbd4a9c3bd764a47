#pragma once
// Settings keys and text values. Each key is one file: the current user's
// keys under $XDG_CONFIG_HOME (default ~/.config), the machine's under the
// first of $XDG_CONFIG_DIRS (default /etc/xdg); the key's path, with "\"
// turned into "/", is the file's path. Every write is atomic (a new file
// renamed over the old one). A corrupt or unreadable file reads as a key
// without values; it never crashes.

#include <QString>

#include <optional>

namespace sonvelle {

enum class Hive { CurrentUser, LocalMachine };

class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey();
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // Opens an existing key; false when it does not exist or cannot be read.
    bool Open(Hive hive, const QString& path, bool writable = true);
    // Opens the key, creating it (empty) when it does not exist.
    bool Create(Hive hive, const QString& path);
    void Close();
    bool IsOpen() const;

    // Reads a text value into a buffer of `bufferBytes` bytes, the terminating
    // NUL included: a value whose UTF-8 text needs more counts as missing.
    std::optional<QString> ReadText(const QString& name, int bufferBytes = 260) const;
    bool WriteText(const QString& name, const QString& text);
    bool DeleteValue(const QString& name);

    // Where a key lives (for tests and messages).
    static QString KeyFilePath(Hive hive, const QString& path);

private:
    struct Impl;
    Impl* m_impl = nullptr;
};

}  // namespace sonvelle

#pragma once
// Recordings protected with a key word: the tag stays in clear; after it come
// a check block (the key word's length in decimal, "*", the key word, "*")
// and the audio, both XORed with the key word's bytes in turn, the key
// position running on from the check block into the audio. The key word is
// never stored in clear. Files already protected rely on this layout.
//
// The recording's file is replaced in one step: the new file is written
// complete beside it, flushed to disk, and renamed over it, so that a crash at
// any point leaves the old or the new file under the recording's name.

#include <QByteArray>
#include <QString>

#include <functional>

namespace sonvelle {

class CRecordingEntry;

// Enciphers the entry's file with m_strKeyWord (its first m_dwTagSize bytes
// stay in clear). True: m_bProtected set, state 1 (the tag is to be rewritten).
bool Protect(CRecordingEntry& entry);

// Checks m_strKeyWord against the file; false for a wrong key word or a file
// error, with the file untouched. With workingCopyOnly the deciphered audio
// goes to the working copy (owner-only) and the file stays protected;
// otherwise the file becomes the deciphered audio, m_bProtected is cleared and
// the state is 1 (a fresh tag is to be written in front of it).
bool Unprotect(CRecordingEntry& entry, bool workingCopyOnly);

// folder + name + ".snx": the deciphered audio of a protected recording, for playing.
QString WorkingCopyPath(const CRecordingEntry& entry);
QString WorkingCopyPath(const QString& folder, const QString& name);

// The key word as the bytes that encipher.
QByteArray KeyWordBytes(const QString& keyWord);

// The clear check block for a key word.
QByteArray CheckBlockFor(const QByteArray& key);

// Reads the enciphered check block at the start of `data` (what follows the
// tag). Its length when it holds exactly `key`; -1 for a wrong key word or too
// few bytes.
qint64 CheckBlockLength(const QByteArray& data, const QByteArray& key);

// XORs `data` in place with `key`, starting at key byte `position`; returns the
// position after it.
qsizetype ApplyKeyStream(char* data, qsizetype size, const QByteArray& key, qsizetype position);

// The steps where a replacement can be cut short, for tests that simulate a
// kill: a hook answering false stops the operation right there, leaving the
// files as a killed process would.
enum class ProtectionStep { CopyCreated, CopyHalfWritten, CopyWritten, CopyFlushed, Renamed };
using ProtectionStepHook = std::function<bool(ProtectionStep)>;
void SetProtectionStepHookForTesting(ProtectionStepHook hook);

}  // namespace sonvelle

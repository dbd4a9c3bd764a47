#pragma once
// Which names a user may give a recording. Every edit field that takes a
// name calls these; the checks that end in a message return the text number
// to show (caption 233, exclamation icon).

#include <QString>

namespace sonvelle {

class CRecordingList;
class CRecordingEntry;

class CRecordingNameRules {
public:
    enum class Problem { None, Empty, TooLong, Reserved, Duplicate, ForbiddenCharacter };

    // < > : / | * ? backslash and double quote.
    static bool HasForbiddenCharacter(const QString& text);
    // What an edit field shows after a change: with a forbidden character
    // anywhere, the last character is taken away again.
    static QString WithoutTypedForbiddenCharacter(const QString& text);
    // Folder (with its trailing slash) + name longer than 260 bytes of UTF-8.
    static bool IsTooLong(const QString& folder, const QString& name);
    // "tmp_nome_reg", "Join_Temporary", "tagTemporary", matched case-sensitively.
    static bool IsReserved(const QString& name);
    // Another entry of the list than `except` has this name, ignoring case.
    static bool IsDuplicate(const CRecordingList& list, const QString& name, const CRecordingEntry* except = nullptr);

    // The main window's rename checks, in the order they are made.
    static Problem Check(const CRecordingList& list, const QString& folder, const QString& name,
                         const CRecordingEntry* except = nullptr);
    // Text number of the message for a problem (0 for None).
    static int MessageTextId(Problem problem);
    // Check and, on a problem, show its message. True when the name may be used.
    static bool CheckAndWarn(const CRecordingList& list, const QString& folder, const QString& name,
                             const CRecordingEntry* except = nullptr);

    static constexpr int kMaxPathBytes = 260;
};

}  // namespace sonvelle

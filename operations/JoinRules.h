#pragma once
// What the join wizard decides without widgets: its rows (the main list's
// columns as text), which recordings follow one another, the totals and the
// rules for the new recording's name.

#include <QString>

#include <array>
#include <functional>
#include <vector>

namespace sonvelle {

class CRecordingEntry;

enum JoinColumn : int {
    JOIN_COL_MARK = 0,
    JOIN_COL_NAME,
    JOIN_COL_DATE,
    JOIN_COL_TIME,
    JOIN_COL_NOTES,
    JOIN_COL_DURATION,
    JOIN_COL_SIZE,
    JOIN_COL_PROTECTED,
    JOIN_COLUMNS
};

struct JoinRow {
    std::array<QString, JOIN_COLUMNS> text;
    bool checked = false;
    const QString& Name() const { return text[JOIN_COL_NAME]; }
    bool IsProtected() const { return text[JOIN_COL_PROTECTED] == QStringLiteral("Si"); }
};

// A recording as the main list shows it.
JoinRow JoinRowOf(const CRecordingEntry& entry);

// Seconds since an arbitrary origin of the row's date and time texts; -1 when unreadable.
qint64 RowStartSeconds(const JoinRow& row);
// "minutes:ss" as seconds; 0 when unreadable.
int DurationTextSeconds(const QString& text);

// The rows (indices into `rows`) that follow `first` back to back: each starts
// later than the previous one and at most 10 s after its end. `inUse` stops the chain.
std::vector<int> FollowingRows(const std::vector<JoinRow>& rows, int first,
                               const std::function<bool(const JoinRow&)>& inUse);

// Sizes as the wizard shows them: "<whole>.<digit> KB|MB|GB", integer divisions.
QString FormatJoinSize(qint64 bytes);
// Seconds as hours:minutes:seconds of a day (it wraps at 24 hours).
QString FormatJoinDuration(qint64 seconds);

// Names the program keeps for its own work files.
bool IsReservedJoinName(const QString& name);
// The name edit after a change: leading blanks go; a forbidden character or
// a path longer than 260 gives its characters back.
QString JoinNameAfterEdit(const QString& typed, int folderLength);

}  // namespace sonvelle

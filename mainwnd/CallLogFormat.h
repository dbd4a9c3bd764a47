#pragma once
// Texts of the call log's cells and of the two time displays.

#include <QString>

#include <cstdint>

namespace sonvelle {

// A duration held as a fraction of a day: total minutes and seconds "%02d:%02d".
// A duration not yet measured (negative) shows "--:--".
QString FormatListDuration(double days);

// File size in whole kilobytes, rounded up like a file manager shows it.
QString FormatListSize(std::uint32_t bytes);

// Line breaks shown as two blanks so a note stays on one row.
QString NotesForList(const QString& notes);

// The two fields of a time display: total minutes and seconds, each "%02d".
struct MinutesSeconds {
    QString minutes;
    QString seconds;
};
MinutesSeconds SplitElapsed(std::int64_t totalSeconds);

// Row images of the call log.
enum CallLogImage : int { IMAGE_PLAYING = 0, IMAGE_IN_USE = 1, IMAGE_NORMAL = 2, IMAGE_PROTECTED = 3 };
int CallLogImageFor(bool beingPlayed, int entryState, bool isProtected);

}  // namespace sonvelle

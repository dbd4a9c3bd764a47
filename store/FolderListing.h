#pragma once
// The recordings of a folder as the directory gives them: names and sizes,
// no file opened.

#include <QString>

#include <cstdint>
#include <vector>

namespace sonvelle {

struct ListedFile {
    QString fileName;  // with its extension
    std::int64_t size = 0;
};

// Regular files whose name ends in ".mp3" in any case, in directory order.
// A name that could not be a recording's (not UTF-8, a character the naming
// rules forbid, longer than the index keeps) is left out with a log line.
std::vector<ListedFile> ListRecordingFiles(const QString& folder);

// The longest name, in UTF-8 bytes, that the index can keep whole.
constexpr int kMaxListedNameBytes = 260;

}  // namespace sonvelle

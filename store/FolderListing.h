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

// Regular files whose name ends in ".mp3" (case-sensitive), in directory order.
std::vector<ListedFile> ListRecordingFiles(const QString& folder);

}  // namespace sonvelle

#include "store/FolderListing.h"

#include <QFile>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace sonvelle {

std::vector<ListedFile> ListRecordingFiles(const QString& folder)
{
    std::vector<ListedFile> files;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return files;
    const int dirFd = ::dirfd(dir);
    while (const dirent* item = ::readdir(dir)) {
        const std::size_t length = std::strlen(item->d_name);
        if (length < 4 || std::memcmp(item->d_name + length - 4, ".mp3", 4) != 0)
            continue;
        if (item->d_type != DT_REG && item->d_type != DT_UNKNOWN && item->d_type != DT_LNK)
            continue;
        struct stat st;
        if (::fstatat(dirFd, item->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        files.push_back(ListedFile{QFile::decodeName(QByteArray(item->d_name, qsizetype(length))), st.st_size});
    }
    ::closedir(dir);
    return files;
}

}  // namespace sonvelle

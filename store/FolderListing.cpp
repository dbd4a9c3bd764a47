#include "store/FolderListing.h"

#include "platform/FileOps.h"
#include "platform/Log.h"

#include <QFile>
#include <QStringDecoder>

#include <cstring>
#include <strings.h>
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
        if (length < 4 || ::strncasecmp(item->d_name + length - 4, ".mp3", 4) != 0)
            continue;
        if (item->d_type != DT_REG && item->d_type != DT_UNKNOWN && item->d_type != DT_LNK)
            continue;
        struct stat st;
        if (::fstatat(dirFd, item->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        const QByteArray bytes(item->d_name, qsizetype(length));
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString fileName = utf8(bytes);
        const qsizetype nameBytes = qsizetype(length) - 4;
        if (utf8.hasError() || HasForbiddenNameCharacter(fileName) || nameBytes > kMaxListedNameBytes) {
            WriteLog(QStringLiteral("File ignorato, nome non ammesso: %1").arg(fileName));
            continue;
        }
        files.push_back(ListedFile{fileName, st.st_size});
    }
    ::closedir(dir);
    return files;
}

}  // namespace sonvelle

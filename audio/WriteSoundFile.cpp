#include "audio/WriteSoundFile.h"

#include "audio/MpegFrameRun.h"
#include "platform/FileOps.h"
#include "platform/Log.h"
#include "platform/Messages.h"
#include "platform/ModuleName.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMutexLocker>
#include <QThread>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sonvelle {

namespace {

QString TextOr(int id, const char* fallback)
{
    const QString text = LoadText(id);
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

// Queued, never waited for: the window's thread may itself be waiting for this one.
void QueueStopMessage(const QString& text)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        MessageBox(text, PromptIcon::Stop);
        return;
    }
    QMetaObject::invokeMethod(app, [text] { MessageBox(text, PromptIcon::Stop); }, Qt::QueuedConnection);
}

// Size of a plain file (not followed through a link); -1 for anything else.
qint64 FileSize(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return S_ISREG(st.st_mode) ? static_cast<qint64>(st.st_size) : -1;
}

int g_lastTempError = 0;

}  // namespace

QString CreateUniqueTempFile(const QString& folder, const QString& prefix)
{
    const QString dir = WithTrailingSlash(folder);
    const QString stem = prefix.left(3);
    // Unique number 0: start somewhere time-dependent and walk until a name is free.
    unsigned start = static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()) & 0xFFFF;
    for (unsigned i = 0; i < 0x10000; ++i) {
        const unsigned n = (start + i) & 0xFFFF;
        if (n == 0)
            continue;
        const QString path = dir + stem + QString::number(n, 16).toUpper() + QLatin1String(".tmp");
        const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) {
            g_lastTempError = errno;
            return {};
        }
    }
    g_lastTempError = EEXIST;
    return {};
}

CWriteSoundFile::CWriteSoundFile(std::uint32_t sampleRate)
    : m_sampleRate(sampleRate),
      m_syncEverySamples(kSyncEverySeconds * sampleRate),
      m_tempNameMaker(CreateUniqueTempFile)
{
}

CWriteSoundFile::~CWriteSoundFile()
{
    // The thread has ended by now (the base waits), so nothing else touches the members.
    if (isRunning()) {
        quit();
        wait();
    }
    if (m_outputPresent)
        OnCloseFile();
    CloseTemporaryFile();
    UnloadEncoder();
}

void CWriteSoundFile::SetFolders(const QString& programFolder, const QString& workFolder)
{
    QMutexLocker lock(&m_foldersMutex);
    m_programFolder = WithTrailingSlash(programFolder);
    m_workFolder = WithTrailingSlash(workFolder);
}

void CWriteSoundFile::SetWorkFolder(const QString& workFolder)
{
    QMutexLocker lock(&m_foldersMutex);
    m_workFolder = WithTrailingSlash(workFolder);
}

QString CWriteSoundFile::WorkFolder() const
{
    QMutexLocker lock(&m_foldersMutex);
    return m_workFolder;
}

void CWriteSoundFile::OnMessage(CMessage& message)
{
    switch (message.Message()) {
    case WM_WRITER_CREATE_FILE:
        message.TakePayload<CCaptureStartRecord>();  // owned here, never read
        CreateWaveFile();
        break;
    case WM_WRITER_DATA:
        OnWriteData(message.TakePayload<CWaveBuffer>());
        break;
    case WM_WRITER_CLOSE_FILE:
        OnCloseFile();
        break;
    case WM_WRITER_HAND_OVER:
        OnHandOver(static_cast<int>(message.WParam()));
        break;
    case WM_WRITER_QUIT:
        EndThread();
        break;
    default:
        break;
    }
}

void CWriteSoundFile::OnThreadEnd()
{
    // A quit without the close: keep what was encoded rather than leak the stream.
    if (m_outputPresent)
        OnCloseFile();
}

bool CWriteSoundFile::LoadEncoder(const QString& path)
{
    m_library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    return m_library != nullptr;
}

void CWriteSoundFile::UnloadEncoder()
{
    if (m_library)
        dlclose(m_library);
    m_library = nullptr;
    m_beInitStream = nullptr;
    m_beEncodeChunk = nullptr;
    m_beDeinitStream = nullptr;
    m_beCloseStream = nullptr;
    m_beVersion = nullptr;
}

void CWriteSoundFile::ReportLibraryFault(const QString& text)
{
    QueueStopMessage(text);
    PostMessageTo(mainWindow.load(), WM_CLOSE);
}

void CWriteSoundFile::CreateWaveFile()
{
    WriteLog(QStringLiteral("Writer: CreateWaveFile"));
    // A create while a file is still open would leak its stream: finish that file first.
    if (m_outputPresent)
        OnCloseFile();
    CloseTemporaryFile();

    const QString libraryMissing = LoadText(IDS_ENCODER_LOAD_ERROR);
    const QString libraryName = PlatformModuleName(TextOr(IDS_ENCODER_LIBRARY, "encodermp3.dll"));
    const QString libraryIncomplete = LoadText(IDS_LIBRARY_NOT_FOUND);
    const QString temporaryName = TextOr(IDS_TEMP_RECORDING_FILE, "tmp_nome_reg.dtm");
    m_outputProduced = false;
    QString programFolder;
    {
        QMutexLocker lock(&m_foldersMutex);
        m_temporaryPath = m_workFolder + temporaryName;
        programFolder = m_programFolder.isEmpty() ? ProgramFolder() : m_programFolder;
    }

    UnloadEncoder();
    if (!LoadEncoder(programFolder + libraryName)) {
        ReportLibraryFault(libraryMissing);
        return;
    }
    m_beInitStream = reinterpret_cast<BEINITSTREAM>(dlsym(m_library, "beInitStream"));
    m_beEncodeChunk = reinterpret_cast<BEENCODECHUNK>(dlsym(m_library, "beEncodeChunk"));
    m_beDeinitStream = reinterpret_cast<BEDEINITSTREAM>(dlsym(m_library, "beDeinitStream"));
    m_beCloseStream = reinterpret_cast<BECLOSESTREAM>(dlsym(m_library, "beCloseStream"));
    m_beVersion = reinterpret_cast<BEVERSION>(dlsym(m_library, "beVersion"));
    if (!m_beInitStream || !m_beEncodeChunk || !m_beDeinitStream || !m_beCloseStream || !m_beVersion) {
        UnloadEncoder();
        ReportLibraryFault(libraryIncomplete);
        return;
    }

    OpenTemporaryFile();
    m_streamOpen.store(true);
    StartEncoderStream();
    m_outputPresent = true;
}

// Exclusive, owner-only, never through a link. A temporary file that still
// holds audio (handed over in place, not yet taken) is left alone and this
// file gets a name of its own; an empty one or anything that is not a plain
// file is removed first.
bool CWriteSoundFile::OpenTemporaryFile()
{
    m_lostBytes = 0;
    m_cutShort = false;
    m_samplesSinceSync = 0;
    m_filePath = m_temporaryPath;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QByteArray native = QFile::encodeName(m_temporaryPath);
        const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::fchmod(fd, 0600);  // whatever the umask
            m_fd = fd;
            m_filePath = m_temporaryPath;  // may differ from the first choice
            m_fileSize = 0;
            return true;
        }
        if (errno != EEXIST)
            break;
        const qint64 size = FileSize(m_temporaryPath);
        if (size > 0) {
            const QString unique = CreateUniqueTempFile(WorkFolder(), QStringLiteral("TEMP_"));
            if (unique.isEmpty())
                break;
            QFile::remove(unique);
            WriteLog(QStringLiteral("CWriteSoundFile-> %1 contiene audio non ancora preso, registro in %2")
                         .arg(m_temporaryPath, unique.left(unique.size() - 4) + QStringLiteral(".snx")));
            m_temporaryPath = unique.left(unique.size() - 4) + QStringLiteral(".snx");
        } else {
            ::unlink(native.constData());
        }
    }
    WriteLog(QStringLiteral("CWriteSoundFile::CreateWaveFile-> Impossibile creare %1 (%2)")
                 .arg(m_temporaryPath, QString::fromLocal8Bit(std::strerror(errno))));
    return false;
}

bool CWriteSoundFile::StartEncoderStream()
{
    m_config = BE_CONFIG{};
    m_config.dwConfig = BE_CONFIG_MP3;
    m_config.dwSampleRate = m_sampleRate;
    m_config.byMode = BE_MP3_MODE_MONO;
    m_config.wBitrate = 32;
    m_chunkSamples = 0;
    m_chunkBytesMp3 = 0;
    m_outputProduced = false;
    m_lastResult = m_beInitStream(&m_config, &m_chunkSamples, &m_chunkBytesMp3, &m_stream);
    m_encoderStreamLive = m_lastResult == BE_ERR_SUCCESSFUL;
    if (m_lastResult != BE_ERR_SUCCESSFUL)
        WriteLog(QStringLiteral("CWriteSoundFile::CreateWaveFile-> Errore nella mbeIniStream (%1)")
                     .arg(static_cast<int>(m_lastResult)));
    else
        WriteLog(QStringLiteral("CWriteSoundFile::CreateWaveFile-> mdwLunghezzaBufferWAV= %1, mdwLunghezzaBufferMP3=%2")
                     .arg(m_chunkSamples)
                     .arg(m_chunkBytesMp3));
    m_staging.assign(m_chunkSamples, 0);
    m_output.assign(m_chunkBytesMp3, 0);
    return m_encoderStreamLive;
}

// The encoder's last frames go into the file they belong to, then the stream ends.
void CWriteSoundFile::FinishEncoderStream()
{
    std::uint32_t flushed = 0;
    if (m_outputProduced && m_encoderStreamLive)
        m_lastResult = m_beDeinitStream(m_stream, m_output.data(), &flushed);
    m_outputProduced = false;
    if (flushed > 0)
        AppendToFile(m_output.data(), std::min<std::uint32_t>(flushed, static_cast<std::uint32_t>(m_output.size())));
    if (m_encoderStreamLive)
        m_beCloseStream(m_stream);
    m_encoderStreamLive = false;
}

void CWriteSoundFile::OnWriteData(std::unique_ptr<CWaveBuffer> buffer)
{
    if (!buffer || !m_outputPresent || buffer->data.isEmpty())
        return;
    // A stream that failed to start or was closed after an error is never used again.
    if (!m_encoderStreamLive)
        return;
    const auto n = std::min<std::uint32_t>(static_cast<std::uint32_t>(buffer->data.size()) / 2, m_chunkSamples);
    std::memcpy(m_staging.data(), buffer->data.constData(), n * sizeof(std::int16_t));
    std::uint32_t produced = 0;
    m_lastResult = m_beEncodeChunk(m_stream, n, m_staging.data(), m_output.data(), &produced);
    if (m_lastResult != BE_ERR_SUCCESSFUL) {
        m_beCloseStream(m_stream);
        m_encoderStreamLive = false;
    }
    if (produced > 0) {
        m_outputProduced = true;
        AppendToFile(m_output.data(), std::min<std::uint32_t>(produced, static_cast<std::uint32_t>(m_output.size())));
    }
    m_samplesSinceSync += n;
    if (m_syncEverySamples > 0 && m_samplesSinceSync >= m_syncEverySamples)
        SyncFile();
}

void CWriteSoundFile::SyncFile()
{
    m_samplesSinceSync = 0;
    if (m_fd >= 0 && ::fdatasync(m_fd) != 0)
        WriteLog(QStringLiteral("CWriteSoundFile-> fdatasync fallita su %1 (%2)")
                     .arg(m_filePath, QString::fromLocal8Bit(std::strerror(errno))));
}

void CWriteSoundFile::AppendToFile(const std::uint8_t* bytes, std::uint32_t count)
{
    if (m_cutShort) {
        m_lostBytes += count;
        return;
    }
    std::uint32_t written = 0;
    int error = EBADF;
    while (m_fd >= 0 && written < count) {
        const ssize_t n = ::write(m_fd, bytes + written, count - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        written += static_cast<std::uint32_t>(n);
    }
    if (written == count) {
        m_fileSize += count;
        return;
    }
    const QString reason = m_fd >= 0 ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("file non aperto");
    // Cut back to the last whole frame, take nothing more into this file (a
    // gap would follow), and say so at once.
    if (m_fd >= 0) {
        QByteArray data(static_cast<qsizetype>(m_fileSize + written), '\0');
        const ssize_t got = ::pread(m_fd, data.data(), static_cast<size_t>(data.size()), 0);
        const MpegFrameRun run = FindMpegFrameRun(data.left(got > 0 ? got : 0));
        const qint64 keep = run.begin == 0 ? run.end : 0;
        if (::ftruncate(m_fd, keep) == 0) {
            ::lseek(m_fd, keep, SEEK_SET);
            m_fileSize = keep;
        }
    }
    m_cutShort = true;
    WriteLog(QStringLiteral("CWriteSoundFile-> Errore di scrittura su %1 (%2)").arg(m_filePath, reason));
    m_lostBytes += count;
    PostMessageTo(mainWindow.load(), WM_RECORDING_CUT_SHORT, 0, 0, std::make_unique<QString>(reason));
}

void CWriteSoundFile::ReportLostBytes()
{
    if (m_lostBytes > 0)
        WriteLog(QStringLiteral("CWriteSoundFile-> %1 byte MP3 non scritti su %2").arg(m_lostBytes).arg(m_filePath));
    m_lostBytes = 0;
}

void CWriteSoundFile::CloseTemporaryFile()
{
    if (m_fd < 0)
        return;
    ReportLostBytes();
    SyncFile();
    ::close(m_fd);
    m_fd = -1;
}

void CWriteSoundFile::OnCloseFile()
{
    if (!m_outputPresent)
        return;
    FinishEncoderStream();
    CloseTemporaryFile();
    UnloadEncoder();
    m_output.clear();
    m_output.shrink_to_fit();
    m_staging.clear();
    m_staging.shrink_to_fit();
    m_outputPresent = false;
    m_streamOpen.store(false);
}

// Never replaces a file; when the wanted name cannot be had, another unused
// ".snx" name. Empty when the file cannot be moved at all.
QString CWriteSoundFile::MoveToUniqueName(const QString& wanted)
{
    if (MoveFileNoReplace(m_temporaryPath, wanted) == FileError::None)
        return wanted;
    const QString folder = WorkFolder();
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString unique = CreateUniqueTempFile(folder, QStringLiteral("TEMP_"));
        if (unique.isEmpty())
            break;
        QFile::remove(unique);
        const QString path = unique.left(unique.size() - 4) + QStringLiteral(".snx");
        if (MoveFileNoReplace(m_temporaryPath, path) == FileError::None)
            return path;
    }
    return {};
}

void CWriteSoundFile::OnHandOver(int discard)
{
    // Both modes hand over a whole stream under a name of its own: the window
    // takes it whenever it gets to it, and the next segment never lands on it.
    auto pathText = std::make_unique<QString>(m_temporaryPath);
    const bool wasWriting = m_outputPresent && m_fd >= 0;
    if (m_outputPresent)
        FinishEncoderStream();
    CloseTemporaryFile();

    const QString workFolder = WorkFolder();
    const QString unique = m_tempNameMaker ? m_tempNameMaker(workFolder, QStringLiteral("TEMP_")) : QString();
    QString wanted;
    if (unique.isEmpty()) {
        WriteLog(QStringLiteral("Impossibile creare un file temp automaticamente, procedo manualmente (Last Error=0x%1)")
                     .arg(g_lastTempError, 0, 16));
        // Never removed first: the window may not have taken the segment already there.
        wanted = workFolder + QStringLiteral("tempReg.snx");
    } else {
        QFile::remove(unique);
        wanted = unique.left(unique.size() - 4) + QStringLiteral(".snx");
    }
    const QString moved = MoveToUniqueName(wanted);
    if (moved.isEmpty()) {
        // The audio stays where it is, under the name the window is given; the
        // next file finds it there and goes elsewhere rather than truncate it.
        WriteLog(QStringLiteral("CWriteSoundFile::OnHandOver-> Rinomina fallita %1 -> %2 (%3)")
                     .arg(m_temporaryPath, wanted, QString::fromLocal8Bit(std::strerror(errno))));
    } else {
        *pathText = moved;
    }
    m_temporaryPath = workFolder + TextOr(IDS_TEMP_RECORDING_FILE, "tmp_nome_reg.dtm");
    if (wasWriting) {
        OpenTemporaryFile();
        StartEncoderStream();
    }
    PostMessageTo(mainWindow.load(), WM_RECORDING_FILE_READY, 0, discard, std::move(pathText));
}

}  // namespace sonvelle

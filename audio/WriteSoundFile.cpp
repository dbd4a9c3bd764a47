#include "audio/WriteSoundFile.h"

#include "platform/Log.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMutexLocker>
#include <QThread>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sonvelle {

namespace {

constexpr int kTextLibraryMissing = 22;
constexpr int kTextLibraryName = 23;
constexpr int kTextLibraryIncomplete = 24;
constexpr int kTextTemporaryName = 25;

QString TextOr(int id, const char* fallback)
{
    const QString text = LoadText(id);
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

// The library is named as on the original platform; the module suffix here is ".so".
QString LibraryFileName(QString name)
{
    if (name.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive))
        name = name.left(name.size() - 4) + QLatin1String(".so");
    return name;
}

// A message box belongs on the user-interface thread; this thread waits for it.
void ShowStopMessage(const QString& text)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        MessageBox(text, PromptIcon::Stop);
        return;
    }
    QMetaObject::invokeMethod(app, [text] { MessageBox(text, PromptIcon::Stop); },
                              Qt::BlockingQueuedConnection);
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
        const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
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
    : m_sampleRate(sampleRate), m_tempNameMaker(CreateUniqueTempFile)
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

void CWriteSoundFile::CreateWaveFile()
{
    WriteLog(QStringLiteral("Writer: CreateWaveFile"));
    // A create while a file is still open would leak its stream: finish that file first.
    if (m_outputPresent)
        OnCloseFile();
    if (m_file.isOpen())
        m_file.close();

    const QString libraryMissing = LoadText(kTextLibraryMissing);
    const QString libraryName = LibraryFileName(TextOr(kTextLibraryName, "encodermp3.dll"));
    const QString libraryIncomplete = LoadText(kTextLibraryIncomplete);
    const QString temporaryName = TextOr(kTextTemporaryName, "tmp_nome_reg.dtm");
    m_outputProduced = false;
    QString programFolder;
    {
        QMutexLocker lock(&m_foldersMutex);
        m_temporaryPath = m_workFolder + temporaryName;
        programFolder = m_programFolder.isEmpty() ? ProgramFolder() : m_programFolder;
    }

    UnloadEncoder();
    if (!LoadEncoder(programFolder + libraryName)) {
        ShowStopMessage(libraryMissing);
        PostMessageTo(mainWindow.load(), WM_CLOSE);
        return;
    }
    m_beInitStream = reinterpret_cast<BEINITSTREAM>(dlsym(m_library, "beInitStream"));
    m_beEncodeChunk = reinterpret_cast<BEENCODECHUNK>(dlsym(m_library, "beEncodeChunk"));
    m_beDeinitStream = reinterpret_cast<BEDEINITSTREAM>(dlsym(m_library, "beDeinitStream"));
    m_beCloseStream = reinterpret_cast<BECLOSESTREAM>(dlsym(m_library, "beCloseStream"));
    m_beVersion = reinterpret_cast<BEVERSION>(dlsym(m_library, "beVersion"));
    if (!m_beInitStream || !m_beEncodeChunk || !m_beDeinitStream || !m_beCloseStream || !m_beVersion) {
        UnloadEncoder();
        ShowStopMessage(libraryIncomplete);
        PostMessageTo(mainWindow.load(), WM_CLOSE);
        return;
    }

    m_file.setFileName(m_temporaryPath);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        WriteLog(QStringLiteral("CWriteSoundFile::CreateWaveFile-> Impossibile creare %1 (%2)")
                     .arg(m_temporaryPath, m_file.errorString()));
    m_lostBytes = 0;
    m_streamOpen.store(true);

    m_config = BE_CONFIG{};
    m_config.dwConfig = BE_CONFIG_MP3;
    m_config.dwSampleRate = m_sampleRate;
    m_config.byMode = BE_MP3_MODE_MONO;
    m_config.wBitrate = 32;
    m_chunkSamples = 0;
    m_chunkBytesMp3 = 0;
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
    m_outputPresent = true;
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
}

void CWriteSoundFile::AppendToFile(const std::uint8_t* bytes, std::uint32_t count)
{
    qint64 written = -1;
    if (m_file.isOpen())
        written = m_file.write(reinterpret_cast<const char*>(bytes), count);
    if (written == static_cast<qint64>(count))
        return;
    // A lost write is logged once per file and counted; the bytes already in the file stay.
    if (m_lostBytes == 0)
        WriteLog(QStringLiteral("CWriteSoundFile-> Errore di scrittura su %1 (%2)")
                     .arg(m_file.fileName(), m_file.isOpen() ? m_file.errorString() : QStringLiteral("file non aperto")));
    m_lostBytes += count - static_cast<std::uint32_t>(std::max<qint64>(written, 0));
}

void CWriteSoundFile::ReportLostBytes()
{
    if (m_lostBytes > 0)
        WriteLog(QStringLiteral("CWriteSoundFile-> %1 byte MP3 non scritti su %2").arg(m_lostBytes).arg(m_file.fileName()));
    m_lostBytes = 0;
}

void CWriteSoundFile::OnCloseFile()
{
    if (!m_outputPresent)
        return;
    std::uint32_t flushed = 0;
    if (m_outputProduced && m_encoderStreamLive)
        m_lastResult = m_beDeinitStream(m_stream, m_output.data(), &flushed);
    m_outputProduced = false;
    if (flushed > 0)
        AppendToFile(m_output.data(), std::min<std::uint32_t>(flushed, static_cast<std::uint32_t>(m_output.size())));
    if (m_encoderStreamLive)
        m_beCloseStream(m_stream);
    m_encoderStreamLive = false;
    ReportLostBytes();
    m_file.close();
    UnloadEncoder();
    m_output.clear();
    m_output.shrink_to_fit();
    m_staging.clear();
    m_staging.shrink_to_fit();
    m_outputPresent = false;
    m_streamOpen.store(false);
}

void CWriteSoundFile::OnHandOver(int discard)
{
    auto pathText = std::make_unique<QString>(m_temporaryPath);
    if (singleFile.load() == 0) {
        if (m_file.isOpen()) {
            ReportLostBytes();
            m_file.close();
        }
        const QString workFolder = WorkFolder();
        const QString unique = m_tempNameMaker ? m_tempNameMaker(workFolder, QStringLiteral("TEMP_")) : QString();
        if (unique.isEmpty()) {
            WriteLog(QStringLiteral("Impossibile creare un file temp automaticamente, procedo manualmente (Last Error=0x%1)")
                         .arg(g_lastTempError, 0, 16));
            *pathText = workFolder + QStringLiteral("tempReg.snx");
            QFile::remove(*pathText);
        } else {
            QFile::remove(unique);
            *pathText = unique.left(unique.size() - 4) + QStringLiteral(".snx");
        }
        if (!QFile::rename(m_temporaryPath, *pathText))
            WriteLog(QStringLiteral("CWriteSoundFile::OnHandOver-> Rinomina fallita %1 -> %2")
                         .arg(m_temporaryPath, *pathText));
        m_temporaryPath = workFolder + TextOr(kTextTemporaryName, "tmp_nome_reg.dtm");
        m_file.setFileName(m_temporaryPath);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            WriteLog(QStringLiteral("CWriteSoundFile::OnHandOver-> Impossibile creare %1 (%2)")
                         .arg(m_temporaryPath, m_file.errorString()));
    }
    PostMessageTo(mainWindow.load(), WM_RECORDING_FILE_READY, 0, discard, std::move(pathText));
}

}  // namespace sonvelle

#pragma once
// The writer thread: encodes the captured PCM buffers through the encoder
// library (loaded from the program folder for each file) straight into the
// temporary file of the work folder, and in auto-recording hands each
// finished segment to the main window under a unique ".snx" name.
//
// Messages it receives and their payloads:
//   WM_WRITER_CREATE_FILE  0 / 0, payload CCaptureStartRecord (freed unread)
//   WM_WRITER_DATA         capture thread id / 0, payload CWaveBuffer
//   WM_WRITER_CLOSE_FILE   0 / 0
//   WM_WRITER_HAND_OVER    discard flag / 0
//   WM_WRITER_QUIT         0 / 0
// It posts WM_RECORDING_FILE_READY to the main window: wParam 0, lParam the
// discard flag, payload the path (QString); WM_RECORDING_CUT_SHORT, payload
// the reason, when a write fails (the file keeps its whole frames and takes
// nothing more until the next file). After a missing or incomplete encoder
// library it queues the message box and posts WM_CLOSE to the main window;
// it never waits for the window's thread.
//
// Every handed-over file is a whole stream: the encoder is flushed into it and
// a fresh stream starts for what follows. A file that holds audio nobody has
// taken yet is never truncated. The temporary file is created for the owner
// only, exclusively and never through a symbolic link, and is flushed to the
// disk every few seconds of audio.

#include "audio/AudioFormat.h"
#include "encoder/EncoderInterface.h"
#include "platform/WorkerThread.h"

#include <QFile>
#include <QMutex>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace sonvelle {

class CWriteSoundFile : public CWorkerThread {
public:
    explicit CWriteSoundFile(std::uint32_t sampleRate = kSampleRate);
    ~CWriteSoundFile() override;

    void SetFolders(const QString& programFolder, const QString& workFolder);
    void SetWorkFolder(const QString& workFolder);
    QString WorkFolder() const;

    // True while no file and stream are open; polled from the main thread.
    bool IsStreamClosed() const { return !m_streamOpen.load(); }

    std::atomic<std::int32_t> singleFile{0};
    std::atomic<QObject*> mainWindow{nullptr};

    // The unique-name service (work folder, prefix) → path of a new empty
    // file, or empty on failure. Tests replace it to make it fail.
    using TempNameMaker = std::function<QString(const QString&, const QString&)>;
    void SetTempNameMakerForTesting(TempNameMaker maker) { m_tempNameMaker = std::move(maker); }

    // Seconds of audio between two flushes of the temporary file to the disk
    // (0: never; the benchmark compares the two).
    static constexpr std::uint32_t kSyncEverySeconds = 5;
    void SetSyncEverySeconds(std::uint32_t seconds) { m_syncEverySamples = seconds * m_sampleRate; }

protected:
    void OnMessage(CMessage& message) override;
    void OnThreadEnd() override;

private:
    void CreateWaveFile();
    void OnWriteData(std::unique_ptr<CWaveBuffer> buffer);
    void OnCloseFile();
    void OnHandOver(int discard);

    bool LoadEncoder(const QString& path);
    void UnloadEncoder();
    void ReportLibraryFault(const QString& text);
    bool OpenTemporaryFile();
    bool StartEncoderStream();
    void FinishEncoderStream();
    QString MoveToUniqueName(const QString& wanted);
    void AppendToFile(const std::uint8_t* bytes, std::uint32_t count);
    void SyncFile();
    void CloseTemporaryFile();
    void ReportLostBytes();

    QString m_temporaryPath;
    bool m_outputProduced = false;
    std::atomic<bool> m_streamOpen{false};
    mutable QMutex m_foldersMutex;
    QString m_workFolder;
    QString m_programFolder;
    const std::uint32_t m_sampleRate;

    std::vector<std::int16_t> m_staging;
    std::vector<std::uint8_t> m_output;
    bool m_outputPresent = false;
    bool m_encoderStreamLive = false;  // a stream closed after an error is never used again
    BE_ERR m_lastResult = 0;
    HBE_STREAM m_stream = 0;
    std::uint32_t m_chunkBytesMp3 = 0;
    std::uint32_t m_chunkSamples = 0;
    BE_CONFIG m_config{};

    void* m_library = nullptr;
    int m_fd = -1;             // the file being written
    QString m_filePath;
    qint64 m_fileSize = 0;     // bytes in it, all whole frames
    std::uint64_t m_lostBytes = 0;  // written to no file: logged, never silently dropped
    bool m_cutShort = false;        // a write failed: this file takes nothing more
    std::uint32_t m_syncEverySamples;
    std::uint64_t m_samplesSinceSync = 0;

    BEINITSTREAM m_beInitStream = nullptr;
    BEENCODECHUNK m_beEncodeChunk = nullptr;
    BEDEINITSTREAM m_beDeinitStream = nullptr;
    BECLOSESTREAM m_beCloseStream = nullptr;
    BEVERSION m_beVersion = nullptr;

    TempNameMaker m_tempNameMaker;
};

// GetTempFileName with unique number 0: creates an empty file named from the
// first three characters of the prefix, up to four hexadecimal digits and
// ".tmp" in the folder; returns its path, or empty when none can be made.
QString CreateUniqueTempFile(const QString& folder, const QString& prefix);

}  // namespace sonvelle

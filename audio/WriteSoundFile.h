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
// discard flag, payload the path (QString). After a missing or incomplete
// encoder library it posts WM_CLOSE to the main window.

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
    void AppendToFile(const std::uint8_t* bytes, std::uint32_t count);
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
    QFile m_file;
    std::uint64_t m_lostBytes = 0;  // written to no file: logged, never silently dropped

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

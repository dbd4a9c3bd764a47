#pragma once
// Plays one sound file at a time, by either of two methods chosen per
// playback, measures file lengths and sends the capture thread its commands.
//
// The classic method has one playback for the whole process: starting it while
// another instance holds it fails. Only the instance that started it stops,
// pauses, moves or reads it, so the warning sound never ends a recording's play.
// All playback calls come from the user-interface thread and return within
// bounded waits; decoding and feeding the sound server run on threads of their own.

#include "platform/WorkerThread.h"

#include <QString>
#include <QThread>

#include <chrono>
#include <cstdint>
#include <memory>

class QObject;

namespace sonvelle {

class CPlaybackGraph;

// Wind step for a file of this length: a fortieth, within 3 s and 30 s.
std::uint32_t PlayerStepMs(std::uint32_t lengthMs);
// Where a step forward or back from the position lands.
std::uint32_t StepForwardMs(std::uint32_t lengthMs, std::uint32_t positionMs);
std::uint32_t StepBackMs(std::uint32_t lengthMs, std::uint32_t positionMs);

class CSoundPlayer {
public:
    CSoundPlayer();
    virtual ~CSoundPlayer();
    CSoundPlayer(const CSoundPlayer&) = delete;
    CSoundPlayer& operator=(const CSoundPlayer&) = delete;

    // Plays the file from the start. The window is accepted for callers that
    // pass one; the end of play is seen through GetStatus.
    bool Play(const QString& path, QObject* notifyWindow, bool alternative);
    void Stop();
    bool Pause();
    bool Seek(std::uint32_t positionMs);
    // Both 0 when nothing is open; at the end of play, or once the sound
    // server has failed the playback, the position equals the length.
    void GetStatus(std::uint32_t& lengthMs, std::uint32_t& positionMs);

    // A position of 0 means the current one; with apply the playback jumps
    // there. The new position, or 0 when the jump failed.
    std::uint32_t FastForward(std::uint32_t positionMs, bool apply);
    std::uint32_t Rewind(std::uint32_t positionMs, bool apply);

    // Length of a file in whole seconds, without disturbing a running playback.
    // False (and 0) when the file cannot be opened or its length is unknown.
    bool CalcolaDurata(const QString& path, bool alternative, std::chrono::seconds& duration);

    bool IsAlternative() const { return m_alternative; }

    // Capture commands: each posts one message to the capture thread.
    void Registra(CWorkerThread* capture);
    void EnableVoiceActivation(CWorkerThread* capture);
    void DisableVoiceActivation(CWorkerThread* capture);

    // Stops capture, then waits up to about 1.5 s for the writer to close its file.
    template <class Writer>
    void StopRecording(CWorkerThread* capture, Writer* writer)
    {
        PostStopRecording(capture);
        for (int attempt = 0; attempt < 30; ++attempt) {
            if (!writer || writer->IsStreamClosed())
                break;
            QThread::msleep(50);
        }
    }

private:
    void PostStopRecording(CWorkerThread* capture);
    bool PlayAlternative(const QString& path);
    bool PlayClassic(const QString& path);
    std::uint32_t Step(std::uint32_t positionMs, bool apply, bool forward);

    std::unique_ptr<CPlaybackGraph> mpGraph;
    bool m_alternative = false;
    bool m_failureLogged = false;
};

}  // namespace sonvelle

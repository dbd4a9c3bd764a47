#include "audio/SoundPlayer.h"

#include "audio/PlaybackDecoder.h"
#include "audio/PlaybackGraph.h"
#include "audio/PlaybackStream.h"
#include "platform/Log.h"
#include "platform/Messages.h"

#include <algorithm>
#include <mutex>

namespace sonvelle {
namespace {

constexpr std::uint32_t kMinStepMs = 3000;
constexpr std::uint32_t kMaxStepMs = 30000;

// The one classic playback of the process, and the player that started it:
// only that player stops, pauses, moves or reads it.
struct CClassicSlot {
    std::mutex lock;
    std::unique_ptr<CPlaybackStream> stream;
    const CSoundPlayer* owner = nullptr;
};

CClassicSlot& ClassicSlot()
{
    static CClassicSlot slot;
    return slot;
}

QString Hex(int code)
{
    return QString::asprintf("%x", static_cast<unsigned>(code));
}

}  // namespace

std::uint32_t PlayerStepMs(std::uint32_t lengthMs)
{
    return std::clamp(lengthMs / 40, kMinStepMs, kMaxStepMs);
}

std::uint32_t StepForwardMs(std::uint32_t lengthMs, std::uint32_t positionMs)
{
    const std::uint64_t target = std::uint64_t{positionMs} + PlayerStepMs(lengthMs);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(target, lengthMs));
}

std::uint32_t StepBackMs(std::uint32_t lengthMs, std::uint32_t positionMs)
{
    const std::int64_t target = std::int64_t{positionMs} - PlayerStepMs(lengthMs);
    return target < 0 ? 1 : static_cast<std::uint32_t>(target);
}

CSoundPlayer::CSoundPlayer() = default;

CSoundPlayer::~CSoundPlayer()
{
    // A classic playback left behind would hold the process's one playback for good.
    CClassicSlot& slot = ClassicSlot();
    std::unique_ptr<CPlaybackStream> closing;
    std::lock_guard guard(slot.lock);
    if (slot.owner == this) {
        closing = std::move(slot.stream);
        slot.owner = nullptr;
    }
}

bool CSoundPlayer::Play(const QString& path, QObject* /*notifyWindow*/, bool alternative)
{
    m_alternative = alternative;
    m_failureLogged = false;
    return alternative ? PlayAlternative(path) : PlayClassic(path);
}

bool CSoundPlayer::PlayAlternative(const QString& path)
{
    WriteLog(QStringLiteral("Metodo alternativo di Play"));
    QString error;
    if (!CPlaybackGraph::Initialise(error)) {
        WriteLog(QStringLiteral("Errore CoCreateInstance:CLSID_FilterGraph: %1 ").arg(Hex(-1)));
        WriteLog(error);
        return false;
    }
    mpGraph = std::make_unique<CPlaybackGraph>();
    WriteLog(QStringLiteral("Filter Graph creato"));
    WriteLog(QStringLiteral("Media Control creato"));
    WriteLog(QStringLiteral("Media Pos info creato"));
    WriteLog(QStringLiteral("Chiamate render file"));
    int code = 0;
    if (!mpGraph->Render(path, error, code)) {
        WriteLog(QStringLiteral("Errore mpGraph->RenderFile: %1 ").arg(Hex(code)));
        WriteLog(error);
        return false;
    }
    WriteLog(QStringLiteral("Render ok"));
    WriteLog(QStringLiteral("SetTimeFormat ok"));
    mpGraph->DurationMs();
    WriteLog(QStringLiteral("GetDuration ok"));
    if (!mpGraph->Run()) {
        // Reported: a graph that never ran is no playback.
        WriteLog(QStringLiteral("Errore mpMediaControl->Run"));
        return false;
    }
    WriteLog(QStringLiteral("Run ok"));
    return true;
}

bool CSoundPlayer::PlayClassic(const QString& path)
{
    WriteLog(QStringLiteral("Metodo play classico"));
    CClassicSlot& slot = ClassicSlot();
    std::lock_guard guard(slot.lock);
    QString error;
    bool opened = false;
    if (slot.stream) {
        error = QStringLiteral("another playback already holds the classic player");
    } else {
        auto stream = std::make_unique<CPlaybackStream>();
        opened = stream->Open(path, error);
        if (opened) {
            slot.stream = std::move(stream);
            slot.owner = this;
        }
    }
    if (!opened) {
        WriteLog(QStringLiteral("Errore Send string Open"));
        WriteLog(error);
        return false;
    }
    WriteLog(QStringLiteral("Open file ok"));
    if (!slot.stream->PlayFrom(0, error)) {
        WriteLog(QStringLiteral("Errore Send string Play mpeg"));
        WriteLog(error);
        WriteLog(QStringLiteral("Info restituite"));
        WriteLog(QString());
        return false;
    }
    WriteLog(QStringLiteral("Play file ok"));
    return true;
}

void CSoundPlayer::Stop()
{
    if (m_alternative) {
        mpGraph.reset();
        return;
    }
    CClassicSlot& slot = ClassicSlot();
    std::unique_ptr<CPlaybackStream> closing;
    {
        std::lock_guard guard(slot.lock);
        if (slot.owner != this)
            return;
        closing = std::move(slot.stream);
        slot.owner = nullptr;
    }
}

bool CSoundPlayer::Pause()
{
    if (m_alternative) {
        if (!mpGraph)
            return false;
        if (!mpGraph->Pause()) {
            WriteLog(QStringLiteral("Errore mpMediaControl->Pause: %1 ").arg(Hex(-1)));
            return false;
        }
        return true;
    }
    CClassicSlot& slot = ClassicSlot();
    std::lock_guard guard(slot.lock);
    return slot.stream && slot.owner == this && slot.stream->Pause();
}

bool CSoundPlayer::Seek(std::uint32_t positionMs)
{
    if (m_alternative) {
        if (!mpGraph || !mpGraph->SetPosition(positionMs)) {
            WriteLog(QStringLiteral("Errore mpMediaPosInfo->SetPositions: %1 ").arg(Hex(-1)));
            return false;
        }
        return mpGraph->Run();
    }
    CClassicSlot& slot = ClassicSlot();
    std::lock_guard guard(slot.lock);
    QString error;
    if (!slot.stream || slot.owner != this || !slot.stream->PlayFrom(positionMs, error))
        return false;
    m_failureLogged = false;
    return true;
}

void CSoundPlayer::GetStatus(std::uint32_t& lengthMs, std::uint32_t& positionMs)
{
    lengthMs = 0;
    positionMs = 0;
    bool failed = false;
    QString failure;
    if (m_alternative) {
        if (!mpGraph)
            return;
        mpGraph->GetPositions(positionMs, lengthMs);
        failed = mpGraph->HasFailed();
        failure = mpGraph->FailureText();
    } else {
        CClassicSlot& slot = ClassicSlot();
        std::lock_guard guard(slot.lock);
        if (!slot.stream || slot.owner != this)
            return;
        lengthMs = slot.stream->LengthMs();
        positionMs = slot.stream->PositionMs();
        failed = slot.stream->HasFailed();
        if (failed)
            failure = slot.stream->FailureText();
    }
    if (failed && !m_failureLogged) {
        m_failureLogged = true;
        WriteLog(QStringLiteral("Errore durante la riproduzione: %1").arg(failure));
    }
}

std::uint32_t CSoundPlayer::Step(std::uint32_t positionMs, bool apply, bool forward)
{
    std::uint32_t length = 0;
    std::uint32_t current = 0;
    GetStatus(length, current);
    if (positionMs > 0)
        current = positionMs;
    const std::uint32_t target = forward ? StepForwardMs(length, current) : StepBackMs(length, current);
    if (apply && !Seek(target))
        return 0;
    return target;
}

std::uint32_t CSoundPlayer::FastForward(std::uint32_t positionMs, bool apply)
{
    return Step(positionMs, apply, true);
}

std::uint32_t CSoundPlayer::Rewind(std::uint32_t positionMs, bool apply)
{
    return Step(positionMs, apply, false);
}

bool CSoundPlayer::CalcolaDurata(const QString& path, bool alternative, std::chrono::seconds& duration)
{
    duration = std::chrono::seconds(0);
    std::uint32_t milliseconds = 0;
    QString error;
    if (alternative) {
        if (!CPlaybackGraph::Initialise(error)) {
            WriteLog(QStringLiteral("Errore CalcolaDurata - CoCreateInstance:CLSID_FilterGraph: %1 ").arg(Hex(-1)));
            return false;
        }
        int code = 0;
        if (!CPlaybackGraph::MeasureDurationMs(path, milliseconds, error, code)) {
            if (code == -4)
                WriteLog(QStringLiteral("Errore CalcolaDurata - IsFormatSupported(TIME_FORMAT_MEDIA_TIME): false "));
            else
                WriteLog(QStringLiteral("Errore CalcolaDurata - pGraph->RenderFile: %1 ").arg(Hex(code)));
            WriteLog(error);
            return false;
        }
    } else {
        CPlaybackDecoder decoder;
        if (!decoder.Open(path, error)) {
            WriteLog(QStringLiteral("Errore CalcolaDurata - open file: %1").arg(error));
            return false;
        }
        milliseconds = decoder.LengthMs(true);
    }
    duration = std::chrono::seconds(milliseconds / 1000);
    return true;
}

void CSoundPlayer::Registra(CWorkerThread* capture)
{
    if (capture)
        capture->PostThreadMessage(WM_REC_START, 0, 0);
}

void CSoundPlayer::EnableVoiceActivation(CWorkerThread* capture)
{
    if (capture)
        capture->PostThreadMessage(WM_REC_VOICE_ACTIVATION, 1, 0);
}

void CSoundPlayer::DisableVoiceActivation(CWorkerThread* capture)
{
    if (capture)
        capture->PostThreadMessage(WM_REC_VOICE_ACTIVATION, 0, 0);
}

void CSoundPlayer::PostStopRecording(CWorkerThread* capture)
{
    DisableVoiceActivation(capture);
    if (capture)
        capture->PostThreadMessage(WM_REC_STOP, 0, 0);
}

}  // namespace sonvelle

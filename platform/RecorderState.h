#pragma once
// The recorder's state as the main window's control holds it: what plays and
// what records. The numbers are those the settings, the log and the close
// sequence have always used.

namespace sonvelle {

enum class RecorderState : int {
    Idle = 0,
    Playing = 1,
    Recording = 2,                  // by hand
    RecordingWhilePlaying = 3,      // by hand
    Listening = 4,                  // auto-recording on, waiting for a voice
    AutoRecording = 5,              // a voice started a recording
    ListeningWhilePlaying = 6,
    AutoRecordingWhilePlaying = 7,
};

constexpr bool IsAutoRecordingOn(RecorderState s)
{
    return s >= RecorderState::Listening;
}

constexpr bool IsPlaying(RecorderState s)
{
    return s == RecorderState::Playing || s == RecorderState::RecordingWhilePlaying ||
           s == RecorderState::ListeningWhilePlaying || s == RecorderState::AutoRecordingWhilePlaying;
}

constexpr bool IsRecording(RecorderState s)
{
    return s == RecorderState::Recording || s == RecorderState::RecordingWhilePlaying ||
           s == RecorderState::AutoRecording || s == RecorderState::AutoRecordingWhilePlaying;
}

constexpr bool IsManualRecording(RecorderState s)
{
    return s == RecorderState::Recording || s == RecorderState::RecordingWhilePlaying;
}

// The same state with the play ended.
constexpr RecorderState WithoutPlay(RecorderState s)
{
    switch (s) {
    case RecorderState::Playing: return RecorderState::Idle;
    case RecorderState::RecordingWhilePlaying: return RecorderState::Recording;
    case RecorderState::ListeningWhilePlaying: return RecorderState::Listening;
    case RecorderState::AutoRecordingWhilePlaying: return RecorderState::AutoRecording;
    default: return s;
    }
}

}  // namespace sonvelle

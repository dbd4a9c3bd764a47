#pragma once
// The alternative playing method: a GStreamer playbin for one file. Nothing
// here runs a GLib main loop: the bus is read when the player is asked
// something, which is often enough (the window asks every 450 ms).

#include <QString>

#include <cstdint>

typedef struct _GstElement GstElement;

namespace sonvelle {

class CPlaybackGraph {
public:
    CPlaybackGraph();
    ~CPlaybackGraph();
    CPlaybackGraph(const CPlaybackGraph&) = delete;
    CPlaybackGraph& operator=(const CPlaybackGraph&) = delete;

    // Builds the graph for the file and prepares it paused. The error carries a
    // short reason and a numeric code for the log.
    bool Render(const QString& path, QString& error, int& code);

    bool Run();
    bool Pause();
    bool SetPosition(std::uint32_t positionMs);

    // Current and end position, in milliseconds. At the end of the stream, or
    // once the graph failed, the current position is the end.
    void GetPositions(std::uint32_t& currentMs, std::uint32_t& stopMs);
    std::uint32_t DurationMs() const { return m_durationMs; }

    bool HasFailed() const { return m_failed; }
    QString FailureText() const { return m_failureText; }

    // Length of a file with a graph of its own that never reaches the speakers.
    // False when the file cannot be built or its length cannot be read.
    static bool MeasureDurationMs(const QString& path, std::uint32_t& durationMs, QString& error, int& code);

    // Starts the library once per process; false when it cannot start.
    static bool Initialise(QString& error);

private:
    void ReadBus();
    std::uint32_t QueryDurationMs();

    GstElement* m_playbin = nullptr;
    std::uint32_t m_durationMs = 0;
    std::uint32_t m_lastPositionMs = 0;
    bool m_ended = false;
    bool m_failed = false;
    QString m_failureText;
};

}  // namespace sonvelle

#include "audio/PlaybackGraph.h"

#include <QFile>
#include <QFileInfo>

#include <gst/gst.h>

#include <mutex>

namespace sonvelle {
namespace {

constexpr GstClockTime kPrerollTimeout = 5 * GST_SECOND;
constexpr int kPlayFlagAudio = 0x2;

std::uint32_t ToMs(gint64 nanoseconds)
{
    if (nanoseconds <= 0)
        return 0;
    const gint64 ms = nanoseconds / GST_MSECOND;
    return ms > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(ms);
}

QString ErrorText(GstMessage* message, int& code)
{
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    QString text = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    code = error ? error->code : -1;
    if (error)
        g_error_free(error);
    g_free(debug);
    return text;
}

// Takes the graph to paused and waits until it has opened the file and knows
// its format, or has failed.
bool Preroll(GstElement* element, QString& error, int& code)
{
    if (gst_element_set_state(element, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        // The bus usually says why.
        code = -1;
        error = QStringLiteral("the graph cannot be built");
    }
    GstBus* bus = gst_element_get_bus(element);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, kPrerollTimeout, static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR));
    gst_object_unref(bus);
    if (!message) {
        if (error.isEmpty()) {
            code = -2;
            error = QStringLiteral("the file did not open in time");
        }
        return false;
    }
    const bool ok = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ASYNC_DONE;
    if (!ok)
        error = ErrorText(message, code);
    gst_message_unref(message);
    return ok;
}

GstElement* NewPlaybin(const QString& path, bool toSpeakers)
{
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin)
        return nullptr;
    gchar* uri = gst_filename_to_uri(QFile::encodeName(QFileInfo(path).absoluteFilePath()).constData(), nullptr);
    g_object_set(playbin, "uri", uri, "flags", kPlayFlagAudio, nullptr);
    g_free(uri);
    GstElement* sink = gst_element_factory_make(toSpeakers ? "pulsesink" : "fakesink", nullptr);
    if (sink) {
        if (toSpeakers)
            g_object_set(sink, "client-name", "Sonvelle", nullptr);
        else
            g_object_set(sink, "sync", FALSE, nullptr);
        g_object_set(playbin, "audio-sink", sink, nullptr);
    }
    return playbin;
}

// An MP3 without a frame-count header has a length only once the parser has
// seen enough frames to know the bit rate: run a silent graph until it does.
// At the end of a short file the last position is the length.
bool RunUntilDurationKnown(GstElement* playbin, gint64& duration)
{
    if (gst_element_query_duration(playbin, GST_FORMAT_TIME, &duration) && duration > 0)
        return true;
    if (gst_element_set_state(playbin, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return false;
    GstBus* bus = gst_element_get_bus(playbin);
    bool known = false;
    const gint64 deadline = g_get_monotonic_time() + 10 * G_USEC_PER_SEC;
    while (!known && g_get_monotonic_time() < deadline) {
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, 5 * GST_MSECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        known = gst_element_query_duration(playbin, GST_FORMAT_TIME, &duration) && duration > 0;
        if (message) {
            const bool ended = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
            gst_message_unref(message);
            if (!known && ended)
                known = gst_element_query_position(playbin, GST_FORMAT_TIME, &duration) && duration > 0;
            break;
        }
    }
    gst_object_unref(bus);
    return known;
}

}  // namespace

bool CPlaybackGraph::Initialise(QString& error)
{
    static std::once_flag once;
    static bool started = false;
    static QString why;
    std::call_once(once, [] {
        GError* failure = nullptr;
        started = gst_init_check(nullptr, nullptr, &failure);
        if (!started)
            why = failure ? QString::fromUtf8(failure->message) : QStringLiteral("GStreamer did not start");
        if (failure)
            g_error_free(failure);
    });
    error = why;
    return started;
}

CPlaybackGraph::CPlaybackGraph() = default;

CPlaybackGraph::~CPlaybackGraph()
{
    if (m_playbin) {
        gst_element_set_state(m_playbin, GST_STATE_NULL);
        gst_object_unref(m_playbin);
    }
}

bool CPlaybackGraph::Render(const QString& path, QString& error, int& code)
{
    if (!Initialise(error)) {
        code = -1;
        return false;
    }
    if (m_playbin)
        return false;
    if (!QFile::exists(path)) {
        // Checked first: a missing file would otherwise only show up on the bus.
        error = QStringLiteral("file not found: %1").arg(path);
        code = -3;
        return false;
    }
    m_playbin = NewPlaybin(path, true);
    if (!m_playbin) {
        error = QStringLiteral("no playbin element");
        code = -1;
        return false;
    }
    if (!Preroll(m_playbin, error, code)) {
        m_failed = true;
        m_failureText = error;
        return false;
    }
    m_durationMs = QueryDurationMs();
    if (m_durationMs == 0) {
        // Known to the playing graph only after a while; the window needs it now.
        QString ignored;
        int ignoredCode = 0;
        MeasureDurationMs(path, m_durationMs, ignored, ignoredCode);
    }
    return true;
}

bool CPlaybackGraph::Run()
{
    if (!m_playbin || m_failed)
        return false;
    m_ended = false;
    return gst_element_set_state(m_playbin, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool CPlaybackGraph::Pause()
{
    if (!m_playbin || m_failed)
        return false;
    return gst_element_set_state(m_playbin, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
}

bool CPlaybackGraph::SetPosition(std::uint32_t positionMs)
{
    if (!m_playbin || m_failed)
        return false;
    m_ended = false;
    m_lastPositionMs = positionMs;
    const gint64 target = static_cast<gint64>(positionMs) * GST_MSECOND;
    return gst_element_seek_simple(m_playbin, GST_FORMAT_TIME,
                                   static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), target);
}

std::uint32_t CPlaybackGraph::QueryDurationMs()
{
    gint64 duration = 0;
    if (m_playbin && gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration) && duration > 0)
        m_durationMs = ToMs(duration);
    return m_durationMs;
}

void CPlaybackGraph::GetPositions(std::uint32_t& currentMs, std::uint32_t& stopMs)
{
    currentMs = 0;
    stopMs = 0;
    if (!m_playbin)
        return;
    ReadBus();
    // The length read when playback started: a playing parser's own estimate
    // wanders during the first frames.
    stopMs = m_durationMs;
    if (m_ended || m_failed) {
        currentMs = stopMs;
        return;
    }
    // While a jump settles the graph has no position: keep the last one known.
    gint64 position = 0;
    if (gst_element_query_position(m_playbin, GST_FORMAT_TIME, &position) && position >= 0)
        m_lastPositionMs = ToMs(position);
    currentMs = m_lastPositionMs;
    // Only the end of the stream is the end: a last buffer's time stamp may fall short.
    if (stopMs > 0 && currentMs >= stopMs)
        currentMs = stopMs - 1;
}

void CPlaybackGraph::ReadBus()
{
    GstBus* bus = gst_element_get_bus(m_playbin);
    while (GstMessage* message = gst_bus_pop_filtered(
               bus, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            m_ended = true;
        } else if (!m_failed) {
            int code = 0;
            m_failureText = ErrorText(message, code);
            m_failed = true;
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
}

bool CPlaybackGraph::MeasureDurationMs(const QString& path, std::uint32_t& durationMs, QString& error, int& code)
{
    durationMs = 0;
    if (!Initialise(error)) {
        code = -1;
        return false;
    }
    if (!QFile::exists(path)) {
        error = QStringLiteral("file not found: %1").arg(path);
        code = -3;
        return false;
    }
    GstElement* playbin = NewPlaybin(path, false);
    if (!playbin) {
        error = QStringLiteral("no playbin element");
        code = -1;
        return false;
    }
    bool ok = Preroll(playbin, error, code);
    if (ok) {
        gint64 duration = 0;
        ok = RunUntilDurationKnown(playbin, duration);
        if (ok)
            durationMs = ToMs(duration);
        else {
            error = QStringLiteral("the length cannot be read");
            code = -4;
        }
    }
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(playbin);
    return ok;
}

}  // namespace sonvelle

// Capture → gate → writer → encoder library → MP3 file, on the private sound
// server and on the file-fed microphone; mpg123 decodes what was written.

#include "audio/FileWaveInput.h"
#include "audio/PulseWaveInput.h"
#include "audio/RecordSound.h"
#include "audio/WriteSoundFile.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "E2eMedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <functional>
#include <mutex>

using namespace sonvelle;
using namespace sonvelle::e2e;

namespace {

int g_argc = 1;
char g_arg0[] = "test_e2e";
char* g_argv[] = {g_arg0, nullptr};

void EnsureApp()
{
    // Never destroyed: Qt's own globals are gone by the time static objects are.
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(g_argc, g_argv);
    (void)app;
}

struct Ready {
    QString path;
    LPARAM discard;
};

class CMainWindowStub : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != CMessage::EventType())
            return QObject::event(e);
        auto* m = static_cast<CMessage*>(e);
        if (m->Message() == WM_RECORDING_FILE_READY) {
            auto path = m->TakePayload<QString>();
            ready.push_back({path ? *path : QString(), m->LParam()});
        } else if (m->Message() == WM_VOICE_DETECTED) {
            ++voiceDetected;
        }
        return true;
    }
    std::vector<Ready> ready;
    int voiceDetected = 0;
};

// The real writer, counting the buffers of each segment as the gate forwarded them.
class CCountingWriter : public CWriteSoundFile {
public:
    std::vector<int> Segments()
    {
        std::lock_guard lock(m_mutex);
        return m_segments;
    }

protected:
    void OnMessage(CMessage& message) override
    {
        {
            std::lock_guard lock(m_mutex);
            if (message.Message() == WM_WRITER_DATA)
                ++m_current;
            if (message.Message() == WM_WRITER_HAND_OVER) {
                m_segments.push_back(m_current);
                m_current = 0;
            }
        }
        CWriteSoundFile::OnMessage(message);
    }

private:
    std::mutex m_mutex;
    std::vector<int> m_segments;
    int m_current = 0;
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolderForTesting(m_dir.path() + "/");
        work = m_dir.path() + "/work/";
        QDir().mkpath(work);
        writer = std::make_unique<CCountingWriter>();
        writer->SetFolders(SONVELLE_ENCODER_DIR, work);
        writer->mainWindow = &window;
        capture = std::make_unique<CRecordSound>(32000);
        capture->mainWindow = &window;
    }
    void StartThreads()
    {
        writer->Start();
        capture->Start();
        capture->PostThreadMessage(WM_REC_SET_WRITER, 0, reinterpret_cast<LPARAM>(writer.get()));
    }
    void TearDown() override
    {
        if (capture->isRunning()) {
            capture->PostThreadMessage(WM_REC_CLOSE);
            EXPECT_TRUE(WaitFor([&] { return !capture->IsStillActive(); }, 15000));
        }
        capture.reset();
        writer.reset();
        SetSystemClock(nullptr);
        SetProgramFolderForTesting({});
    }

    QString Folder() const { return m_dir.path(); }

    CMainWindowStub window;
    std::unique_ptr<CCountingWriter> writer;
    std::unique_ptr<CRecordSound> capture;
    QString work;

private:
    QTemporaryDir m_dir;
};

TEST_F(EndToEnd, SpeechIntoTheMicrophoneBecomesAnMp3AsLongAsTheCapture)
{
    ASSERT_EQ(QProcess::execute("pactl", {"info"}), 0) << "no sound server: run scripts/sound-server start";
    const QString speech = MakeSpeech(Folder(), "This call is being recorded. One two three four five.");
    ASSERT_FALSE(speech.isEmpty());
    capture->SetWaveInputFactory([] { return std::make_unique<CPulseWaveInput>(); });
    StartThreads();

    capture->PostThreadMessage(WM_REC_START);
    ASSERT_TRUE(WaitFor([&] { return capture->IsRecording(); }, 5000));
    QElapsedTimer captureTime;
    captureTime.start();
    ASSERT_EQ(QProcess::execute("paplay", {"-d", "micfeed", speech}), 0);
    QThread::msleep(300);
    capture->PostThreadMessage(WM_REC_STOP);
    const double seconds = captureTime.elapsed() / 1000.0;
    ASSERT_TRUE(WaitFor([&] { return !capture->IsRecording() && writer->IsStreamClosed(); }, 5000));
    // The writer may still be between the flag and the end of the close message.
    capture->PostThreadMessage(WM_REC_CLOSE);
    ASSERT_TRUE(WaitFor([&] { return !capture->IsStillActive(); }, 15000));

    const QString mp3 = work + "tmp_nome_reg.dtm";
    QFile f(mp3);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray head = f.read(4);
    ASSERT_EQ(head.size(), 4);
    EXPECT_EQ(static_cast<unsigned char>(head[2]) >> 4, 1);  // 32 kbit/s
    const Pcm decoded = Decode(mp3);
    EXPECT_EQ(decoded.rate, 32000);
    EXPECT_EQ(decoded.channels, 1);
    EXPECT_NEAR(static_cast<double>(decoded.samples.size()) / 32000.0, seconds, 0.2);
    // The speech arrived, not just silence.
    EXPECT_GT(Rms(decoded.samples), 300.0);
}

TEST_F(EndToEnd, TheGateCutsSpeechClickAndSpeechFromAFileFedMicrophone)
{
    const QString speechFile = MakeSpeech(Folder(), "one two three four five six");
    ASSERT_FALSE(speechFile.isEmpty());
    const std::vector<short> speech = ReadWav(speechFile).samples;
    ASSERT_GT(speech.size(), 32000u);

    // 1 s silence, speech, 5 s silence, a 0.1 s click, 5 s silence, speech, 5 s silence.
    std::vector<short> scene(32000, 0);
    const auto append = [&](const std::vector<short>& part) { scene.insert(scene.end(), part.begin(), part.end()); };
    const std::vector<short> silence(5 * 32000, 0);
    std::vector<short> click(3200);
    for (size_t i = 0; i < click.size(); ++i)
        click[i] = static_cast<short>(20000 * std::sin(2 * 3.14159265 * 1000 * static_cast<double>(i) / 32000));
    append(speech);
    append(silence);
    append(click);
    append(silence);
    append(speech);
    append(silence);
    const QString sceneFile = Folder() + "/scene.wav";
    ASSERT_TRUE(WriteWav(sceneFile, scene));

    const int threshold = 2000;
    // Where the gate should cut: first and last loud sample of each speech.
    int firstLoud = -1, lastLoud = -1;
    for (size_t i = 0; i < speech.size(); ++i) {
        if (speech[i] >= threshold) {
            if (firstLoud < 0)
                firstLoud = static_cast<int>(i);
            lastLoud = static_cast<int>(i);
        }
    }
    ASSERT_GT(lastLoud - firstLoud, 32000) << "the speech must outlast the bump rule";
    const double speechSegment = (lastLoud - firstLoud) / 32000.0 + 3.0;  // plus the silence allowance

    auto source = std::make_shared<CFileFedSource>(sceneFile, 2.0);
    ASSERT_TRUE(source->Valid()) << source->Error().toStdString();
    SetSystemClock(source.get());
    capture->SetWaveInputFactory([source] { return std::make_unique<CFileWaveInput>(source); });
    capture->SetActivationThreshold(threshold);
    capture->SetSilenceSeconds(3);
    capture->SetAntiBumpEnabled(true);
    StartThreads();
    capture->PostThreadMessage(WM_REC_VOICE_ACTIVATION, 1);
    capture->PostThreadMessage(WM_REC_START);

    // 22 s of scene at twice the pace.
    ASSERT_TRUE(WaitFor([&] { return window.ready.size() >= 3; }, 20000)) << window.ready.size();
    capture->PostThreadMessage(WM_REC_VOICE_ACTIVATION, 0);
    capture->PostThreadMessage(WM_REC_CLOSE);
    ASSERT_TRUE(WaitFor([&] { return !capture->IsStillActive(); }, 15000));

    ASSERT_EQ(window.ready.size(), 3u);
    EXPECT_EQ(window.voiceDetected, 3);
    EXPECT_EQ(window.ready[0].discard, 0);
    EXPECT_EQ(window.ready[1].discard, 1);
    EXPECT_EQ(window.ready[2].discard, 0);

    // What the gate forwarded, in buffers of 36 ms: within one buffer of the scene.
    const std::vector<int> segments = writer->Segments();
    ASSERT_EQ(segments.size(), 3u);
    const double buffer = 1152 / 32000.0;
    EXPECT_NEAR(segments[0] * buffer, speechSegment, 1.5 * buffer);
    EXPECT_NEAR(segments[1] * buffer, 2.0, 1.5 * buffer);  // the first quiet buffer past 2 s
    EXPECT_NEAR(segments[2] * buffer, speechSegment, 1.5 * buffer);

    // The files hold those segments whole: the encoder was flushed into each.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(window.ready[static_cast<size_t>(i)].path.endsWith(".snx"));
        const Pcm d = Decode(window.ready[static_cast<size_t>(i)].path);
        ASSERT_EQ(d.rate, 32000);
        const double length = static_cast<double>(d.samples.size()) / 32000.0;
        EXPECT_GE(length, segments[static_cast<size_t>(i)] * buffer - 0.001);
        EXPECT_LE(length, segments[static_cast<size_t>(i)] * buffer + 2 * buffer);
    }
}

}  // namespace

// Capture → gate → writer → encoder library → MP3 files, on the file-fed
// microphone; mpg123 decodes what was written.

#include "audio/FileWaveInput.h"
#include "audio/RecordSound.h"
#include "audio/WriteSoundFile.h"
#include "platform/Clock.h"
#include "platform/Messages.h"

#include "support/EventWait.h"
#include "support/PostedMessages.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"


#include <gtest/gtest.h>

#include <mutex>

using namespace sonvelle;
using namespace sonvelle::test;
using namespace std::chrono_literals;

namespace {

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
        ASSERT_TRUE(folders.IsValid());
        writer.SetFolders(SONVELLE_ENCODER_DIR, folders.WorkDir());
        writer.mainWindow = &window;
        capture.mainWindow = &window;
    }
    void StartThreads()
    {
        writer.Start();
        capture.Start();
        capture.PostThreadMessage(WM_REC_SET_WRITER, 0, reinterpret_cast<LPARAM>(&writer));
    }
    void CloseCapture()
    {
        capture.PostThreadMessage(WM_REC_CLOSE);
        ASSERT_TRUE(WaitUntil([&] { return !capture.IsStillActive(); }, 15s));
    }
    void TearDown() override
    {
        if (capture.isRunning())
            CloseCapture();
        SetSystemClock(nullptr);
    }

    CTestFolders folders;
    CMainWindowStub window;
    CCountingWriter writer;
    CRecordSound capture{32000};
};

TEST_F(EndToEnd, TheGateCutsSpeechClickAndSpeechFromAFileFedMicrophone)
{
    const QString speechFile = MakeSpeech(folders.Path("program"), "one two three four five six");
    ASSERT_FALSE(speechFile.isEmpty());
    const std::vector<short> speech = ReadWav(speechFile).samples;
    const int threshold = 2000;
    ASSERT_GT(LoudSeconds(speech, threshold), 1.0) << "the speech must outlast the bump rule";
    const double speechSegment = LoudSeconds(speech, threshold) + 3.0;  // plus the silence allowance

    // 1 s silence, speech, 5 s silence, a 0.1 s click, 5 s silence, speech, 5 s silence.
    std::vector<short> scene(32000, 0);
    for (const auto& part : {speech, Tone(5 * 32000, 0, 0), Tone(3200, 1000, 20000), Tone(5 * 32000, 0, 0), speech,
                             Tone(5 * 32000, 0, 0)})
        scene.insert(scene.end(), part.begin(), part.end());
    const QString sceneFile = folders.Path("program/scene.wav");
    ASSERT_TRUE(WriteWav(sceneFile, scene));

    auto source = std::make_shared<CFileFedSource>(sceneFile, 2.0);
    ASSERT_TRUE(source->Valid()) << source->Error().toStdString();
    SetSystemClock(source.get());
    capture.SetWaveInputFactory([source] { return std::make_unique<CFileWaveInput>(source); });
    capture.SetActivationThreshold(threshold);
    capture.SetSilenceSeconds(3);
    capture.SetAntiBumpEnabled(true);
    StartThreads();
    capture.PostThreadMessage(WM_REC_VOICE_ACTIVATION, 1);
    capture.PostThreadMessage(WM_REC_START);

    const auto ready = [&] { return window.Only(WM_RECORDING_FILE_READY); };
    ASSERT_TRUE(WaitUntil([&] { return ready().size() >= 3; }, 20s)) << ready().size();
    capture.PostThreadMessage(WM_REC_VOICE_ACTIVATION, 0);
    CloseCapture();

    ASSERT_EQ(ready().size(), 3u);
    EXPECT_EQ(window.Count(WM_VOICE_DETECTED), 3);
    // What the gate forwarded, in buffers of 36 ms, within one buffer of the scene;
    // the click is cut at the first quiet buffer past 2 s, and discarded.
    const std::vector<int> segments = writer.Segments();
    ASSERT_EQ(segments.size(), 3u);
    const double buffer = 1152 / 32000.0;
    const double expected[3] = {speechSegment, 2.0, speechSegment};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(ready()[i].lParam, i == 1 ? 1 : 0) << i;
        EXPECT_NEAR(segments[i] * buffer, expected[i], 1.5 * buffer) << i;
        // The files hold those segments whole: the encoder was flushed into each.
        EXPECT_TRUE(ready()[i].path.endsWith(".snx"));
        const Pcm d = DecodeMp3(ready()[i].path);
        ASSERT_EQ(d.rate, 32000);
        EXPECT_GE(d.Seconds(), segments[i] * buffer - 0.001);
        EXPECT_LE(d.Seconds(), segments[i] * buffer + 2 * buffer);
    }
}

}  // namespace

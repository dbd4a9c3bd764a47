// The writer thread with the real encoder library and real files; what it
// writes is decoded by mpg123.

#include "audio/WriteSoundFile.h"

#include "AudioTestSupport.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

class Writer : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureCoreApplication();
        ASSERT_TRUE(m_programDir.isValid() && m_workDir.isValid());
        SetProgramFolderForTesting(m_programDir.path() + "/");
        SetPrompt(&prompt);
        work = m_workDir.path() + "/";
        writer = std::make_unique<CWriteSoundFile>(32000);
        writer->SetFolders(SONVELLE_ENCODER_DIR, work);
        writer->mainWindow = &window;
        writer->Start();
    }
    void TearDown() override
    {
        if (writer->IsStillActive()) {
            writer->PostThreadMessage(WM_WRITER_QUIT);
            WaitFor([&] { return !writer->IsStillActive(); });
        }
        writer.reset();
        SetPrompt(nullptr);
        SetProgramFolderForTesting({});
    }

    void Create()
    {
        writer->PostThreadMessage(WM_WRITER_CREATE_FILE, 0, 0, std::make_unique<CCaptureStartRecord>(WaveFormat{}));
    }
    void Data(const std::vector<short>& samples, int bufferSamples = 1152)
    {
        for (size_t pos = 0; pos < samples.size(); pos += static_cast<size_t>(bufferSamples)) {
            auto b = std::make_unique<CWaveBuffer>();
            b->data = QByteArray(bufferSamples * 2, '\0');
            const size_t n = std::min(samples.size() - pos, static_cast<size_t>(bufferSamples));
            std::memcpy(b->data.data(), samples.data() + pos, n * 2);
            b->bytesRecorded = static_cast<std::uint32_t>(b->data.size());
            writer->PostThreadMessage(WM_WRITER_DATA, 1, 0, std::move(b));
        }
    }
    void CloseAndWait()
    {
        writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
        ASSERT_TRUE(WaitFor([&] { return writer->IsStreamClosed(); }));
        // The close is the last message posted; give the thread a moment past the flag.
        writer->PostThreadMessage(WM_WRITER_QUIT);
        ASSERT_TRUE(WaitFor([&] { return !writer->IsStillActive(); }));
    }
    void WaitReady(int count)
    {
        ASSERT_TRUE(WaitFor([&] { return window.Count(WM_RECORDING_FILE_READY) >= count; }));
    }
    QString Temporary() const { return work + "tmp_nome_reg.dtm"; }

    CScriptedPrompt prompt;
    CMainWindowStub window;
    std::unique_ptr<CWriteSoundFile> writer;
    QString work;

private:
    QTemporaryDir m_programDir;
    QTemporaryDir m_workDir;
};

TEST_F(Writer, ManualRecordingBecomesAnMp3AtTheProgramFormat)
{
    Create();
    ASSERT_TRUE(WaitFor([&] { return !writer->IsStreamClosed(); }));
    Data(Tone(100 * 1152, 440, 9000));
    CloseAndWait();

    const DecodedAudio d = DecodeMp3(Temporary());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rate, 32000);
    EXPECT_EQ(d.channels, 1);
    EXPECT_GE(static_cast<int>(d.samples.size()), 100 * 1152);
    EXPECT_LE(static_cast<int>(d.samples.size()), 102 * 1152);
    // 32 kbit/s: 3.6 s of audio is 14400 bytes, give or take a frame.
    EXPECT_NEAR(QFileInfo(Temporary()).size(), 14400, 300);
    EXPECT_TRUE(ReadLog().contains("Writer: CreateWaveFile"));
    EXPECT_TRUE(ReadLog().contains(QRegularExpression("mdwLunghezzaBufferWAV= 1152, mdwLunghezzaBufferMP3=\\d+")));
}

TEST_F(Writer, DataWithoutAFileIsDroppedAndAnEmptyRecordingStaysEmpty)
{
    Data(Tone(10 * 1152, 440, 9000));
    writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    Create();
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(Temporary()) && !writer->IsStreamClosed(); }));
    CloseAndWait();
    // Nothing forwarded: no flush, so not even the encoder's padding frame.
    EXPECT_EQ(QFileInfo(Temporary()).size(), 0);
    EXPECT_TRUE(prompt.ShownSoFar().empty());
}

TEST_F(Writer, ABufferLongerThanAChunkIsCutToOneChunk)
{
    Create();
    Data(Tone(20 * 2304, 440, 9000), 2304);
    CloseAndWait();
    const DecodedAudio d = DecodeMp3(Temporary());
    ASSERT_TRUE(d.ok);
    EXPECT_GE(static_cast<int>(d.samples.size()), 20 * 1152);
    EXPECT_LE(static_cast<int>(d.samples.size()), 22 * 1152);
}

TEST_F(Writer, SegmentsAreHandedOverUnderUniqueSnxNamesInMessageOrder)
{
    // The order the capture thread produces at each segment end: hand-over, close, create.
    Create();
    Data(Tone(30 * 1152, 440, 9000));
    writer->PostThreadMessage(WM_WRITER_HAND_OVER, 0);
    writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    Create();
    Data(Tone(60 * 1152, 660, 9000));
    writer->PostThreadMessage(WM_WRITER_HAND_OVER, 1);
    writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    Create();
    WaitReady(2);
    CloseAndWait();

    const auto ready = window.Only(WM_RECORDING_FILE_READY);
    ASSERT_EQ(ready.size(), 2u);
    EXPECT_EQ(ready[0].lParam, 0);
    EXPECT_EQ(ready[1].lParam, 1);
    EXPECT_NE(ready[0].path, ready[1].path);
    const QRegularExpression name("^TEM[0-9A-F]{1,4}\\.snx$");
    int expectedChunks[] = {30, 60};
    for (int i = 0; i < 2; ++i) {
        const QFileInfo info(ready[i].path);
        EXPECT_EQ(info.absolutePath() + "/", work);
        EXPECT_TRUE(name.match(info.fileName()).hasMatch()) << info.fileName().toStdString();
        const DecodedAudio d = DecodeMp3(ready[i].path);
        ASSERT_TRUE(d.ok);
        // The segment ends with the last chunk the encoder returned: its look-ahead (a few
        // frames) was flushed into the next temporary file.
        EXPECT_LE(static_cast<int>(d.samples.size()), expectedChunks[i] * 1152);
        EXPECT_GE(static_cast<int>(d.samples.size()), (expectedChunks[i] - 6) * 1152);
    }
    // No ".tmp" left behind, and the fresh temporary file is there.
    EXPECT_TRUE(QDir(work).entryList({"*.tmp"}).isEmpty());
    EXPECT_TRUE(QFile::exists(Temporary()));
}

TEST_F(Writer, SingleFileModeHandsOverTheGrowingFileWithoutClosingIt)
{
    writer->singleFile = 1;
    Create();
    Data(Tone(20 * 1152, 440, 9000));
    writer->PostThreadMessage(WM_WRITER_HAND_OVER, 0);
    WaitReady(1);
    EXPECT_EQ(window.Only(WM_RECORDING_FILE_READY)[0].path, Temporary());
    const qint64 sizeAtHandOver = QFileInfo(Temporary()).size();
    EXPECT_GT(sizeAtHandOver, 0);
    Data(Tone(20 * 1152, 440, 9000));
    CloseAndWait();
    EXPECT_GT(QFileInfo(Temporary()).size(), sizeAtHandOver);
    EXPECT_TRUE(QDir(work).entryList({"*.snx"}).isEmpty());
}

TEST_F(Writer, WithoutUniqueNamesTheSecondHandOverReplacesTempReg)
{
    writer->SetTempNameMakerForTesting([](const QString&, const QString&) { return QString(); });
    Create();
    Data(Tone(40 * 1152, 440, 9000));
    writer->PostThreadMessage(WM_WRITER_HAND_OVER, 0);
    writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    WaitReady(1);
    const QString tempReg = work + "tempReg.snx";
    EXPECT_EQ(window.Only(WM_RECORDING_FILE_READY)[0].path, tempReg);
    const qint64 firstSize = QFileInfo(tempReg).size();
    EXPECT_GT(firstSize, 0);

    Create();
    Data(Tone(10 * 1152, 440, 9000));
    writer->PostThreadMessage(WM_WRITER_HAND_OVER, 1);
    writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    WaitReady(2);
    CloseAndWait();
    EXPECT_EQ(window.Only(WM_RECORDING_FILE_READY)[1].path, tempReg);
    // The second segment, not the first: the old tempReg.snx was deleted first.
    EXPECT_LT(QFileInfo(tempReg).size(), firstSize);
    EXPECT_EQ(ReadLog().count("Impossibile creare un file temp automaticamente, procedo manualmente"), 2);
}

TEST_F(Writer, UniqueTemporaryNamesFollowThePrefixRule)
{
    const QString a = CreateUniqueTempFile(work, "TEMP_");
    const QString b = CreateUniqueTempFile(work, "TEMP_");
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(QRegularExpression("/TEM[0-9A-F]{1,4}\\.tmp$").match(a).hasMatch()) << a.toStdString();
    EXPECT_EQ(QFileInfo(a).size(), 0);
    EXPECT_TRUE(CreateUniqueTempFile(work + "missing/", "TEMP_").isEmpty());
}

class WriterLibrary : public Writer {};

TEST_F(WriterLibrary, AMissingLibraryIsReportedAndClosesTheProgram)
{
    QTemporaryDir emptyProgram;
    writer->SetFolders(emptyProgram.path(), work);
    Create();
    ASSERT_TRUE(WaitFor([&] { return window.Count(WM_CLOSE) == 1; }));
    Data(Tone(5 * 1152, 440, 9000));
    CloseAndWait();
    ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(prompt.ShownSoFar()[0].text, LoadText(22));
    EXPECT_FALSE(LoadText(22).isEmpty());
    EXPECT_EQ(prompt.ShownSoFar()[0].icon, PromptIcon::Stop);
    EXPECT_FALSE(QFile::exists(Temporary()));
}

TEST_F(WriterLibrary, ALibraryWithoutTheEntryPointsIsReportedAndClosesTheProgram)
{
    QTemporaryDir program;
    // A loadable module that exports none of the five entry points.
    ASSERT_TRUE(QFile::copy("/lib/x86_64-linux-gnu/libm.so.6", program.path() + "/encodermp3.so"));
    writer->SetFolders(program.path(), work);
    Create();
    ASSERT_TRUE(WaitFor([&] { return window.Count(WM_CLOSE) == 1; }));
    CloseAndWait();
    ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(prompt.ShownSoFar()[0].text, LoadText(24));
    EXPECT_FALSE(LoadText(24).isEmpty());
    EXPECT_TRUE(writer->IsStreamClosed());
}

class WriterFaults : public Writer {};

TEST_F(WriterFaults, AFullDiskIsLoggedAndNothingCrashes)
{
    ASSERT_TRUE(QFile::link("/dev/full", Temporary()));
    Create();
    Data(Tone(20 * 1152, 440, 9000));
    CloseAndWait();
    const QString log = ReadLog();
    EXPECT_TRUE(log.contains("Errore di scrittura su " + Temporary())) << log.toStdString();
    EXPECT_TRUE(QRegularExpression("\\d+ byte MP3 non scritti").match(log).hasMatch());
    // Logged once per file, not once per buffer.
    EXPECT_EQ(log.count("Errore di scrittura"), 1);
}

TEST_F(WriterFaults, ARemovedWorkFolderIsLoggedAndTheHandOverStillArrives)
{
    Create();
    Data(Tone(20 * 1152, 440, 9000));
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(Temporary()).size() > 0; }));
    ASSERT_TRUE(QDir(work).removeRecursively());
    Data(Tone(20 * 1152, 440, 9000));
    writer->PostThreadMessage(WM_WRITER_HAND_OVER, 0);
    writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    Create();
    Data(Tone(5 * 1152, 440, 9000));
    WaitReady(1);
    CloseAndWait();
    const QString log = ReadLog();
    EXPECT_TRUE(log.contains("Rinomina fallita")) << log.toStdString();
    EXPECT_TRUE(log.contains("Impossibile creare")) << log.toStdString();
}

}  // namespace

#include "audio/WriteSoundFile.h"

#include "support/EventWait.h"
#include "support/PostedMessages.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cstring>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

constexpr int kChunk = 1152;

// Every sample given is in the file (the encoder's tail was flushed into it),
// and at most two chunks more: none of the next segment.
::testing::AssertionResult HoldsChunks(const QString& path, int chunks)
{
    const Pcm d = DecodeMp3(path);
    const int samples = static_cast<int>(d.samples.size());
    if (d.ok && d.rate == 32000 && d.channels == 1 && samples >= chunks * kChunk && samples <= (chunks + 2) * kChunk)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << path.toStdString() << ": " << samples << " samples at " << d.rate << " Hz, "
                                         << d.channels << " channels, for " << chunks << " chunks";
}

int Mode(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

class Writer : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureCoreApplication();
        ASSERT_TRUE(m_programDir.isValid() && m_workDir.isValid());
        SetProgramFolderForTesting(m_programDir.path() + "/");
        SetPrompt(&prompt);
        StartWriter(m_workDir.path() + "/");
    }
    void TearDown() override
    {
        StopWriter();
        SetPrompt(nullptr);
        SetProgramFolderForTesting({});
    }
    void StartWriter(const QString& folder)
    {
        work = folder;
        writer = std::make_unique<CWriteSoundFile>(32000);
        writer->SetFolders(SONVELLE_ENCODER_DIR, work);
        writer->mainWindow = &window;
        writer->Start();
    }
    void StopWriter()
    {
        if (writer && writer->IsStillActive()) {
            writer->PostThreadMessage(WM_WRITER_QUIT);
            WaitUntil([&] { return !writer->IsStillActive(); });
        }
        writer.reset();
    }

    void Create()
    {
        writer->PostThreadMessage(WM_WRITER_CREATE_FILE, 0, 0, std::make_unique<CCaptureStartRecord>(WaveFormat{}));
    }
    void Data(const std::vector<short>& samples, int bufferSamples = kChunk)
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
    // One automatic segment end, in the order the capture thread sends it.
    void EndSegment(int discard = 0)
    {
        writer->PostThreadMessage(WM_WRITER_HAND_OVER, discard);
        writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
        Create();
    }
    void CloseAndWait()
    {
        writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
        ASSERT_TRUE(WaitUntil([&] { return writer->IsStreamClosed(); }));
        writer->PostThreadMessage(WM_WRITER_QUIT);
        ASSERT_TRUE(WaitUntil([&] { return !writer->IsStillActive(); }));
    }
    void WaitReady(int count)
    {
        ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_RECORDING_FILE_READY) >= count; }));
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

TEST_F(Writer, EverySegmentAndTheStoppedRecordingAreWholeOwnerOnlyStreamsAndStrayOrEmptyInputPassesQuietly)
{
    const mode_t oldMask = ::umask(0);
    Data(Tone(10 * kChunk, 440, 9000));  // no file open: dropped
    writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    Create();
    ASSERT_TRUE(WaitUntil([&] { return QFile::exists(Temporary()) && !writer->IsStreamClosed(); }));
    writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    ASSERT_TRUE(WaitUntil([&] { return writer->IsStreamClosed(); }));
    // Nothing forwarded: no flush, so not even the encoder's padding frame.
    EXPECT_EQ(QFileInfo(Temporary()).size(), 0);

    const int chunks[] = {30, 60, 45, 20};
    Create();  // the empty file is reused
    for (int i = 0; i < 3; ++i) {
        Data(Tone(chunks[i] * kChunk, 440 + 110 * i, 9000));
        EndSegment(i == 1 ? 1 : 0);
    }
    // The stopped recording stays in place; its buffers are too long and each is cut to one chunk.
    Data(Tone(20 * 2 * kChunk, 440, 9000), 2 * kChunk);
    CloseAndWait();
    ::umask(oldMask);
    WaitReady(3);
    const auto ready = window.Only(WM_RECORDING_FILE_READY);
    ASSERT_EQ(ready.size(), 3u);
    EXPECT_EQ(ready[1].lParam, 1);
    EXPECT_EQ(ProbeStream(Temporary()), "32000,1,32000");
    QByteArray joined;
    for (int i = 0; i < 4; ++i) {
        const QString path = i < 3 ? ready[static_cast<size_t>(i)].path : Temporary();
        EXPECT_EQ(Mp3valFindings(path).join('\n'), QString());
        EXPECT_EQ(Mode(path), 0600);
        EXPECT_TRUE(HoldsChunks(path, chunks[i]));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        joined += f.readAll();
    }
    // Joined end to end, as one-file mode stores them, they still make a clean file.
    const QString one = work + "joined.mp3";
    QFile out(one);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(joined) == joined.size());
    out.close();
    EXPECT_EQ(Mp3valFindings(one).join('\n'), QString());
    EXPECT_GE(static_cast<int>(DecodeMp3(one).samples.size()), (30 + 60 + 45 + 20) * kChunk);
    EXPECT_EQ(QDir(work).entryList({"*.tmp", "*.snx"}).size(), 3);
    EXPECT_TRUE(prompt.ShownSoFar().empty());
}

TEST_F(Writer, TheTemporaryFileIsNeverReachedThroughALinkNorTruncatedAndSegmentsAlwaysFindAFreeName)
{
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.path() + "/victim";
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly) && v.write("precious") == 8);
    v.close();
    ASSERT_TRUE(QFile::link(victim, Temporary()));
    Create();
    ASSERT_TRUE(WaitUntil([&] { return !writer->IsStreamClosed(); }));
    Data(Tone(10 * kChunk, 440, 9000));
    writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    ASSERT_TRUE(WaitUntil([&] { return writer->IsStreamClosed(); }));
    EXPECT_EQ(QFileInfo(victim).size(), 8);
    EXPECT_FALSE(QFileInfo(Temporary()).isSymLink());
    const qint64 kept = QFileInfo(Temporary()).size();
    ASSERT_GT(kept, 0);

    // Audio handed over in place (nobody has taken it yet) survives the next file.
    Create();
    Data(Tone(10 * kChunk, 660, 9000));
    CloseAndWait();
    EXPECT_EQ(QFileInfo(Temporary()).size(), kept);
    const QStringList others = QDir(work).entryList({"TEM*.snx"});
    ASSERT_EQ(others.size(), 1);
    EXPECT_TRUE(DecodeMp3(work + others[0]).ok);

    // Without unique names, segments go to tempReg or any other free name with all their audio; a segment
    // the window has not taken yet is never overwritten.
    StartWriter(work);
    writer->SetTempNameMakerForTesting([](const QString&, const QString&) { return QString(); });
    const QString tempReg = work + "tempReg.snx";
    const int chunks[] = {40, 10, 20};
    Create();
    for (int i = 0; i < 3; ++i) {
        if (i == 2) {  // now the fallback name is taken by something that cannot be deleted
            ASSERT_TRUE(QFile::rename(tempReg, work + "first.snx"));
            ASSERT_TRUE(QDir(work).mkpath("tempReg.snx/inside"));
        }
        Data(Tone(chunks[i] * kChunk, 440, 9000));
        EndSegment();
        WaitReady(i + 1);
        const QString path = window.Only(WM_RECORDING_FILE_READY)[static_cast<size_t>(i)].path;
        EXPECT_EQ(path == tempReg, i == 0) << path.toStdString();
        EXPECT_TRUE(HoldsChunks(path, chunks[i]));
    }
    CloseAndWait();
    EXPECT_TRUE(HoldsChunks(work + "first.snx", chunks[0]));
    EXPECT_TRUE(QFileInfo(work + "tempReg.snx/inside").isDir());
}

TEST_F(Writer, AnIncompleteLibraryIsReportedWithoutWaitingForTheWindow)
{
    QTemporaryDir incomplete;
    // A loadable module that exports none of the five entry points.
    ASSERT_TRUE(QFile::copy("/lib/x86_64-linux-gnu/libm.so.6", incomplete.path() + "/encodermp3.so"));
    writer->SetFolders(incomplete.path(), work);
    Create();
    Data(Tone(5 * kChunk, 440, 9000));
    writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    writer->PostThreadMessage(WM_WRITER_QUIT);
    // The window's thread is busy (as when it closes and waits): the writer still ends.
    EXPECT_TRUE(writer->wait(5000));
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_CLOSE) == 1 && prompt.ShownSoFar().size() == 1; }));
    EXPECT_EQ(prompt.ShownSoFar()[0].text, LoadText(IDS_LIBRARY_NOT_FOUND));
    EXPECT_FALSE(QFile::exists(Temporary()));
}

// A work folder on a small file system that fills up during a recording.
TEST_F(Writer, AFullDiskCutsTheRecordingShortSaysSoAtOnceAndRecordsAgainWhenSpaceReturns)
{
    QTemporaryDir mountPoint;
    const QByteArray mp = QFile::encodeName(mountPoint.path());
    ASSERT_EQ(::mount("tmpfs", mp.constData(), "tmpfs", 0, "size=256k"), 0) << std::strerror(errno);
    struct Unmount {
        QByteArray at;
        ~Unmount() { ::umount(at.constData()); }
    } unmount{mp};
    StopWriter();
    StartWriter(mountPoint.path() + "/");
    QFile filler(work + "filler");
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {}
    filler.close();
    filler.resize(filler.size() - 40 * 1024);  // 40 KiB left: about 10 s at 32 kbit/s

    Create();
    Data(Tone(40 * 28 * kChunk, 440, 9000));  // about 40 s
    EndSegment();
    WaitReady(1);
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_RECORDING_CUT_SHORT) >= 1; }));
    const QString first = window.Only(WM_RECORDING_FILE_READY)[0].path;
    QTemporaryDir copies;
    ASSERT_TRUE(QFile::copy(first, copies.path() + "/first.mp3"));
    EXPECT_GT(DecodeMp3(copies.path() + "/first.mp3").samples.size(), 32000u * 5);
    EXPECT_EQ(Mp3valFindings(copies.path() + "/first.mp3").join('\n'), QString());  // whole frames only

    ASSERT_TRUE(QFile::remove(first) && QFile::remove(work + "filler"));
    Data(Tone(10 * 28 * kChunk, 660, 9000));
    EndSegment();
    WaitReady(2);
    CloseAndWait();
    const QString second = window.Only(WM_RECORDING_FILE_READY)[1].path;
    ASSERT_TRUE(QFile::copy(second, copies.path() + "/second.mp3"));
    EXPECT_GE(DecodeMp3(copies.path() + "/second.mp3").samples.size(), 10u * 28 * kChunk);
    EXPECT_EQ(window.Count(WM_RECORDING_CUT_SHORT), 1);  // said once, not once per buffer
}

}  // namespace

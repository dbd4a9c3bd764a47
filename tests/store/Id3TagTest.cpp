#include "store/DurationMeter.h"
#include "store/Id3Tag.h"
#include "store/RecordingList.h"
#include "support/SoundFiles.h"
#include "tests/store/WorkFolderTest.h"

#include <cmath>
#include <tuple>

#include <unistd.h>

using namespace sonvelle;
using namespace sonvelle::testing;

namespace {

class TagFile : public ::testing::Test {
protected:
    QString Folder() const { return m_dir.path() + "/"; }
    QString Put(const QString& name, const QByteArray& bytes)
    {
        const QString path = Folder() + name;
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    // Reads as the catalogue does; the file's duration is not measured when the tag has one.
    bool ReadEntry(const QString& path, CRecordingEntry& entry) { return m_list.ReadEntryTags(path, entry, Folder(), false); }

    QTemporaryDir m_dir;
    CRecordingList m_list;
};

}  // namespace

TEST_F(TagFile, WrittenTagReadsElsewhereAndReplacesTheFileWhole)
{
    const QString text = QString::fromUtf8("Café Ünï 日本");  // beyond ISO-8859-1
    const QString path = Put(text + ".mp3", FakeAudio());
    const QString link = Folder() + "other-name";
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
    CRecordingEntry entry;
    entry.m_strName = entry.m_strNotes = text;
    entry.m_strFolder = Folder();
    entry.m_dtDate = COleDateTime(2006, 12, 5, 10, 11, 12);
    entry.m_dtDuration = COleDateTime::FromSeconds(65);
    entry.SetState(kStateTagPending);
    ASSERT_TRUE(CRecordingList::WriteEntryTags(entry));
    // The old file was never opened for change: a reader holding it sees it whole.
    EXPECT_EQ(ReadBytes(link), FakeAudio());
    const QByteArray file = ReadBytes(path);
    EXPECT_EQ(file.mid(entry.GetTagSize()), FakeAudio());
    // Older copies of the program read a header size that counts the header.
    EXPECT_EQ(file.mid(6, 4), CId3Tag::SynchsafeBytes(entry.GetTagSize()));

    const QStringList shown = TagAsReadElsewhere(path);
    for (const QString& frame : {"TIT2=" + text, "COMM=" + text, QString("TIME=10:11:12"), QString("TLEN=00:01:05")})
        EXPECT_TRUE(shown.contains(frame)) << frame.toStdString() << " not in " << shown.join(", ").toStdString();
    CRecordingEntry again;

    // What ISO-8859-1 holds is written as before; UTF-8 of older files still reads.
    CId3Frame latin("TIT2");
    latin.SetText(QString::fromUtf8("Café"));
    EXPECT_EQ(CId3Tag::SerializeFrame(latin), TextFrame("TIT2", "Caf\xE9"));
    EXPECT_TRUE(ReadEntry(Put("Old.mp3", TagBytes(FullFrames("Old", text.toUtf8())) + FakeAudio()), again));
    EXPECT_EQ(again.m_strNotes, text);
}

TEST_F(TagFile, HostileHeadersAndFramesAreReadWithoutHarm)
{
    // Large padding and frame counts are fuzz seeds; here the audio must be found behind the tag.
    const QByteArray frames = TextFrame("TIT2", "Padded") + CommentFrame("n");
    const QByteArray padding(1 << 20, '\0');
    const std::tuple<const char*, QByteArray, int, std::size_t> cases[] = {  // what, file, result, frames
        // A frame beyond the tag, 256 MiB claimed and no tag at all: UnreadableTagGetsAFreshCompleteOne.
        {"size below the header", QByteArray("ID3\x03\x00\x00\x00\x00\x00\x05", 10) + FakeAudio(), 0, 0},
        {"cut-off header", QByteArray("ID3\x03"), -1, 0},
        {"empty and cut-off frames", TagBytes(RawFrame("TIT2", {}) + RawFrame("COMM", "\0\0") + "TL") + FakeAudio(), 1, 2},
        {"padding of another program",
         TagBytes({}).left(6) + CId3Tag::SynchsafeBytes(frames.size() + padding.size()) + frames + padding + FakeAudio(), 1, 2},
    };
    for (const auto& [what, file, result, frameCount] : cases) {
        SCOPED_TRACE(what);
        CId3Tag tag;
        ASSERT_TRUE(tag.Open(Put("t.mp3", file)));
        EXPECT_EQ(tag.Read(), result);
        EXPECT_EQ(tag.Frames().size(), frameCount);
        if (result == 1) {
            EXPECT_EQ(file.mid(tag.TagSize()), FakeAudio());
        }
    }
}

TEST_F(TagFile, ForeignFramesAreReadTheLastOfTwinsWinsAndRepairsAreMarkedForRewriting)
{
    const QByteArray foreignComment = RawFrame("COMM", QByteArray("\0eng", 4) + QByteArray("desc\0text", 9));
    const QString path = Put("Call 9.mp3", TagBytes(TextFrame("TDAT", "3112") + TextFrame("TYER", "2005") +
                                                    TextFrame("TIME", "23:59:58") + TextFrame("TLEN", "01:02:03") +
                                                    TextFrame("TIT2", "Call 9") + foreignComment +
                                                    TextFrame("TXXX", "Protetta") + TextFrame("TALB", "Desk 2") +
                                                    TextFrame("TCON", "Speech") + TextFrame("TPE1", "Me")) +
                                               FakeAudio());
    CRecordingEntry entry;
    EXPECT_TRUE(ReadEntry(path, entry));
    EXPECT_EQ(entry.m_dtDate.Format("%d/%m/%Y %H:%M:%S"), "31/12/2005 23:59:58");
    EXPECT_EQ(entry.m_dtDuration.SecondsOfDay(), 3723);
    EXPECT_EQ(entry.m_strNotes, "esc");
    EXPECT_TRUE(entry.m_bProtected);
    EXPECT_EQ(entry.GetState(), kStateSaved);

    // 30 February under another file name: the date becomes today at the tag's time, the name the file's.
    const QString renamed = Put("Renamed.mp3", TagBytes(TextFrame("TDAT", "3002") + TextFrame("TYER", "2005") +
                                                        TextFrame("TIME", "00:00:01") + TextFrame("TIT2", "Old name")) +
                                                   FakeAudio());
    CRecordingEntry repaired;
    EXPECT_TRUE(ReadEntry(renamed, repaired));
    const COleDateTime today = COleDateTime::GetCurrentTime().DatePart();
    EXPECT_DOUBLE_EQ(repaired.m_dtDate.DatePart().Value(), today.Value());
    EXPECT_EQ(repaired.m_dtDate.SecondsOfDay(), 1);
    EXPECT_EQ(repaired.m_strName, "Renamed");
    EXPECT_EQ(repaired.GetState(), kStateTagPending);
    ASSERT_TRUE(CRecordingList::WriteEntryTags(repaired));
    EXPECT_TRUE(TagAsReadElsewhere(renamed).contains("TDAT=" + today.Format("%d%m")));

    // Of twin frames the last wins, and is the one a change goes to.
    CId3Tag tag;
    const QByteArray frames = CommentFrame("early") + TextFrame("TIT2", "x") + CommentFrame("late");
    ASSERT_TRUE(tag.Open(Put("a.mp3", TagBytes(frames))));
    ASSERT_EQ(tag.Read(), 1);
    EXPECT_EQ(tag.FindFrame("COMM")->GetText(), "late");
    tag.SetTextFrame("COMM", "changed");
    ASSERT_EQ(tag.Frames().size(), 3u);
    EXPECT_EQ(tag.Frames()[0]->GetText(), "changed");
    EXPECT_EQ(tag.Frames()[2]->GetText(), "early");
}

TEST_F(TagFile, UnreadableTagGetsAFreshCompleteOneAndKeepsTheAudio)
{
    const QByteArray audio = FakeAudio(5000);
    const QByteArray brokenTag = TagBytes(TextFrame("TIT2", "x") + QByteArray("TLEN") + Be32(900) + QByteArray(6, '\0'));
    const QByteArray overlong = QByteArray("ID3\x03\x00\x00\x7f\x7f\x7f\x7f", 10) + audio;
    // What must follow the new tag: no byte of the file is taken for tag unless it was one.
    const std::tuple<const char*, QByteArray, QByteArray> cases[] = {
        {"Broken", brokenTag + audio, audio}, {"Bare", audio, audio}, {"Overlong", overlong, overlong}};
    for (const auto& [name, content, kept] : cases) {
        SCOPED_TRACE(name);
        const QString path = Put(QString(name) + ".mp3", content);
        CRecordingEntry entry;
        EXPECT_FALSE(ReadEntry(path, entry));
        EXPECT_LT(std::abs(entry.m_dtDate.Value() - COleDateTime::GetCurrentTime().Value()), 5.0 / 86400.0);
        EXPECT_EQ(entry.GetState(), kStateSaved);
        const QByteArray file = ReadBytes(path);
        EXPECT_EQ(file.mid(entry.GetTagSize()), kept);
        EXPECT_EQ(entry.m_dwSize, quint32(file.size()));  // the size with the new tag
        CRecordingEntry again;
        EXPECT_TRUE(ReadEntry(path, again));
        EXPECT_EQ(again.m_dtDate.Format("%d/%m/%Y %H:%M:%S"), entry.m_dtDate.Format("%d/%m/%Y %H:%M:%S"));
    }
}

TEST_F(TagFile, DurationOfARealRecordingBeforeAndAfterItsTag)
{
    const QString mp3 = test::MakeToneMp3(m_dir.path(), "Tone", 10);
    ASSERT_FALSE(mp3.isEmpty()) << "sox and lame are needed";
    CMpegDurationMeter meter;
    const double bare = meter.MeasureSeconds(mp3, false);

    CRecordingEntry entry;
    EXPECT_FALSE(ReadEntry(mp3, entry));  // no tag: a fresh one, measured
    EXPECT_EQ(entry.m_dtDuration.SecondsOfDay(), 10);
    // The tag's size counts its header: every audio frame is still found.
    EXPECT_DOUBLE_EQ(meter.MeasureSeconds(mp3, false), bare);
    EXPECT_NEAR(test::DecodeMp3(mp3).Seconds(), 10.0, 0.2);

    EXPECT_LT(meter.MeasureSeconds(Folder() + "missing.mp3", false), 0);
    EXPECT_LT(meter.MeasureSeconds(Put("noise.mp3", QByteArray(3000, '\x11')), false), 0.05);
}

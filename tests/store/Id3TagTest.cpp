#include "store/DurationMeter.h"
#include "store/Id3Tag.h"
#include "store/RecordingList.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
    int ReadResult(const QByteArray& bytes)
    {
        CId3Tag tag;
        EXPECT_TRUE(tag.Open(Put("t.mp3", bytes)));
        return tag.Read();
    }
    // Reads as the catalogue does; the file's duration is not measured when the tag has one.
    bool ReadEntry(const QString& path, CRecordingEntry& entry) { return m_list.ReadEntryTags(path, entry, Folder(), false); }

    static bool NearNow(const COleDateTime& d)
    {
        return std::abs(d.Value() - COleDateTime::GetCurrentTime().Value()) < 5.0 / 86400.0;
    }

    QTemporaryDir m_dir;
    CRecordingList m_list;
};

}  // namespace

TEST_F(TagFile, EntryTagIsWrittenByteForByteInFrontOfTheAudio)
{
    const QByteArray audio = FakeAudio();
    Put("Call 3.mp3", audio);
    CRecordingEntry entry;
    entry.m_strName = "Call 3";
    entry.m_strFolder = Folder();
    entry.m_dtDate = COleDateTime(2006, 12, 5, 10, 11, 12);
    entry.m_dtDuration = COleDateTime::FromSeconds(65);
    entry.SetState(kStateTagPending);
    ASSERT_TRUE(CRecordingList::WriteEntryTags(entry));

    const QByteArray frames = FullFrames("Call 3");
    const QByteArray file = ReadBytes(entry.FilePath());
    EXPECT_EQ(file, TagBytes(frames) + audio);
    EXPECT_EQ(frames.size(), 190);
    EXPECT_EQ(file.mid(6, 4), QByteArray("\x00\x00\x01\x48", 4));  // 200 = 10 + frames
    EXPECT_EQ(entry.GetTagSize(), 200u);
    EXPECT_EQ(entry.GetState(), kStateSaved);
    const qsizetype comm = file.indexOf("COMM");
    EXPECT_EQ(file.mid(comm, 15), QByteArray("COMM\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00", 15));
    EXPECT_FALSE(QFile::exists(Folder() + "tagTemporary.dtm"));
}

TEST_F(TagFile, FramesAreListedInReverseFileOrderAndNewOnesAppended)
{
    CId3Tag tag;
    ASSERT_TRUE(tag.Open(Put("a.mp3", TagBytes(CommentFrame("early") + TextFrame("TIT2", "x") + CommentFrame("late")) +
                                           FakeAudio(100))));
    ASSERT_EQ(tag.Read(), 1);
    ASSERT_EQ(tag.Frames().size(), 3u);
    EXPECT_EQ(tag.FindFrame("COMM")->GetText(), "late");
    tag.SetTextFrame("COMM", "changed");
    tag.SetTextFrame("TRCK", "0");
    EXPECT_EQ(tag.Frames()[0]->GetText(), "changed");
    EXPECT_EQ(tag.Frames()[2]->GetText(), "early");
    EXPECT_EQ(tag.Frames()[3]->Identifier(), "TRCK");

    CId3Frame untouched("TLEN");
    untouched.SetText("keep");
    EXPECT_FALSE(tag.GetFrame("TLEN", untouched));
    EXPECT_EQ(untouched.GetText(), "keep");
}

TEST_F(TagFile, FrameTextsNumbersTimesAndFlags)
{
    CId3Frame f("TYER");
    EXPECT_EQ(f.GetNumber(), 0);
    EXPECT_EQ(f.GetTime().GetStatus(), COleDateTime::null);
    f.SetText("2005x");
    EXPECT_EQ(f.GetNumber(), 2005);
    EXPECT_EQ(f.GetTime().GetStatus(), COleDateTime::invalid);
    CId3Frame len("TLEN");
    len.SetText("01:02:03");
    EXPECT_EQ(len.GetTime().SecondsOfDay(), 3723);
    len.SetText("1:02");
    EXPECT_EQ(len.GetTime().GetStatus(), COleDateTime::invalid);
    len.SetText("");
    EXPECT_EQ(len.GetTime().GetStatus(), COleDateTime::null);
    CId3Frame flag("TXXX");
    flag.SetText("Protetta");
    EXPECT_TRUE(flag.IsProtected());
    flag.SetText("protetta");
    EXPECT_FALSE(flag.IsProtected());
    EXPECT_EQ(AsciiToInt("99999999999"), 2147483647);
}

TEST_F(TagFile, HostileHeadersAndFramesAreRejectedWithoutHarm)
{
    // A frame size beyond the rest of the tag.
    EXPECT_EQ(ReadResult(TagBytes(TextFrame("TIT2", "x") + QByteArray("TLEN") + Be32(1000) + QByteArray(6, '\0')) +
                         FakeAudio(2000)),
              0);
    // Size bytes with the top bit set, and a size below the header's own.
    EXPECT_EQ(ReadResult(QByteArray("ID3\x03\x00\x00\x80\x00\x00\x20", 10) + FakeAudio(100)), 0);
    EXPECT_EQ(ReadResult(QByteArray("ID3\x03\x00\x00\x00\x00\x00\x05", 10) + FakeAudio(100)), 0);
    // A declared size of 256 MiB in a small file: a short read, nothing allocated.
    EXPECT_EQ(ReadResult(QByteArray("ID3\x03\x00\x00\x7f\x7f\x7f\x7f", 10) + FakeAudio(100)), -1);
    EXPECT_EQ(ReadResult(QByteArray("ID3\x03")), -1);
    EXPECT_EQ(ReadResult(FakeAudio(100)), 0);
    // Zero-length and cut-off frames.
    CId3Tag tag;
    ASSERT_TRUE(tag.Open(Put("z.mp3", TagBytes(RawFrame("TIT2", {}) + RawFrame("COMM", "\0\0") + QByteArray("TL")) +
                                           FakeAudio(100))));
    EXPECT_EQ(tag.Read(), 1);
    ASSERT_NE(tag.FindFrame("TIT2"), nullptr);
    EXPECT_EQ(tag.FindFrame("TIT2")->GetText(), "");
    EXPECT_EQ(tag.FindFrame("COMM")->GetText(), "");
}

TEST_F(TagFile, ForeignCommentAndDateTimeFrames)
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
    EXPECT_EQ(entry.m_strOperator, "Desk 2");
    EXPECT_EQ(entry.m_strGenre, "Speech");
    EXPECT_EQ(entry.m_strArtist, "Me");
    EXPECT_EQ(entry.GetState(), kStateSaved);
    EXPECT_EQ(entry.m_dwSize, quint32(QFileInfo(path).size()));
    EXPECT_EQ(entry.GetTagSize(), quint32(QFileInfo(path).size() - FakeAudio().size()));
}

TEST_F(TagFile, RepairsAreMarkedForRewriting)
{
    // 30 February: the date becomes today, at the tag's time of day.
    const QString path = Put("Renamed.mp3", TagBytes(TextFrame("TDAT", "3002") + TextFrame("TYER", "2005") +
                                                     TextFrame("TIME", "00:00:01") + TextFrame("TIT2", "Old name")) +
                                                FakeAudio());
    CRecordingEntry entry;
    EXPECT_TRUE(ReadEntry(path, entry));
    const COleDateTime today = COleDateTime::GetCurrentTime().DatePart();
    EXPECT_DOUBLE_EQ(entry.m_dtDate.DatePart().Value(), today.Value());
    EXPECT_EQ(entry.m_dtDate.SecondsOfDay(), 1);
    EXPECT_EQ(entry.m_strName, "Renamed");
    EXPECT_EQ(entry.GetState(), kStateTagPending);
    EXPECT_EQ(entry.m_strArtist, "Sonvelle");
    EXPECT_EQ(entry.m_strGenre, "(24)Soundtrack");
    EXPECT_FALSE(entry.m_bProtected);

    // Written back, the file carries its own name and today's date.
    ASSERT_TRUE(CRecordingList::WriteEntryTags(entry));
    CId3Tag tag;
    ASSERT_TRUE(tag.Open(path));
    ASSERT_EQ(tag.Read(), 1);
    EXPECT_EQ(tag.FindFrame("TIT2")->GetText(), "Renamed");
    EXPECT_EQ(tag.FindFrame("TDAT")->GetText(), today.Format("%d%m"));
    EXPECT_EQ(tag.FindFrame("TYER")->GetNumber(), today.GetYear());
}

TEST_F(TagFile, UnreadableTagGetsAFreshCompleteOneAndKeepsTheAudio)
{
    const QByteArray audio = FakeAudio(5000);
    const QString broken =
        Put("Broken.mp3", TagBytes(TextFrame("TIT2", "x") + QByteArray("TLEN") + Be32(900) + QByteArray(6, '\0')) + audio);
    const qsizetype brokenTag = ReadBytes(broken).size() - audio.size();
    const QString bare = Put("Bare.mp3", audio);

    CRecordingEntry fromBroken;
    EXPECT_FALSE(ReadEntry(broken, fromBroken));
    EXPECT_TRUE(NearNow(fromBroken.m_dtDate));
    EXPECT_EQ(fromBroken.m_strName, "Broken");
    EXPECT_EQ(fromBroken.GetState(), kStateSaved);
    EXPECT_EQ(ReadBytes(broken).mid(fromBroken.GetTagSize()), audio);
    EXPECT_GT(brokenTag, 0);

    CRecordingEntry fromBare;
    EXPECT_FALSE(ReadEntry(bare, fromBare));
    EXPECT_TRUE(NearNow(fromBare.m_dtDate));
    const QByteArray file = ReadBytes(bare);
    EXPECT_EQ(file.mid(fromBare.GetTagSize()), audio);
    EXPECT_EQ(fromBare.m_dwSize, quint32(file.size()));  // the size with the new tag

    // A header claiming more than the file holds: no byte of the file is taken for tag.
    const QByteArray claimed = QByteArray("ID3\x03\x00\x00\x7f\x7f\x7f\x7f", 10) + audio;
    const QString overlong = Put("Overlong.mp3", claimed);
    CRecordingEntry fromOverlong;
    EXPECT_FALSE(ReadEntry(overlong, fromOverlong));
    EXPECT_EQ(ReadBytes(overlong).mid(fromOverlong.GetTagSize()), claimed);

    CRecordingEntry again;
    EXPECT_TRUE(ReadEntry(bare, again));
    EXPECT_EQ(again.GetState(), kStateSaved);
    EXPECT_EQ(again.m_strArtist, "Sonvelle");
    EXPECT_EQ(again.m_dtDate.Format("%d/%m/%Y %H:%M:%S"), fromBare.m_dtDate.Format("%d/%m/%Y %H:%M:%S"));
}

TEST_F(TagFile, RewriteReplacesTheFileInsteadOfChangingItInPlace)
{
    const QString path = MakeRecording(Folder(), "Linked");
    const QByteArray before = ReadBytes(path);
    const QString link = Folder() + "other-name";
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
    CRecordingEntry entry;
    ASSERT_TRUE(ReadEntry(path, entry));
    entry.m_strNotes = "new notes";
    ASSERT_TRUE(CRecordingList::WriteEntryTags(entry));
    // The old file was never opened for change: a reader holding it sees it whole.
    EXPECT_EQ(ReadBytes(link), before);
    EXPECT_NE(ReadBytes(path), before);
    EXPECT_EQ(ReadBytes(path).mid(entry.GetTagSize()), FakeAudio());
}

namespace {

// A real constant-bit-rate MP3 of the recording format, made by independent tools.
QString EncodeTone(const QString& folder, int seconds)
{
    const QString wav = folder + "tone.wav";
    const QString mp3 = folder + "Tone.mp3";
    const QString cmd = QString("sox -q -n -r 32000 -c 1 -b 16 '%1' synth %2 sine 440 && "
                                "lame --quiet -t -m m -b 32 --cbr --resample 32 '%1' '%3'")
                            .arg(wav)
                            .arg(seconds)
                            .arg(mp3);
    return std::system(cmd.toUtf8().constData()) == 0 ? mp3 : QString();
}

}  // namespace

TEST_F(TagFile, DurationOfARealRecordingBeforeAndAfterItsTag)
{
    const QString mp3 = EncodeTone(Folder(), 10);
    ASSERT_FALSE(mp3.isEmpty()) << "sox and lame are needed";
    const QByteArray audio = ReadBytes(mp3);
    CMpegDurationMeter meter;
    const double bare = meter.MeasureSeconds(mp3, false);
    // 10 s plus the encoder's delay and padding, in whole frames of 1152 samples.
    EXPECT_NEAR(bare, 10.0, 0.15);
    EXPECT_NEAR(bare * 32000.0 / 1152.0, std::round(bare * 32000.0 / 1152.0), 1e-6);

    CRecordingEntry entry;
    EXPECT_FALSE(m_list.ReadEntryTags(mp3, entry, Folder(), false));  // no tag: a fresh one, measured
    EXPECT_EQ(entry.m_dtDuration.SecondsOfDay(), 10);
    EXPECT_EQ(ReadBytes(mp3).mid(entry.GetTagSize()), audio);
    // The tag's size counts its header: every audio frame is still found.
    EXPECT_DOUBLE_EQ(meter.MeasureSeconds(mp3, false), bare);
    const QString decode = QString("mpg123 -q -t '%1'").arg(mp3);
    EXPECT_EQ(std::system(decode.toUtf8().constData()), 0);

    EXPECT_LT(meter.MeasureSeconds(Folder() + "missing.mp3", false), 0);
    EXPECT_LT(meter.MeasureSeconds(Put("noise.mp3", QByteArray(3000, '\x11')), false), 0.05);
}

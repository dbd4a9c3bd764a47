#include "store/IndexFile.h"
#include "store/OleDateTime.h"
#include "store/RecordingDeleter.h"
#include "tests/store/WorkFolderTest.h"

#include <QUrl>

#include <cmath>
#include <tuple>

using namespace sonvelle;
using namespace sonvelle::testing;

namespace {

class Catalogue : public ::testing::Test {
protected:
    QString Folder() const { return m_dirs.WorkDir(); }
    QString IndexPath() const { return Folder() + "Index.txt"; }
    QByteArray Index() const { return ReadBytes(IndexPath()); }
    void LoadAndLetGo() const { ASSERT_TRUE(CRecordingList().Load(Folder())); }
    // Names of the records not marked deleted, through the index's own reader; the list must have let go.
    QStringList LiveRecords() const
    {
        CIndexFile index;
        QStringList names;
        CRecordingEntry r;
        if (index.Open(IndexPath()))
            while (index.ReadRecord(r))
                if (r.m_nIndexState != kIndexDeleted)
                    names << r.m_strName;
        return names;
    }

    test::CTestFolders m_dirs;
};

}  // namespace

TEST_F(Catalogue, RecordsReadBackAndTextsTooLongForTheIndexStayWholeInTheTag)
{
    MakeRecording(Folder(), "Desk call", "line one\r\nline two", "Desk 2", true);
    const QString notes = "x" + QString(200, QChar(0xe9));  // 401 bytes of UTF-8
    MakeRecording(Folder(), "Long", notes.toUtf8(), QByteArray(270, 'o'));
    // Each load after a save reads the whole texts back from the tag.
    for (int run = 0; run < 3; ++run) {
        CRecordingList list;
        ASSERT_TRUE(list.Load(Folder()));
        CRecordingEntry* e = list.FindByName("Long");
        EXPECT_EQ(e->m_strNotes, notes) << "run " << run;
        EXPECT_EQ(e->m_strOperator, QString(270, 'o'));
        e->SetState(kStateTagPending);
        ASSERT_TRUE(list.SavePending());
    }
    EXPECT_EQ(Index().size(), 2 * CIndexFile::kOperatorRecord);
    CIndexFile reader;
    ASSERT_TRUE(reader.Open(IndexPath()));
    CRecordingEntry records[2];
    ASSERT_TRUE(reader.ReadRecord(records[0]) && reader.ReadRecord(records[1]));
    const bool longFirst = records[0].m_strName == "Long";
    const CRecordingEntry& record = records[longFirst ? 0 : 1];
    const CRecordingEntry& desk = records[longFirst ? 1 : 0];
    // 1 + 129 * 2 = 259 bytes fit; the 130th é would be cut in half, so it goes.
    EXPECT_EQ(record.m_strNotes, "x" + QString(129, QChar(0xe9)));
    EXPECT_EQ(QStringList({desk.m_strNotes, desk.m_strOperator}), QStringList({"line one\r\nline two", "Desk 2"}));
    EXPECT_TRUE(desk.m_bProtected);
    EXPECT_EQ(desk.m_dtDuration.SecondsOfDay(), 65);
}

TEST_F(Catalogue, MissingFilesAreMarkedMoreThanTenCompactAndAPartialRecordIsCut)
{
    const auto name = [](int i) { return QString("R%1").arg(i, 2, 10, QChar('0')); };
    for (int i = 0; i < 23; ++i)
        MakeRecording(Folder(), name(i));
    for (int removed : {10, 11}) {
        LoadAndLetGo();
        for (int i = 0; i < removed; ++i)
            QFile::remove(Folder() + name(i) + ".mp3");
    }
    // Ten records without files are only marked.
    EXPECT_EQ(Index().size(), 23 * CIndexFile::kBaseRecord);
    EXPECT_EQ(LiveRecords().size(), 13);

    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    EXPECT_EQ(list.GetCount(), 12);
    // Offsets follow the new file: rewriting the last one in place keeps the length.
    CRecordingEntry* last = list.GetAt(11);
    EXPECT_EQ(last->m_dwIndexOffset, 11u * CIndexFile::kBaseRecord);
    last->m_strNotes = "after compaction";
    ASSERT_TRUE(list.UpdateIndexRecord(*last));
    const QString lastName = last->m_strName;
    list.Clear();
    const QStringList records = LiveRecords();
    EXPECT_EQ(records.size(), 12);

    // A record cut short is dropped and its recording listed again from its tag.
    ASSERT_TRUE(WriteBytes(IndexPath(), Index().left(11 * CIndexFile::kBaseRecord + 300)));
    ASSERT_TRUE(list.Load(Folder()));
    EXPECT_EQ(list.GetCount(), 12);
    EXPECT_EQ(list.FindByName(lastName)->m_nIndexState, kIndexAddedByScan);
    list.Clear();
    EXPECT_EQ(Index().size(), 12 * CIndexFile::kBaseRecord);
    EXPECT_EQ(LiveRecords(), records);
}

TEST_F(Catalogue, NameDifferingOnlyInCaseMatchesAndTakesTheFileSpelling)
{
    MakeRecording(Folder(), "Call");
    LoadAndLetGo();
    ASSERT_TRUE(QFile::rename(Folder() + "Call.mp3", Folder() + "CALL.mp3"));
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    ASSERT_EQ(list.GetCount(), 1);
    CRecordingEntry* e = list.GetAt(0);
    EXPECT_EQ(e->m_strName, "CALL");
    EXPECT_EQ(e->GetState(), kStateTagPending);
    EXPECT_TRUE(list.MarkFound("call", false, 5));
    EXPECT_EQ(e->m_dwSize, 5u);
    EXPECT_EQ(list.FindByName("call"), nullptr);

    // Two files that differ only in case are two recordings.
    MakeRecording(Folder(), "call");
    list.Clear();
    ASSERT_TRUE(list.Load(Folder()));
    EXPECT_EQ(NamesOf(list), (QStringList{"CALL", "call"}));
}

TEST_F(Catalogue, RecordThatGrowsOrShrinksNeverOverwritesItsNeighbour)
{
    MakeRecording(Folder(), "A");
    MakeRecording(Folder(), "B");
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    ASSERT_TRUE(list.Sort(kColumnName, true));
    CRecordingEntry* a = list.FindByName("A");
    const std::uint32_t bOffset = list.FindByName("B")->m_dwIndexOffset;
    const QByteArray bRecord = Index().mid(bOffset, CIndexFile::kBaseRecord);

    a->m_strOperator = "Desk 2";
    ASSERT_TRUE(list.UpdateIndexRecord(*a));
    EXPECT_EQ(Index().mid(bOffset, CIndexFile::kBaseRecord), bRecord);
    EXPECT_EQ(a->m_dwIndexOffset, 2u * CIndexFile::kBaseRecord);
    a->m_strOperator.clear();
    ASSERT_TRUE(list.UpdateIndexRecord(*a));
    EXPECT_EQ(Index().mid(bOffset, CIndexFile::kBaseRecord), bRecord);

    list.Clear();
    EXPECT_EQ(LiveRecords().size(), 2);
}

TEST_F(Catalogue, SortKeepsEqualKeysInTheirOrderAndPutsADamagedDateFirst)
{
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    for (int i = 0; i < 6; ++i) {
        auto e = std::make_unique<CRecordingEntry>();
        e->m_strName = QString("bCadEf")[i];
        e->m_dwSize = quint32(i % 2 ? 4000000000u : 7);
        e->m_dtDate = COleDateTime(i == 2 ? std::nan("") : 38000.0 + i);
        list.AddEntry(std::move(e));
    }
    // Unsigned: 4e9 is the largest; equal sizes keep the order they had.
    ASSERT_TRUE(list.Sort(kColumnSize, false));
    EXPECT_EQ(NamesOf(list, false), (QStringList{"C", "d", "f", "b", "a", "E"}));
    // A date that is no number (a damaged index) sorts as the oldest, without upsetting the others.
    ASSERT_TRUE(list.Sort(kColumnDate, true));
    EXPECT_EQ(NamesOf(list, false), (QStringList{"a", "b", "C", "d", "E", "f"}));
}

TEST_F(Catalogue, IndexInUseOrDisabledLeavesTheTagsToList)
{
    MakeRecording(Folder(), "One", "n1");
    CRecordingList list, second;
    ASSERT_TRUE(list.Load(Folder()) && second.Load(Folder()));
    EXPECT_FALSE(second.IsIndexOpen());
    EXPECT_EQ(second.GetCount(), 1);
    list.Clear();
    ASSERT_TRUE(QFile::remove(IndexPath()));
    ASSERT_TRUE(test::WriteSettings({{"DisableIndex", "1"}}));
    ASSERT_TRUE(list.Load(Folder()));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_FALSE(list.IsIndexOpen());
    list.GetAt(0)->m_strNotes = "changed";
    list.GetAt(0)->SetState(kStateTagPending);
    EXPECT_TRUE(list.SavePending());
    list.CreateEntry();
    EXPECT_FALSE(QFile::exists(IndexPath()));
    EXPECT_EQ(TagAsReadElsewhere(Folder() + "One.mp3").filter("COMM"), QStringList{"COMM=changed"});
}

TEST_F(Catalogue, RefreshAndRecreateReadTheTagsAgainAndATagNotWrittenStaysDue)
{
    MakeRecording(Folder(), "Fresh", "from tag");
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    CRecordingEntry* e = list.GetAt(0);
    e->m_strNotes = "only in memory";
    list.RefreshEntry(*e);
    EXPECT_EQ(e->m_strNotes, "from tag");
    EXPECT_TRUE(Index().contains("from tag"));

    WriteBytes(IndexPath().replace("Index.txt", "stray.dtm"), "x");
    WriteBytes(Folder() + "tagTemporary.dtm", "x");
    list.RecreateIndex();
    EXPECT_TRUE(list.IsIndexOpen());
    EXPECT_EQ(Index().size(), CIndexFile::kBaseRecord);
    EXPECT_EQ(list.AddFileEntry(Folder() + "tagTemporary.dtm", Folder()), nullptr);
    EXPECT_EQ(list.AddFileEntry(Folder() + "tmp_nome_reg.dtm", Folder()), nullptr);

    e = list.GetAt(0);
    e->SetState(kStateTagPending);
    QFile::remove(e->FilePath());
    EXPECT_FALSE(list.SavePending());
    EXPECT_EQ(e->GetState(), kStateTagPending);
}

TEST(OleDateTime, CountsSplitsFormatsAndRejects)
{
    // The day count stored in the index files.
    EXPECT_DOUBLE_EQ(COleDateTime(1900, 1, 1, 12, 0, 0).Value(), 2.5);
    const std::tuple<COleDateTime, const char*, QString> cases[] = {  // shown empty: no date at all
        // Rounding of the fraction never yields second 60.
        {COleDateTime(38717.0 + 86399.9999 / 86400.0), "%d/%m/%Y %H:%M:%S", "01/01/2006 00:00:00"},
        // Durations are times of day that wrap at 24 hours.
        {COleDateTime::FromSeconds(25 * 3600 + 5), "%H:%M:%S", "01:00:05"},
        // Values from a damaged index: no date, never a crash.
        {COleDateTime(1e300), "%d/%m/%Y", ""},
        {COleDateTime(std::nan("")), "%H", ""},
    };
    for (const auto& [date, format, shown] : cases)
        EXPECT_EQ(date.Format(format), shown) << format << " of " << date.Value();
    EXPECT_EQ(COleDateTime(-1e300).SecondsOfDay(), 0);
    EXPECT_EQ(COleDateTime::FromSeconds(std::nan("")).SecondsOfDay(), 0);

    // 30 February in a tag is met in the tag repair case (Id3TagTest).
    EXPECT_FALSE(COleDateTime().SetTime(24, 0, 0));
    EXPECT_TRUE(COleDateTime().SetDate(2004, 2, 29));
}

TEST(DefaultNames, SkipExistingFilesAndNeverReuseNumbersInARun)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    for (const char* taken : {"Recording 1.mp3", "Recording 2.mp3", "Joined.mp3"})
        WriteBytes(folder + taken, FakeAudio(10));
    CRecordingList::ResetNameCounterForTesting();
    CRecordingList list;
    ASSERT_TRUE(list.Load(folder));
    EXPECT_EQ(list.CreateEntry()->m_strName, "Recording 3");
    EXPECT_EQ(list.CreateEntry({}, "Desk 2")->m_strName, "Desk 2 - Recording 4");
    // A taken base name takes the run's next number, which is then used up.
    EXPECT_EQ(list.CreateEntry("Joined")->m_strName, "Joined6");
    EXPECT_EQ(list.CreateEntry("Fresh")->m_strName, "Fresh");
    EXPECT_EQ(list.CreateEntry()->m_strName, "Recording 8");
}

// The trash of a home of the test's own, whose data folder does not exist yet.
TEST_F(Catalogue, DeleteToTrashLeavesWhatWasTrashedOrGoneKeepsWhatCouldNotGo)
{
    const QString folder = Folder();
    qputenv("HOME", QFile::encodeName(m_dirs.Path("home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dirs.Path("home/.local/share")));
    const QString cwd = QDir::currentPath();
    QDir().mkpath(m_dirs.Path("cwd"));
    QDir::setCurrent(m_dirs.Path("cwd"));
    for (const char* name : {"Call 1", "Call 2", "Call 3", "Call 7"})
        MakeRecording(folder, name);
    CRecordingList list;
    ASSERT_TRUE(list.Load(folder));
    ASSERT_TRUE(list.IsIndexOpen());

    // An unknown name (names are exact) stops everything before any file moves.
    EXPECT_TRUE(DeleteRecordings(list, {"Call 1", "call 7"}, true).removed.isEmpty());
    EXPECT_EQ(list.GetCount(), 4);

    QFile::remove(folder + "Call 2.mp3");  // removed behind the program's back
    const auto refuseCall3 = [](const QString& path) { return !path.endsWith("Call 3.mp3") && MoveFileToTrash(path); };
    const DeleteOutcome outcome = DeleteRecordings(list, {"Call 1", "Call 2", "Call 3"}, true, refuseCall3);
    EXPECT_EQ(outcome.removed, (QStringList{"Call 1", "Call 2"}));
    EXPECT_EQ(outcome.kept, QStringList{"Call 3"});
    EXPECT_TRUE(QFile::exists(folder + "Call 3.mp3"));
    // Where it came from, so that it can be restored (the trashing itself is met in MainWindowDeleteProtectTest).
    const QByteArray info = ReadBytes(m_dirs.Path("home/.local/share/Trash/info/Call 1.mp3.trashinfo"));
    const qsizetype path = info.indexOf("\nPath=") + 6;
    EXPECT_EQ(QUrl::fromPercentEncoding(info.mid(path, info.indexOf('\n', path) - path)), folder + "Call 1.mp3");
    EXPECT_TRUE(QDir(m_dirs.Path("cwd")).isEmpty()) << "a trash was made in the current directory";
    QDir::setCurrent(cwd);

    // The catalogue-only form touches no file.
    EXPECT_TRUE(DeleteRecordings(list, {"Call 7", "Call 7"}, false).Complete());
    EXPECT_TRUE(QFile::exists(folder + "Call 7.mp3"));

    // The index kept up: a fresh load lists the recording that could not go, and the one whose file stayed.
    list.Clear();
    ASSERT_TRUE(list.Load(folder));
    EXPECT_EQ(NamesOf(list), (QStringList{"Call 3", "Call 7"}));
}

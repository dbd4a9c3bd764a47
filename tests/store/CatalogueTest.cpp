#include "platform/Log.h"
#include "store/RecordingList.h"
#include "support/TestFolders.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <cmath>
#include <cstring>

using namespace sonvelle;
using namespace sonvelle::testing;

namespace {

class Catalogue : public ::testing::Test {
protected:
    QString Folder() const { return m_dirs.WorkDir(); }
    QString IndexPath() const { return Folder() + "Index.txt"; }
    QByteArray Index() const { return ReadBytes(IndexPath()); }

    static QStringList Names(const CRecordingList& list)
    {
        QStringList names;
        for (const auto& e : list.Entries())
            names << e->m_strName;
        return names;
    }
    // Deleted flags of the records, walking them as the reader does.
    static QByteArray DeletedFlags(const QByteArray& index)
    {
        QByteArray flags;
        qsizetype at = 0;
        while (at + 538 <= index.size()) {
            flags += index[at + 260];
            at += index.mid(at + 538, 11) == "<operatore>" ? 809 : 538;
        }
        return flags;
    }

    test::CTestFolders m_dirs;
};

}  // namespace

TEST_F(Catalogue, RecordsAreLaidOutByteForByteAndTextsCutWithoutSplittingACharacter)
{
    MakeRecording(Folder(), "Desk call", "line one\r\nline two", "Desk 2", true);
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    ASSERT_EQ(list.GetCount(), 1);
    const CRecordingEntry& e = *list.GetAt(0);
    EXPECT_EQ(e.m_dtDuration.SecondsOfDay(), 65);
    const char* names[] = {"Whole", "Cut"};
    const QString texts[] = {QString(258, 'n') + "  ", "x" + QString(200, QChar(0xe9))};  // 260 and 401 bytes
    for (int i = 0; i < 2; ++i) {
        auto entry = std::make_unique<CRecordingEntry>();
        entry->m_strName = names[i];
        entry->m_strNotes = texts[i];
        list.AddEntry(std::move(entry));
    }

    const QByteArray index = Index();
    ASSERT_EQ(index.size(), 809 + 2 * 538);
    EXPECT_EQ(index.left(260), QByteArray("Desk call").leftJustified(260, ' '));
    EXPECT_EQ(index[260], '0');
    const double date = qFromLittleEndian<double>(index.constData() + 261);
    EXPECT_DOUBLE_EQ(date, COleDateTime(2006, 12, 5, 10, 11, 12).Value());
    EXPECT_DOUBLE_EQ(qFromLittleEndian<double>(index.constData() + 269), e.m_dtDuration.Value());
    EXPECT_EQ(index[277], '1');
    EXPECT_EQ(index.mid(278, 260), QByteArray("line one\r\nline two").leftJustified(260, ' '));
    EXPECT_EQ(index.mid(538, 11), "<operatore>");
    EXPECT_EQ(index.mid(549, 260), QByteArray("Desk 2") + QByteArray(254, ' '));
    EXPECT_EQ(index.mid(809 + 278, 260), QByteArray(258, 'n') + "  ");
    // 1 + 129 * 2 = 259 bytes fit; the 130th é would be cut in half, so it goes and a blank pads.
    EXPECT_EQ(index.mid(809 + 538 + 278, 260), "x" + QString(129, QChar(0xe9)).toUtf8() + " ");

    CIndexFile reader;
    list.Clear();  // lets go of the index
    ASSERT_TRUE(reader.Open(IndexPath()));
    CRecordingEntry first, whole, cut, none;
    ASSERT_TRUE(reader.ReadRecord(first) && reader.ReadRecord(whole) && reader.ReadRecord(cut));
    EXPECT_EQ(whole.m_strNotes, QString(258, 'n'));
    EXPECT_EQ(cut.m_strNotes, "x" + QString(129, QChar(0xe9)));
    EXPECT_EQ(cut.m_dwIndexOffset, 809u + 538);
    EXPECT_FALSE(reader.ReadRecord(none));
    reader.Close();

    // Read back from the index alone.
    ASSERT_TRUE(list.Load(Folder()));
    const CRecordingEntry& again = *list.FindByName("Desk call");
    EXPECT_EQ(again.m_strNotes, "line one\r\nline two");
    EXPECT_EQ(again.m_strOperator, "Desk 2");
    EXPECT_TRUE(again.m_bProtected);
    EXPECT_DOUBLE_EQ(again.m_dtDate.Value(), date);
    EXPECT_EQ(again.m_dwSize, quint32(QFileInfo(Folder() + "Desk call.mp3").size()));
    EXPECT_EQ(again.m_nIndexState, kIndexValid);
}

TEST_F(Catalogue, PartialLastRecordIsCutAndTheFileListedAgain)
{
    MakeRecording(Folder(), "First");
    MakeRecording(Folder(), "Second");
    {
        CRecordingList list;
        ASSERT_TRUE(list.Load(Folder()));
    }
    QByteArray index = Index();
    ASSERT_EQ(index.size(), 2 * 538);
    const QByteArray lastName = index.mid(538, 260).trimmed();
    ASSERT_TRUE(WriteBytes(IndexPath(), index.left(538 + 300)));

    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    EXPECT_EQ(list.GetCount(), 2);
    index = Index();
    ASSERT_EQ(index.size(), 2 * 538);
    EXPECT_EQ(index.mid(538, 260).trimmed(), lastName);
    EXPECT_EQ(DeletedFlags(index), "00");
    EXPECT_EQ(list.FindByName(QString::fromUtf8(lastName))->m_nIndexState, kIndexAddedByScan);
}

TEST_F(Catalogue, MissingFilesAreMarkedAndMoreThanTenCompact)
{
    for (int i = 0; i < 23; ++i)
        MakeRecording(Folder(), QString("R%1").arg(i, 2, 10, QChar('0')));
    {
        CRecordingList list;
        ASSERT_TRUE(list.Load(Folder()));
        ASSERT_EQ(list.GetCount(), 23);
    }
    for (int i = 0; i < 10; ++i)
        QFile::remove(Folder() + QString("R%1.mp3").arg(i, 2, 10, QChar('0')));
    {
        CRecordingList list;
        ASSERT_TRUE(list.Load(Folder()));
        EXPECT_EQ(list.GetCount(), 13);
        EXPECT_EQ(Index().size(), 23 * 538);
        EXPECT_EQ(DeletedFlags(Index()).count('1'), 10);
    }
    QFile::remove(Folder() + "R10.mp3");
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    EXPECT_EQ(list.GetCount(), 12);
    EXPECT_EQ(Index().size(), 12 * 538);
    EXPECT_EQ(DeletedFlags(Index()), QByteArray(12, '0'));
    // Offsets follow the new file: rewriting the last one in place keeps the length.
    CRecordingEntry* last = list.GetAt(11);
    EXPECT_EQ(last->m_dwIndexOffset, 11u * 538);
    last->m_strNotes = "after compaction";
    ASSERT_TRUE(list.UpdateIndexRecord(*last));
    EXPECT_EQ(Index().size(), 12 * 538);
    EXPECT_EQ(Index().mid(11 * 538 + 278, 16), "after compaction");
}

TEST_F(Catalogue, NameDifferingOnlyInCaseMatchesAndTakesTheFileSpelling)
{
    MakeRecording(Folder(), "Call");
    {
        CRecordingList list;
        ASSERT_TRUE(list.Load(Folder()));
    }
    ASSERT_TRUE(QFile::rename(Folder() + "Call.mp3", Folder() + "CALL.mp3"));
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    ASSERT_EQ(list.GetCount(), 1);
    CRecordingEntry* e = list.GetAt(0);
    EXPECT_EQ(e->m_strName, "CALL");
    EXPECT_TRUE(QFile::exists(e->FilePath()));
    EXPECT_EQ(e->GetState(), kStateTagPending);
    EXPECT_TRUE(list.MarkFound("call", false, 5));
    EXPECT_EQ(e->m_dwSize, 5u);
    EXPECT_EQ(list.FindByName("call"), nullptr);

    // Two files that differ only in case are two recordings.
    MakeRecording(Folder(), "call");
    list.Clear();
    ASSERT_TRUE(list.Load(Folder()));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_NE(list.FindByName("call"), nullptr);
    EXPECT_NE(list.FindByName("CALL"), nullptr);
}

TEST_F(Catalogue, RecordThatGrowsOrShrinksNeverOverwritesItsNeighbour)
{
    MakeRecording(Folder(), "A");
    MakeRecording(Folder(), "B");
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    ASSERT_TRUE(list.Sort(kColumnName, true));
    CRecordingEntry* a = list.FindByName("A");
    CRecordingEntry* b = list.FindByName("B");
    const std::uint32_t bOffset = b->m_dwIndexOffset;
    const QByteArray bRecord = Index().mid(bOffset, 538);

    a->m_strOperator = "Desk 2";
    ASSERT_TRUE(list.UpdateIndexRecord(*a));
    EXPECT_EQ(Index().mid(bOffset, 538), bRecord);
    EXPECT_EQ(a->m_dwIndexOffset, 2u * 538);
    a->m_strOperator.clear();
    ASSERT_TRUE(list.UpdateIndexRecord(*a));
    EXPECT_EQ(Index().mid(bOffset, 538), bRecord);
    EXPECT_EQ(DeletedFlags(Index()).count('0'), 2);

    list.Clear();
    ASSERT_TRUE(list.Load(Folder()));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.FindByName("A")->m_strOperator, "");
}

TEST_F(Catalogue, SortIsStableInEitherDirection)
{
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    const char* names[] = {"b", "C", "a", "d", "E", "f"};
    const bool prot[] = {true, false, true, false, false, true};
    for (int i = 0; i < 6; ++i) {
        auto e = std::make_unique<CRecordingEntry>();
        e->m_strName = names[i];
        e->m_bProtected = prot[i];
        e->m_dwSize = quint32(i % 2 ? 4000000000u : 7);
        e->m_dtDate = COleDateTime(2006, 1, 1 + (i % 3), 0, 0, 0);
        e->m_strNotes = i % 2 ? "Zed" : "abc";
        list.AddEntry(std::move(e));
    }
    // Stable: equal keys keep the order of the sort before.
    const struct {
        decltype(kColumnName) column;
        bool ascending;
        QStringList order;
    } sorts[] = {
        {kColumnProtected, true, {"C", "d", "E", "b", "a", "f"}},
        {kColumnProtected, false, {"b", "a", "f", "C", "d", "E"}},
        {kColumnName, true, {"a", "b", "C", "d", "E", "f"}},
        {kColumnOperator, false, {"f", "E", "d", "C", "b", "a"}},
        {kColumnSize, false, {"f", "d", "C", "E", "b", "a"}},   // unsigned: 4e9 is the largest
        {kColumnNotes, true, {"f", "d", "C", "E", "b", "a"}},   // byte-wise: "Zed" before "abc"
        {kColumnDate, false, {"f", "a", "C", "E", "d", "b"}},
    };
    for (const auto& c : sorts) {
        ASSERT_TRUE(list.Sort(c.column, c.ascending));
        EXPECT_EQ(Names(list), c.order) << int(c.column) << c.ascending;
    }
    // A date that is no number (a damaged index) sorts as the oldest, without upsetting the others.
    list.GetAt(2)->m_dtDate = COleDateTime(std::nan(""));
    ASSERT_TRUE(list.Sort(kColumnDate, true));
    EXPECT_TRUE(std::isnan(list.GetAt(0)->m_dtDate.Value()));
    EXPECT_EQ(list.GetAt(1)->m_dtDate.GetDay(), 1);
    EXPECT_EQ(list.GetAt(5)->m_dtDate.GetDay(), 3);
    EXPECT_TRUE(ReadBytes(LogFilePath()).contains("Tempo Ordinamento = "));
}

TEST_F(Catalogue, IndexInUseOrDisabledLeavesTheTagsToList)
{
    MakeRecording(Folder(), "One", "n1");
    {
        CRecordingList first;
        ASSERT_TRUE(first.Load(Folder()));
        CRecordingList second;
        ASSERT_TRUE(second.Load(Folder()));
        EXPECT_FALSE(second.IsIndexOpen());
        EXPECT_EQ(second.GetCount(), 1);
        EXPECT_FALSE(CRecordingList().Load(Folder() + "no-such-folder"));
    }
    ASSERT_TRUE(QFile::remove(IndexPath()));
    ASSERT_TRUE(test::WriteSettings({{"DisableIndex", "1"}}));
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_FALSE(list.IsIndexOpen());
    EXPECT_FALSE(QFile::exists(IndexPath()));
    list.GetAt(0)->m_strNotes = "changed";
    list.GetAt(0)->SetState(kStateTagPending);
    EXPECT_TRUE(list.SavePending());
    list.CreateEntry();
    EXPECT_FALSE(QFile::exists(IndexPath()));
    const QByteArray log = ReadBytes(LogFilePath());
    EXPECT_TRUE(log.contains("Impossibile aprire/creare il file di indice...\r\n"));
    EXPECT_TRUE(log.contains("Tempo Carica Lista = "));
}

TEST_F(Catalogue, SavePendingWritesDueTagsAndReportsFailures)
{
    for (const char* n : {"P", "Q"})
        MakeRecording(Folder(), n);
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    CRecordingEntry* p = list.FindByName("P");
    CRecordingEntry* q = list.FindByName("Q");
    p->m_strNotes = "note of P";
    p->SetState(kStateTagPending);
    EXPECT_TRUE(list.SavePending());
    EXPECT_EQ(p->GetState(), kStateSaved);

    // A file that vanished keeps its entry due; the call says so.
    q->SetState(kStateTagPending);
    QFile::remove(q->FilePath());
    EXPECT_FALSE(list.SavePending());
    EXPECT_EQ(q->GetState(), kStateTagPending);

    list.Clear();
    ASSERT_TRUE(list.Load(Folder()));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.FindByName("P")->m_strNotes, "note of P");
}

TEST_F(Catalogue, RefreshAndRecreateReadTheTagsAgain)
{
    MakeRecording(Folder(), "Fresh", "from tag");
    CRecordingList list;
    ASSERT_TRUE(list.Load(Folder()));
    CRecordingEntry* e = list.GetAt(0);
    e->m_strNotes = "only in memory";
    list.RefreshEntry(*e);
    EXPECT_EQ(e->m_strNotes, "from tag");
    EXPECT_EQ(Index().mid(278, 8), "from tag");

    WriteBytes(IndexPath().replace("Index.txt", "stray.dtm"), "x");
    WriteBytes(Folder() + "tagTemporary.dtm", "x");
    list.RecreateIndex();
    EXPECT_TRUE(list.IsIndexOpen());
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(Index().size(), 538);
    EXPECT_EQ(list.AddFileEntry(Folder() + "tagTemporary.dtm", Folder()), nullptr);
    EXPECT_EQ(list.AddFileEntry(Folder() + "tmp_nome_reg.dtm", Folder()), nullptr);
}

#include "audio/MpegFrameRun.h"
#include "operations/JoinFiles.h"
#include "operations/JoinInfoPage.h"
#include "operations/JoinOrderPage.h"
#include "operations/JoinSelectPage.h"
#include "platform/Prompt.h"
#include "store/RecordingList.h"
#include "store/RecordingProtection.h"
#include "storeui/KeyWordDialogs.h"
#include "support/SoundFiles.h"
#include "support/TagBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <functional>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

QByteArray FramesOf(const QString& path)
{
    const QByteArray data = ReadBytes(path);
    const MpegFrameRun run = FindMpegFrameRun(data);
    return data.mid(run.begin, run.end - run.begin);
}

// A gap that puts a recording's start on the start of the one before.
constexpr int kSameStart = -100000;

class Join : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid() && m_data.isValid());
        m_folder = m_dir.path() + "/";
        // Joined recordings go to the trash: this test's own.
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
        SetPrompt(&m_prompt);
    }
    void TearDown() override { SetPrompt(nullptr); }

    // An empty work folder for the next case of a table.
    void Reset()
    {
        m_sources.clear();
        m_bytes.clear();
        m_prompt.Clear();
        QDir(m_folder).removeRecursively();
        QDir().mkpath(m_folder);
    }

    // Recordings of 3, 4, 5 ... seconds; each starts `gaps[i]` seconds after the end of the one before.
    void Make(const QStringList& names, const std::vector<int>& gaps = {})
    {
        for (int i = 0; i < names.size(); ++i) {
            ASSERT_FALSE(MakeToneMp3(m_dir.path(), names[i], 3 + i).isEmpty());
            QFile::remove(m_folder + names[i] + ".wav");
        }
        m_catalogue = std::make_unique<CRecordingList>();
        ASSERT_TRUE(m_catalogue->Load(m_folder));
        ASSERT_EQ(m_catalogue->GetCount(), names.size());
        double start = COleDateTime(2026, 3, 2, 9, 0, 0).Value();
        for (int i = 0; i < names.size(); ++i) {
            CRecordingEntry* entry = m_catalogue->FindByName(names[i]);
            const int gap = i > 0 ? gaps[static_cast<size_t>(i - 1)] : kSameStart;
            if (gap != kSameStart)
                start += (Entry(names[i - 1])->m_dtDuration.SecondsOfDay() + gap) / 86400.0;
            entry->m_dtDate = COleDateTime(start);
            m_sources.push_back(entry);
            m_bytes[names[i]] = ReadBytes(entry->FilePath());
        }
    }
    CRecordingEntry* Entry(const QString& name) { return m_catalogue->FindByName(name); }
    JoinContext Context()
    {
        JoinContext context;
        context.catalogue = m_catalogue.get();
        for (const auto& entry : m_catalogue->Entries())
            context.mainRows.push_back(entry.get());
        return context;
    }
    // The first page opened on the main list's selection of A.
    void OpenFirstPage(CJoinSelectPage& page)
    {
        JoinContext context = Context();
        const auto a = std::find(context.mainRows.begin(), context.mainRows.end(), Entry("A"));
        context.mainSelection = {static_cast<int>(a - context.mainRows.begin())};
        page.SetSources(context);
        ASSERT_TRUE(page.OnInitDialog());
    }
    // The join through the last page, as the user names it.
    bool JoinAs(const QString& name)
    {
        std::vector<JoinRow> rows;
        for (const CRecordingEntry* source : m_sources)
            rows.push_back(JoinRowOf(*source));
        CJoinInfoPage page(Context(), rows, QString());
        page.NameEdit()->setText(name);
        return page.OnJoin();
    }
    // The folder's files but the index, sorted by byte order.
    std::string WorkFiles() const
    {
        QStringList files = QDir(m_folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        files.removeAll("Index.txt");
        std::sort(files.begin(), files.end());
        return files.join(' ').toStdString();
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_data;
    QString m_folder;
    CScriptedPrompt m_prompt;
    std::unique_ptr<CRecordingList> m_catalogue;
    std::vector<CRecordingEntry*> m_sources;
    std::map<QString, QByteArray> m_bytes;
};

TEST_F(Join, FirstPageFollowsBackToBackRecordingsOnly)
{
    struct Case {
        std::vector<int> gaps;
        std::vector<std::pair<QString, bool>> rows;  // name and mark, in list order
    } cases[] = {
        {{10, 0}, {{"A", true}, {"B", true}, {"C", true}}},
        // Eleven seconds is a new call: the page falls back to every recording, only the selected one marked.
        {{11, 0}, {{"A", true}, {"B", false}, {"C", false}}},
        {{0, 11}, {{"A", true}, {"B", true}}},
        // A recording that starts with the selected one does not follow it; the next one still may.
        {{kSameStart, 0}, {{"A", true}, {"C", true}}},
    };
    for (const Case& c : cases) {
        Reset();
        Make({"A", "B", "C"}, c.gaps);
        CJoinSelectPage page;
        OpenFirstPage(page);
        std::vector<std::pair<QString, bool>> shown;
        for (const JoinRow& row : page.Rows())
            shown.emplace_back(row.Name(), row.checked);
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, c.rows) << "gaps " << c.gaps[0] << ", " << c.gaps[1];
    }
}

TEST_F(Join, JoinedFileIsTheSourcesFramesBehindOneTag)
{
    Make({"A", "B", "C"}, {0, 0});
    QByteArray frames;
    double seconds = 0;
    for (const CRecordingEntry* source : m_sources) {
        frames += FramesOf(source->FilePath());
        seconds += DecodeMp3(source->FilePath()).Seconds();
    }
    ASSERT_TRUE(JoinAs("Whole call"));
    EXPECT_TRUE(m_prompt.ShownSoFar().empty());
    const QString joined = m_folder + "Whole call.mp3";
    EXPECT_EQ(FramesOf(joined), frames);
    EXPECT_NEAR(DecodeMp3(joined).Seconds(), seconds, 3 * 1152 / 32000.0);
    EXPECT_EQ(WorkFiles(), "Whole call.mp3");
    ASSERT_EQ(m_catalogue->GetCount(), 1);
    EXPECT_EQ(m_catalogue->GetAt(0)->m_strName, "Whole call");

    EXPECT_EQ(Mp3valFindingsBehindTag(joined), QStringList());
}

TEST_F(Join, NewNameClashesAskOnlyAboutOtherRecordingsIgnoringCase)
{
    struct Case {
        QString name;
        bool asked;
        PromptResult answer;
        std::string files;  // afterwards
    } cases[] = {
        {"B", false, PromptResult::Yes, "B.mp3 Other.mp3"},
        {"b", false, PromptResult::Yes, "Other.mp3 b.mp3"},
        {"other", true, PromptResult::No, "A.mp3 B.mp3 Other.mp3"},
        {"other", true, PromptResult::Yes, "other.mp3"},
    };
    for (const Case& c : cases) {
        Reset();
        Make({"A", "B", "Other"}, {0, 0});
        m_sources.pop_back();
        m_prompt.Answer(c.answer);
        const QByteArray frames = FramesOf(m_folder + "A.mp3") + FramesOf(m_folder + "B.mp3");
        EXPECT_EQ(JoinAs(c.name), c.answer == PromptResult::Yes) << c.name.toStdString();
        EXPECT_EQ(m_prompt.ShownSoFar().size(), c.asked ? 1u : 0u) << c.name.toStdString();
        EXPECT_EQ(WorkFiles(), c.files) << c.name.toStdString();
        EXPECT_EQ(m_catalogue->GetCount(), QString::fromStdString(c.files).count(".mp3")) << c.name.toStdString();
        if (c.answer == PromptResult::Yes) {
            EXPECT_EQ(FramesOf(m_folder + c.name + ".mp3"), frames) << "the old recording was kept";
            EXPECT_TRUE(Entry(c.name));
        }
    }
}

TEST_F(Join, OrderPageStartsOldestFirstAndMovesTheSelectedRow)
{
    Make({"A", "B", "C"}, {0, 0});
    CJoinOrderPage page(Context(), {JoinRowOf(*Entry("C")), JoinRowOf(*Entry("A")), JoinRowOf(*Entry("B"))}, QString());
    const auto order = [&page]() {
        QString names;
        for (const JoinRow& row : page.Rows())
            names += row.Name();
        return names.toStdString();
    };
    EXPECT_EQ(order(), "ABC");
    const std::tuple<int, int, const char*> moves[] = {{0, -1, "ABC"}, {0, 1, "BAC"}, {1, 1, "BCA"}, {2, 1, "BCA"}};
    for (const auto& [row, step, after] : moves) {
        page.List()->setCurrentItem(page.List()->topLevelItem(row));
        page.OnMove(step);
        EXPECT_EQ(order(), after) << row << " " << step;
    }
}

TEST_F(Join, ProtectedSourceJoinsAfterItsKeyWord)
{
    Make({"A", "B"}, {0});
    const QByteArray frames = FramesOf(m_folder + "A.mp3") + FramesOf(m_folder + "B.mp3");
    Entry("B")->m_strKeyWord = "secret1";
    ASSERT_TRUE(Protect(*Entry("B")));
    ASSERT_TRUE(m_catalogue->SavePending());
    const QByteArray enciphered = ReadBytes(m_folder + "B.mp3");

    QStringList typed{"secret2", "secret1"};
    SetKeyWordDialogRunner([&typed](QDialog& dialog) {
        auto& keyWord = static_cast<CKeyWordDlg&>(dialog);
        keyWord.KeyWordField()->setText(typed.takeFirst());
        keyWord.OkButton()->click();
        return dialog.result();
    });
    CJoinSelectPage page;
    OpenFirstPage(page);
    QTreeWidgetItem* row = page.List()->findItems("B", Qt::MatchExactly, JOIN_COL_NAME).value(0);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->checkState(JOIN_COL_MARK), Qt::Unchecked);

    // A wrong key word is told and changes nothing; the right one marks the row and removes the protection.
    page.OnRowClicked(row, JOIN_COL_NAME);
    ASSERT_EQ(m_prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(m_prompt.ShownSoFar()[0].text, "Wrong key word.");
    EXPECT_EQ(row->checkState(JOIN_COL_MARK), Qt::Unchecked);
    EXPECT_EQ(ReadBytes(m_folder + "B.mp3"), enciphered);
    page.OnRowClicked(row, JOIN_COL_NAME);
    SetKeyWordDialogRunner(nullptr);
    EXPECT_EQ(row->checkState(JOIN_COL_MARK), Qt::Checked);
    EXPECT_EQ(row->text(JOIN_COL_PROTECTED), "No");

    ASSERT_TRUE(JoinAs("Both"));
    EXPECT_EQ(FramesOf(m_folder + "Both.mp3"), frames);
}

TEST_F(Join, EveryFailureLeavesTheRecordingsAndNoWorkFile)
{
    struct Case {
        const char* fault;
        std::function<void(const QString& folder, CRecordingEntry& second, qint64 firstSize)> make;
    } cases[] = {
        {"source gone", [](const QString& folder, auto&, qint64) { QFile::remove(folder + "B.mp3"); }},
        {"protected source", [](const QString&, CRecordingEntry& second, qint64) { second.m_bProtected = true; }},
        {"work file blocked", [](const QString& folder, auto&, qint64) { QDir(folder).mkdir("Join_Temporary.dtm"); }},
        {"tag cannot be written", [](const QString& folder, auto&, qint64) { QDir(folder).mkdir("tagTemporary.dtm"); }},
        {"name taken outside the list",
         [](const QString& folder, auto&, qint64) { ASSERT_TRUE(WriteBytes(folder + "New.mp3", "mine")); }},
        {"disk full",
         [](const QString&, auto&, qint64 firstSize) {
             const rlimit limit{static_cast<rlim_t>(firstSize + 2000), RLIM_INFINITY};
             setrlimit(RLIMIT_FSIZE, &limit);
         }},
    };
    std::signal(SIGXFSZ, SIG_IGN);
    for (const Case& c : cases) {
        Reset();
        Make({"A", "B"}, {0});
        c.make(m_folder, *Entry("B"), m_bytes["A"].size());
        const std::string faulted = WorkFiles();
        auto entry = std::make_unique<CRecordingEntry>();
        entry->m_strName = "New";
        entry->m_strFolder = m_folder;
        CJoinFiles join(*m_catalogue);
        EXPECT_EQ(join.Join(m_sources, std::move(entry), nullptr), nullptr) << c.fault;
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &unlimited);

        EXPECT_EQ(WorkFiles(), faulted) << c.fault;
        EXPECT_EQ(m_catalogue->GetCount(), 2) << c.fault;
        for (const auto& [name, bytes] : m_bytes)
            if (QFileInfo::exists(m_folder + name + ".mp3")) {
                EXPECT_EQ(ReadBytes(m_folder + name + ".mp3"), bytes) << c.fault << " " << name.toStdString();
            }
    }
}

TEST(JoinRules, TotalsAndTypedNames)
{
    // Integer divisions throughout: the digit after the point runs up to 10.
    const std::pair<qint64, const char*> sizes[] = {{1048575, "1023.10 KB"}, {1048576, "1.0 MB"}, {5368709120LL, "5.0 GB"}};
    for (const auto& [bytes, text] : sizes)
        EXPECT_EQ(FormatJoinSize(bytes), text) << bytes;
    EXPECT_EQ(FormatJoinDuration(25 * 3600 + 61), "01:01:01");
    EXPECT_EQ(DurationTextSeconds("125:07"), 125 * 60 + 7);

    const std::tuple<QString, int, QString> names[] = {
        {"  Call", 10, "Call"}, {"Call ", 10, "Call "}, {"a:b|c?", 10, "abc"}, {"abcdef", 256, "abcd"}};
    for (const auto& [typed, folderLength, kept] : names)
        EXPECT_EQ(JoinNameAfterEdit(typed, folderLength), kept) << typed.toStdString();
    EXPECT_TRUE(IsReservedJoinName("Join_Temporary"));
    EXPECT_FALSE(IsReservedJoinName("Join_Temporary "));
}

}  // namespace

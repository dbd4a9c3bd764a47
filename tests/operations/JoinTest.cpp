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

    // A work folder of just these recordings, of 3, 4, 5 ... s; each starts gaps[i - 1] s after the last one ends.
    void Make(const QStringList& names, const std::vector<int>& gaps)
    {
        m_sources.clear();
        m_prompt.Clear();
        QDir(m_folder).removeRecursively();
        QDir().mkpath(m_folder);
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
        }
    }
    CRecordingEntry* Entry(const QString& name) { return m_catalogue->FindByName(name); }
    // The main list with A selected.
    JoinContext Context()
    {
        JoinContext context;
        context.catalogue = m_catalogue.get();
        for (const auto& entry : m_catalogue->Entries()) {
            if (entry->m_strName == "A")
                context.mainSelection = {static_cast<int>(context.mainRows.size())};
            context.mainRows.push_back(entry.get());
        }
        return context;
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
        Make({"A", "B", "C"}, c.gaps);
        CJoinSelectPage page;
        page.SetSources(Context());
        ASSERT_TRUE(page.OnInitDialog());
        std::vector<std::pair<QString, bool>> shown;
        for (const JoinRow& row : page.Rows())
            shown.emplace_back(row.Name(), row.checked);
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, c.rows) << "gaps " << c.gaps[0] << ", " << c.gaps[1];
    }
}

TEST_F(Join, JoinedFileIsTheSourcesFramesBehindOneTagAndOnlyOtherRecordingsNamedAlikeAreAsked)
{
    struct Case {
        QString name;
        bool asked;
        PromptResult answer;
        std::string files;  // afterwards
    } cases[] = {
        {"Whole call", false, PromptResult::Yes, "Other.mp3 Whole call.mp3"},
        {"b", false, PromptResult::Yes, "Other.mp3 b.mp3"},
        {"other", true, PromptResult::No, "A.mp3 B.mp3 C.mp3 Other.mp3"},
        {"other", true, PromptResult::Yes, "other.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        Make({"A", "B", "C", "Other"}, {0, 0, 0});
        m_sources.pop_back();
        m_prompt.Answer(c.answer);
        QByteArray frames;
        double seconds = 0;
        for (const CRecordingEntry* source : m_sources) {
            frames += FramesOf(source->FilePath());
            seconds += DecodeMp3(source->FilePath()).Seconds();
        }
        EXPECT_EQ(JoinAs(c.name), c.answer == PromptResult::Yes);
        EXPECT_EQ(m_prompt.ShownSoFar().size(), c.asked ? 1u : 0u);
        EXPECT_EQ(WorkFiles(), c.files);
        EXPECT_EQ(m_catalogue->GetCount(), QString::fromStdString(c.files).count(".mp3"));
        if (c.answer == PromptResult::Yes) {
            const QString joined = m_folder + c.name + ".mp3";
            EXPECT_EQ(FramesOf(joined), frames) << "the old recording was kept";
            EXPECT_NEAR(DecodeMp3(joined).Seconds(), seconds, 3 * 1152 / 32000.0);
            EXPECT_EQ(Mp3valFindingsBehindTag(joined), QStringList());
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
    page.SetSources(Context());
    ASSERT_TRUE(page.OnInitDialog());
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
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"source gone", [this] { QFile::remove(m_folder + "B.mp3"); }},
        {"protected source", [this] { Entry("B")->m_bProtected = true; }},
        {"work file blocked", [this] { QDir(m_folder).mkdir("Join_Temporary.dtm"); }},
        {"tag cannot be written", [this] { QDir(m_folder).mkdir("tagTemporary.dtm"); }},
        {"name taken outside the list", [this] { ASSERT_TRUE(WriteBytes(m_folder + "New.mp3", "mine")); }},
        {"disk full",
         [this] {
             const rlimit limit{static_cast<rlim_t>(QFileInfo(m_folder + "A.mp3").size() + 2000), RLIM_INFINITY};
             setrlimit(RLIMIT_FSIZE, &limit);
         }},
    };
    std::signal(SIGXFSZ, SIG_IGN);
    for (const auto& [fault, make] : cases) {
        SCOPED_TRACE(fault);
        Make({"A", "B"}, {0});
        const QByteArray a = ReadBytes(m_folder + "A.mp3"), b = ReadBytes(m_folder + "B.mp3");
        make();
        const std::string faulted = WorkFiles();
        auto entry = std::make_unique<CRecordingEntry>();
        entry->m_strName = "New";
        entry->m_strFolder = m_folder;
        EXPECT_EQ(CJoinFiles(*m_catalogue).Join(m_sources, std::move(entry), nullptr), nullptr);
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &unlimited);

        EXPECT_EQ(WorkFiles(), faulted);
        EXPECT_EQ(m_catalogue->GetCount(), 2);
        EXPECT_EQ(ReadBytes(m_folder + "A.mp3"), a);
        if (QFileInfo::exists(m_folder + "B.mp3")) {
            EXPECT_EQ(ReadBytes(m_folder + "B.mp3"), b);
        }
    }
}

TEST(JoinRules, LongDurationsAndTypedNames)
{
    EXPECT_EQ(DurationTextSeconds("125:07"), 125 * 60 + 7);
    EXPECT_EQ(JoinNameAfterEdit("a:b|c?", 10), "abc");
    EXPECT_EQ(JoinNameAfterEdit("abcdef", 256), "abcd") << "the path grows past 260";
    EXPECT_TRUE(IsReservedJoinName("Join_Temporary"));
}

}  // namespace

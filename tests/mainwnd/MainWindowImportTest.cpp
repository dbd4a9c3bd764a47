// Import through the real window, with a stand-in for the person at the file
// dialog: names that never replace a file, the files refused, the order and
// the selection afterwards, foreign tags whose audio must stay exact, and
// copies that fail without leaving entries behind.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "operations/ImportRecordings.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/Id3Tag.h"
#include "support/SoundFiles.h"
#include "support/TagBytes.h"
#include "WorkFolderFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

using testing::ToneMp3;
using testing::WorkFolder;

class StandInChooser : public IImportFileChooser {
public:
    QStringList ChooseFiles(QWidget* /*owner*/, const QString& title, const QString& startFolder) override
    {
        titles << title;
        startFolders << startFolder;
        return answer;
    }
    QStringList answer, titles, startFolders;
};

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The bytes after the file's tag, as the store locates it.
QByteArray AudioOf(const QString& path)
{
    CId3Tag tag;
    const bool tagged = tag.Open(path) && tag.Read() == 1;
    const qint64 start = tagged ? tag.TagSize() : 0;
    tag.Close();
    return ReadAll(path).mid(start);
}

// A frame of another writer: UTF-16 text with its byte order mark.
QByteArray Utf16Frame(const QByteArray& id, const QString& text, bool comment = false)
{
    QByteArray body(1, '\x01');
    if (comment)
        body += QByteArray("eng\xFF\xFE\0\0", 7);
    body += QByteArray("\xFF\xFE", 2);
    body += QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return test::RawFrame(id, body);
}

class MainWindowImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPrompt(&prompt);
        ASSERT_FALSE(ToneMp3().startsWith("ID3"));
        folder.Add({"Call", COleDateTime(2024, 1, 1, 9, 0, 0), 1});
        folder.Add({"call(1)", COleDateTime(2024, 1, 2, 9, 0, 0), 1});
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = folder.Path();
        dlg->InitialiseWindowOnly();
        dlg->SetImportChooser(&chooser);
    }
    void TearDown() override { SetPrompt(nullptr); }

    QString Source(const QString& name, const QByteArray& bytes, const QString& sub = {})
    {
        const QString dir = sources.path() + "/" + sub;
        QDir().mkpath(dir);
        EXPECT_TRUE(test::WriteBytes(dir + "/" + name, bytes));
        return dir + "/" + name;
    }
    void Import(const QStringList& chosen)
    {
        prompt.Clear();
        chooser.answer = chosen;
        dlg->MenuCommand(ID_FILE_IMPORT)->trigger();
    }
    CRecordingEntry* Entry(const QString& name) { return dlg->CallLog().Catalogue().FindByName(name); }
    QStringList PromptTexts() const
    {
        QStringList texts;
        for (const auto& shown : prompt.ShownSoFar())
            texts << shown.text;
        return texts;
    }

    CScriptedPrompt prompt;
    StandInChooser chooser;
    WorkFolder folder;
    QTemporaryDir sources;
    std::unique_ptr<CMainDlg> dlg;
};

TEST_F(MainWindowImport, FreeNamesRefusedTypesReverseOrderAndTheLastOneSelected)
{
    // A file the list does not show yet is never replaced either.
    const QByteArray strangersBytes = "not ours";
    ASSERT_TRUE(test::WriteBytes(folder.Path() + "Outside.mp3", strangersBytes));
    const QByteArray other = ToneMp3() + QByteArray(417, '\0');
    Import({Source("Call.mp3", ToneMp3()), Source("dup.mp3", ToneMp3(), "one"), Source("dup.mp3", other, "two"),
            Source("a.MP3", ToneMp3()), Source("a.mp3.bak", ToneMp3()), Source("x.snx", ToneMp3()),
            Source("outside.mp3", ToneMp3())});

    EXPECT_EQ(PromptTexts(), QStringList(2, LoadText(IDS_IMPORT_WRONG_TYPE)));
    EXPECT_EQ(chooser.titles, QStringList{LoadText(IDS_IMPORT_TITLE)});
    struct Expected {
        const char* name;
        QByteArray audio;
    };
    // Processed last chosen first: the second "dup" chosen takes the plain name.
    const Expected expected[] = {
        {"Call(2)", ToneMp3()}, {"dup", other}, {"dup(1)", ToneMp3()}, {"a", ToneMp3()}, {"outside(1)", ToneMp3()}};
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        CRecordingEntry* entry = Entry(e.name);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(AudioOf(entry->FilePath()), e.audio);
        EXPECT_EQ(QFile::permissions(entry->FilePath()) & 0x0077, 0) << "owner only";
    }
    EXPECT_EQ(ReadAll(folder.Path() + "Outside.mp3"), strangersBytes);
    EXPECT_EQ(dlg->CallLog().Model().Count(), 7) << "the two recordings and five imported";
    EXPECT_EQ(dlg->CallLog().SelectedName(), QStringLiteral("Call(2)"));
}

TEST_F(MainWindowImport, TaglessAndForeignTagsGetOurTagAndKeepTheirAudio)
{
    const QString byTool = Source("Tool Tagged.mp3", ToneMp3());
    ASSERT_TRUE(test::RunTool("id3v2", {"--id3v2-only", "-t", "Their title", "-c", "their comment", "-y", "2019",
                                        byTool}));
    ASSERT_TRUE(ReadAll(byTool).startsWith("ID3"));
    // Another writer's layout: the size leaves the 10 header bytes out, texts in UTF-16.
    const QByteArray frames = Utf16Frame("TIT2", QStringLiteral("Zürich")) +
                              Utf16Frame("COMM", QStringLiteral("Grüße aus Zürich"), true);
    QByteArray standard = test::TagBytes(frames);
    standard[9] = char(standard[9] - 10);
    struct Case {
        QString source;
        const char* name;
        const char* notes;
    };
    const Case cases[] = {
        {Source("Plain.mp3", ToneMp3()), "Plain", ""},
        {byTool, "Tool Tagged", "their comment"},
        {Source("Utf16 tagged.mp3", standard + ToneMp3()), "Utf16 tagged", "Grüße aus Zürich"},
    };
    QStringList chosen;
    for (const Case& c : cases)
        chosen << c.source;
    Import(chosen);
    EXPECT_TRUE(PromptTexts().isEmpty());

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRecordingEntry* entry = Entry(QString::fromUtf8(c.name));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->m_strNotes, QString::fromUtf8(c.notes));
        EXPECT_NEAR(entry->m_dtDuration.Value() * 86400.0, 1.0, 0.1);
        const QByteArray stored = ReadAll(entry->FilePath());
        EXPECT_EQ(AudioOf(entry->FilePath()), ToneMp3());
        // Our own tag now: its size counts its header, and it names the recording.
        CId3Tag tag;
        ASSERT_TRUE(tag.Open(entry->FilePath()) && tag.Read() == 1);
        EXPECT_EQ(qint64(tag.TagSize()) + ToneMp3().size(), stored.size());
        CId3Frame title;
        EXPECT_TRUE(tag.GetFrame("TIT2", title));
        EXPECT_EQ(title.GetText(), entry->m_strName);
    }
}

TEST_F(MainWindowImport, FailedCopiesAreNamedOnceAndAddNothing)
{
    // A folder named like an MP3 cannot be copied, nor a file gone since it was chosen.
    QDir().mkpath(sources.path() + "/Folder.mp3");
    Import({sources.path() + "/Folder.mp3", Source("Good.mp3", ToneMp3()), sources.path() + "/Gone.mp3"});
    ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(prompt.ShownSoFar()[0].text, FormatText(IDS_IMPORT_NOT_COPIED, QStringLiteral("Gone.mp3\nFolder.mp3")));
    EXPECT_EQ(dlg->CallLog().Model().Count(), 3);
    EXPECT_EQ(dlg->CallLog().SelectedName(), QStringLiteral("Good"));
    EXPECT_EQ(Entry("Gone"), nullptr);
    EXPECT_EQ(Entry("Folder"), nullptr);
    QStringList files = QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden);
    files.removeAll("Index.txt");
    files.sort();
    EXPECT_EQ(files, (QStringList{"Call.mp3", "Good.mp3", "call(1).mp3"})) << "no entry file, no temporary left";
}

TEST_F(MainWindowImport, StartUpRealignmentOpensInTheFallbackFolderOnlyOnce)
{
    const QString fallback = sources.path() + "/Recordings/";
    chooser.answer.clear();  // the user cancels
    dlg->ImportRecordings(fallback);
    Import({});
    EXPECT_EQ(chooser.startFolders, (QStringList{fallback, QString()}));
    EXPECT_EQ(dlg->CallLog().Model().Count(), 2);
}

}  // namespace
}  // namespace sonvelle

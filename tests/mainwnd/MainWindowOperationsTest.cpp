// Find, import and send by e-mail through the real window. Stand-ins only for
// the person at the file dialog and for the user's mail program.

#include "operations/FindDlg.h"
#include "operations/ImportRecordings.h"
#include "resources/StringTable.h"
#include "store/Id3Tag.h"
#include "support/EventWait.h"
#include "support/SoundFiles.h"
#include "support/TagBytes.h"
#include "WorkFolderFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

using testing::ToneMp3;
const QString kNothing = QStringLiteral("<nothing>");

// The audio after the tag, and the notes, as the store reads the file.
std::pair<QByteArray, QString> AudioAndNotes(const QString& path)
{
    CId3Tag tag;
    CId3Frame notes;
    const bool tagged = tag.Open(path) && tag.Read() == 1;
    if (tagged)
        tag.GetFrame("COMM", notes);
    return {test::ReadBytes(path).mid(tagged ? tag.TagSize() : 0), notes.GetText()};
}

class Operations : public testing::WindowFixture, public IImportFileChooser {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        folder.Add({"Zahnarzt", COleDateTime(2024, 1, 1, 17, 30, 0), 1});
        folder.Add({"Budget", COleDateTime(2024, 1, 2, 9, 5, 0), 1, "ask the ÄRZTE first"});
        folder.Add({"Ärzte Termin", COleDateTime(2024, 1, 3, 9, 0, 0), 1});
        OpenWindow();
        dlg->SetImportChooser(this);
    }
    QStringList ChooseFiles(QWidget*, const QString&, const QString&) override { return chosen; }
    QString Source(const QString& name, const QByteArray& bytes)
    {
        const QString path = sources.filePath(QString::number(++sourceCount) + "/" + name);
        QDir().mkpath(QFileInfo(path).path());
        EXPECT_TRUE(test::WriteBytes(path, bytes));
        return path;
    }
    void Import(const QStringList& files)
    {
        prompt.Clear();
        chosen = files;
        dlg->MenuCommand(ID_FILE_IMPORT)->trigger();
    }

    QTemporaryDir sources;
    int sourceCount = 0;
    QStringList chosen;
};

TEST_F(Operations, FindFollowsDisplayOrderNotesCaseAndTheOneTimeWrap)
{
    struct Case {
        int sortColumn;  // -1: newest first, as loaded
        const char* text;
        bool inNotes;
        std::vector<QString> presses;
    };
    const Case cases[] = {
        {-1, "ärz", true, {"Ärzte Termin", "Budget", kNothing, "Ärzte Termin"}},
        {-1, "ärz", false, {"Ärzte Termin", kNothing}},
        // Only a first match on the last row starts the next press at the top.
        {-1, "ZAHN", true, {"Zahnarzt", "Zahnarzt", kNothing, "Zahnarzt"}},
        {COL_DATE, "e", false, {"Budget", "Ärzte Termin", kNothing}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        OpenWindow();
        if (c.sortColumn >= 0)
            dlg->CallLog().OnColumnClick(c.sortColumn);  // oldest first
        dlg->MenuCommand(ID_TOOLS_FIND)->trigger();
        auto* find = dlg->findChild<CFindDlg*>();
        ASSERT_NE(find, nullptr);
        auto* text = qobject_cast<QLineEdit*>(find->Control(CFindDlg::IDC_FIND_TEXT));
        text->setText(QString::fromUtf8(c.text));
        qobject_cast<QCheckBox*>(find->Control(CFindDlg::IDC_FIND_IN_NOTES))->setChecked(c.inNotes);
        std::vector<QString> got;
        for (std::size_t i = 0; i < c.presses.size(); ++i) {
            QTest::mouseClick(find->Control(CFindDlg::IDC_FIND_NEXT), Qt::LeftButton);
            const bool nothing = Shown(true) == QStringList{LoadText(IDS_FIND_NOTHING)};
            got.push_back(nothing ? kNothing : dlg->CallLog().SelectedName());
        }
        EXPECT_EQ(got, c.presses);
        // Cancel only hides: the same window comes back, text selected.
        QTest::mouseClick(find->Control(CFindDlg::IDC_FIND_CANCEL), Qt::LeftButton);
        EXPECT_FALSE(find->isVisible());
        dlg->MenuCommand(ID_TOOLS_FIND)->trigger();
        EXPECT_EQ(dlg->findChildren<CFindDlg*>(), QList<CFindDlg*>{find});
        EXPECT_EQ(text->selectedText(), QString::fromUtf8(c.text));
    }
}

TEST_F(Operations, ImportNeverReplacesAndGoesLastChosenFirst)
{
    folder.Add({"call(1)", COleDateTime(2024, 1, 4, 9, 0, 0), 1});
    dlg->LoadWorkFolder(folder.Path());
    ASSERT_TRUE(test::WriteBytes(folder.Path() + "Outside.mp3", "not listed, not ours"));
    const QByteArray other = ToneMp3() + QByteArray(417, '\0');
    QDir().mkpath(sources.filePath("Folder.mp3"));
    Import({Source("zahnarzt.mp3", ToneMp3()), Source("call(1).mp3", ToneMp3()), Source("dup.mp3", ToneMp3()),
            Source("dup.mp3", other), Source("a.MP3", ToneMp3()), Source("a.mp3.bak", ToneMp3()),
            Source("x.snx", ToneMp3()), Source("outside.mp3", ToneMp3()), sources.filePath("Folder.mp3"),
            sources.filePath("Gone.mp3")});

    EXPECT_EQ(Shown(), (QStringList{LoadText(IDS_IMPORT_WRONG_TYPE), LoadText(IDS_IMPORT_WRONG_TYPE),
                                    FormatText(IDS_IMPORT_NOT_COPIED, QStringLiteral("Gone.mp3\nFolder.mp3"))}));
    const std::pair<const char*, QByteArray> imported[] = {{"zahnarzt(1)", ToneMp3()}, {"call(1)(1)", ToneMp3()},
                                                           {"dup", other},          {"dup(1)", ToneMp3()},
                                                           {"a", ToneMp3()},        {"outside(1)", ToneMp3()}};
    for (const auto& [name, audio] : imported) {
        ASSERT_NE(Entry(name), nullptr) << name;
        EXPECT_EQ(AudioAndNotes(Entry(name)->FilePath()).first, audio) << name;
        EXPECT_EQ(QFile::permissions(Entry(name)->FilePath()) & 0x0077, 0) << name;
    }
    EXPECT_EQ(test::ReadBytes(folder.Path() + "Outside.mp3"), "not listed, not ours");
    EXPECT_EQ(dlg->CallLog().Model().Count(), 10);
    EXPECT_EQ(dlg->CallLog().SelectedName(), QStringLiteral("zahnarzt(1)"));
    EXPECT_FALSE(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden).join('|').contains('.' + QString("mp3.")))
        << "no temporary copy left";
}

// Other writers' layouts are read by the store's own tests; here the import keeps the notes and the audio.
TEST_F(Operations, ImportedForeignTagsBecomeOursAroundTheSameAudio)
{
    const QString byTool = Source("Tool Tagged.mp3", ToneMp3());
    ASSERT_TRUE(test::RunTool("id3v2", {"--id3v2-only", "-t", "Theirs", "-c", "their comment", "-y", "2019", byTool}));
    Import({byTool});
    EXPECT_TRUE(Shown().isEmpty());
    CRecordingEntry* entry = Entry("Tool Tagged");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_strNotes, "their comment");
    EXPECT_NEAR(entry->m_dtDuration.Value() * 86400.0, 1.0, 0.1);
    EXPECT_EQ(AudioAndNotes(entry->FilePath()), std::make_pair(ToneMp3(), QStringLiteral("their comment")));
}

TEST_F(Operations, SendHandsPrivateLastingCopiesToTheMailProgram)
{
    // The stand-in mail program writes its arguments, NUL-separated, to one file per call.
    QTemporaryDir bin;
    const QByteArray dir = QFile::encodeName(bin.path());
    ASSERT_TRUE(test::WriteBytes(bin.filePath("xdg-email"),
        "#!/bin/sh\nread code < " + dir + "/exit\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > " + dir +
            "/part.$$\nmv " + dir + "/part.$$ " + dir + "/call.$$\nexit $code\n"));
    QFile::setPermissions(bin.filePath("xdg-email"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir + ":" + path);
    auto send = [&](const QString& name, PromptResult answer, const char* exitCode) {
        test::WriteBytes(bin.filePath("exit"), QByteArray(exitCode) + "\n");
        prompt.Clear();
        prompt.Answer(answer);
        dlg->CallLog().SelectRow(dlg->CallLog().Model().FindByNameIgnoringCase(name));
        dlg->MenuCommand(ID_TOOLS_SEND)->trigger();
        QStringList args;
        test::WaitUntil([&] {
            for (const QFileInfo& call : QDir(bin.path()).entryInfoList({"call.*"})) {
                args = QString::fromUtf8(test::ReadBytes(call.filePath())).split(QChar(0), Qt::SkipEmptyParts);
                QFile::remove(call.filePath());
            }
            return !args.isEmpty() || !Shown().filter(LoadText(IDS_MAIL_FAILED)).isEmpty();
        }, std::chrono::seconds(5));
        return args;
    };
    const QByteArray budgetFile = test::ReadBytes(Entry("Budget")->FilePath());
    Entry("Budget")->m_strNotes = QStringLiteral("edited, unsaved");  // the body tells these, the copy the file's
    const QString budgetBody = FormatText(IDS_MAIL_BODY, "Budget", "02/01/2024", "09:05");
    struct Case {
        const char* name;
        PromptResult answer;
        bool asked;  // only about a recording with notes
        QString body, notesInCopy;
    };
    const Case cases[] = {
        {"Budget", PromptResult::Yes, true, budgetBody + "Notes: edited, unsaved", "ask the ÄRZTE first"},
        {"Budget", PromptResult::No, true, budgetBody, ""},
        {"Zahnarzt", PromptResult::Yes, false, FormatText(IDS_MAIL_BODY, "Zahnarzt", "01/01/2024", "17:30"), ""},
    };
    QStringList copies;
    for (const Case& c : cases) {
        const QStringList args = send(c.name, c.answer, "0");
        EXPECT_EQ(Shown(), c.asked ? QStringList{LoadText(IDS_MAIL_ATTACH_NOTES)} : QStringList{}) << c.name;
        ASSERT_EQ(args.size(), 6) << c.name;
        EXPECT_EQ(args.mid(0, 5), (QStringList{"--subject", FormatText(IDS_MAIL_SUBJECT, c.name), "--body", c.body,
                                               "--attach"}));
        EXPECT_EQ(QFileInfo(args[5]).fileName(), QString(c.name) + ".mp3");
        EXPECT_EQ(AudioAndNotes(args[5]), std::make_pair(ToneMp3(), c.notesInCopy));
        EXPECT_EQ((QFile::permissions(args[5]) | QFile::permissions(QFileInfo(args[5]).path())) & 0x0077, 0);
        copies << args[5];
    }
    EXPECT_EQ(test::ReadBytes(Entry("Budget")->FilePath()), budgetFile);
    for (const QString& copy : copies)
        EXPECT_TRUE(QFile::exists(copy)) << "each send its own copy, kept while the mail program may read it";

    // Every failure is text 97; a recording in use is refused before anything is copied.
    EXPECT_EQ(send("Zahnarzt", PromptResult::Yes, "3").size(), 6);
    EXPECT_TRUE(test::WaitUntil([&] { return Shown() == QStringList{LoadText(IDS_MAIL_FAILED)}; }));
    qputenv("PATH", QFile::encodeName(sources.filePath("nothing")));
    EXPECT_TRUE(send("Zahnarzt", PromptResult::Yes, "0").isEmpty());
    EXPECT_EQ(Shown(), QStringList{LoadText(IDS_MAIL_FAILED)});
    qputenv("PATH", path);
    Entry("Zahnarzt")->SetState(kStateRecording);
    dlg->MenuCommand(ID_TOOLS_SEND)->trigger();
    EXPECT_EQ(prompt.ShownSoFar().back().text, LoadText(IDS_IN_USE_SEND));

    dlg.reset();
    for (const QString& copy : copies)
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(copy).path())) << "gone when the program ends";
}

}  // namespace
}  // namespace sonvelle

// Send by e-mail through the real window, with a stand-in for the user's mail
// program on the PATH that records what it was given: the texts, the notes
// question, attachments that stay private and distinct until the window
// ends, and every failure told the same way.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "operations/MailSender.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/Id3Tag.h"
#include "support/EventWait.h"
#include "support/TagBytes.h"
#include "WorkFolderFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

using testing::WorkFolder;

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString NotesInFile(const QString& path)
{
    CId3Tag tag;
    CId3Frame notes;
    if (tag.Open(path) && tag.Read() == 1)
        tag.GetFrame("COMM", notes);
    return notes.GetText();
}

class MainWindowMail : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPrompt(&prompt);
        savedPath = qgetenv("PATH");
        // The stand-in writes its arguments, NUL-separated, to one file per call.
        const QString script = bin.path() + "/xdg-email";
        const QByteArray dir = QFile::encodeName(bin.path());
        ASSERT_TRUE(test::WriteBytes(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"" + dir +
                                                 "/part.$$\"\nmv \"" + dir + "/part.$$\" \"" + dir + "/call.$$\"\nread code < \"" +
                                                 dir + "/exit\"\nexit \"$code\"\n"));
        QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        ExitWith(0);
        qputenv("PATH", QFile::encodeName(bin.path()) + ":" + savedPath);

        folder.Add({"Budget", COleDateTime(2024, 1, 2, 9, 5, 0), 1, "ask first"});
        folder.Add({"Plain", COleDateTime(2024, 1, 1, 17, 30, 0), 1});
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = folder.Path();
        dlg->InitialiseWindowOnly();
    }
    void TearDown() override
    {
        qputenv("PATH", savedPath);
        SetPrompt(nullptr);
    }

    void ExitWith(int code) { ASSERT_TRUE(test::WriteBytes(bin.path() + "/exit", QByteArray::number(code) + "\n")); }
    // The calls made since the last look, each as its arguments.
    QList<QStringList> TakeCalls() const
    {
        QList<QStringList> calls;
        for (const QFileInfo& file : QDir(bin.path()).entryInfoList({"call.*"}, QDir::Files)) {
            QStringList args;
            for (const QByteArray& arg : ReadAll(file.filePath()).split('\0'))
                args << QString::fromUtf8(arg);
            args.removeLast();
            calls << args;
            QFile::remove(file.filePath());
        }
        return calls;
    }
    // Sends the selected recording; the mail program's arguments, none when it was not called.
    QStringList Send(const QString& name, PromptResult answer = PromptResult::Yes)
    {
        prompt.Clear();
        prompt.Answer(answer);
        dlg->CallLog().SelectRow(dlg->CallLog().Model().FindByNameIgnoringCase(name));
        dlg->MenuCommand(ID_TOOLS_SEND)->trigger();
        if (!prompt.ShownSoFar().empty() && prompt.ShownSoFar().back().text != LoadText(IDS_MAIL_ATTACH_NOTES))
            return {};
        QStringList args;
        EXPECT_TRUE(test::WaitUntil([&] {
            const QList<QStringList> calls = TakeCalls();
            if (!calls.isEmpty())
                args = calls.first();
            return !calls.isEmpty();
        })) << name.toStdString();
        return args;
    }
    QStringList PromptTexts() const
    {
        QStringList texts;
        for (const auto& shown : prompt.ShownSoFar())
            texts << shown.text;
        return texts;
    }
    static QString Body(const char* name, const char* date, const char* time)
    {
        return FormatText(IDS_MAIL_BODY, QString::fromUtf8(name), QString::fromUtf8(date), QString::fromUtf8(time));
    }

    QByteArray savedPath;
    QTemporaryDir bin;
    CScriptedPrompt prompt;
    WorkFolder folder;
    std::unique_ptr<CMainDlg> dlg;
};

TEST_F(MainWindowMail, TextsNotesQuestionAndPrivateAttachmentsThatStayUntilTheEnd)
{
    const QString budgetFile = folder.Path() + "Budget.mp3";
    const QByteArray budgetBefore = ReadAll(budgetFile);
    // Unsaved notes in the window: the body tells them, the attachment keeps the file's.
    dlg->CallLog().Catalogue().FindByName("Budget")->m_strNotes = QStringLiteral("edited");

    struct Case {
        const char* name;
        PromptResult answer;
        bool asked;
        QString body;
        const char* notesInAttachment;
    };
    const Case cases[] = {
        {"Budget", PromptResult::Yes, true, Body("Budget", "02/01/2024", "09:05") + "Notes: edited", "ask first"},
        {"Budget", PromptResult::No, true, Body("Budget", "02/01/2024", "09:05"), ""},
        {"Plain", PromptResult::Yes, false, Body("Plain", "01/01/2024", "17:30"), ""},
    };
    QStringList attachments;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList args = Send(QString::fromUtf8(c.name), c.answer);
        EXPECT_EQ(PromptTexts(), c.asked ? QStringList{LoadText(IDS_MAIL_ATTACH_NOTES)} : QStringList());
        ASSERT_EQ(args.size(), 6);
        EXPECT_EQ(args.mid(0, 5), (QStringList{"--subject", "Fw: recording '" + QString::fromUtf8(c.name) + "'",
                                               "--body", c.body, "--attach"}));
        const QFileInfo attachment(args[5]);
        EXPECT_EQ(attachment.fileName(), QString::fromUtf8(c.name) + ".mp3");
        EXPECT_EQ(NotesInFile(attachment.filePath()), QString::fromUtf8(c.notesInAttachment));
        EXPECT_EQ(QFile::permissions(attachment.filePath()) & 0x0077, 0);
        EXPECT_EQ(QFile::permissions(attachment.path()) & 0x0077, 0);
        attachments << attachment.filePath();
    }
    EXPECT_EQ(ReadAll(budgetFile), budgetBefore) << "the recording itself is never changed";
    // Every send has its own copy, and each stays while the mail program may read it.
    EXPECT_EQ(QSet<QString>(attachments.begin(), attachments.end()).size(), 3);
    for (const QString& path : attachments)
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    EXPECT_FALSE(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden).join(' ').contains("tmp"));

    dlg.reset();
    for (const QString& path : attachments)
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(path).path())) << "gone when the program ends";
}

TEST_F(MainWindowMail, EveryFailureIsToldOnceAndARecordingInUseIsRefused)
{
    ExitWith(3);
    Send("Plain");
    EXPECT_TRUE(test::WaitUntil([&] { return PromptTexts().contains(LoadText(IDS_MAIL_FAILED)); }));
    EXPECT_EQ(prompt.ShownSoFar().back().icon, PromptIcon::Exclamation);

    qputenv("PATH", QFile::encodeName(QDir::tempPath() + "/no-such-folder"));
    Send("Plain");
    EXPECT_EQ(PromptTexts(), QStringList{LoadText(IDS_MAIL_FAILED)}) << "no mail program";
    qputenv("PATH", QFile::encodeName(bin.path()) + ":" + savedPath);

    dlg->CallLog().Catalogue().FindByName("Plain")->SetState(kStateRecording);
    Send("Plain");
    ASSERT_EQ(PromptTexts(), QStringList{LoadText(IDS_IN_USE_SEND)});
    EXPECT_EQ(prompt.ShownSoFar().back().icon, PromptIcon::Stop);
    EXPECT_TRUE(TakeCalls().isEmpty());
}

}  // namespace
}  // namespace sonvelle

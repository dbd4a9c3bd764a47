// Help and the maker's page reach the desktop's handlers (stood in for here)
// with the right address, from the button and from both menu commands; a
// missing guide is told, never opened.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace sonvelle {
namespace {

// What the desktop was asked to open.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

class HelpCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousFolder = ProgramFolder();
        SetProgramFolderForTesting(m_program.path());
        SetPrompt(&prompt);
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktop, "Open");
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = m_work.path() + '/';
        dlg->InitialiseWindowOnly();
    }
    void TearDown() override
    {
        dlg.reset();
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        SetPrompt(nullptr);
        SetProgramFolderForTesting(m_previousFolder);
    }
    QString Program(const QString& name) const { return m_program.filePath(name); }
    void Run(const std::function<void()>& command)
    {
        desktop.opened.clear();
        prompt.Clear();
        command();
        QApplication::processEvents();
    }
    void Menu(int id) { Run([&] { dlg->MenuCommand(id)->trigger(); }); }
    void Button(int id) { Run([&] { qobject_cast<QAbstractButton*>(dlg->Control(id))->click(); }); }

    CUrlRecorder desktop;
    CScriptedPrompt prompt;
    std::unique_ptr<CMainDlg> dlg;

private:
    QTemporaryDir m_program;
    QTemporaryDir m_work;
    QString m_previousFolder;
};

TEST_F(HelpCommands, GuideOpensWhenPresentAndIsToldMissingOtherwise)
{
    // No guide; then a folder where the page should be; then the page.
    Button(IDC_HELP);
    ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(prompt.ShownSoFar()[0].text, LoadText(IDS_HELP_MISSING));
    EXPECT_EQ(prompt.ShownSoFar()[0].icon, PromptIcon::Stop);
    EXPECT_EQ(prompt.ShownSoFar()[0].caption, LoadText(IDS_APP_NAME));
    EXPECT_TRUE(desktop.opened.isEmpty());

    ASSERT_TRUE(QDir().mkpath(Program("html/Start.htm")));
    Menu(ID_HELP_CONTENTS);
    EXPECT_EQ(prompt.ShownSoFar().size(), 1u) << "a folder is not a guide";
    EXPECT_TRUE(desktop.opened.isEmpty());

    ASSERT_TRUE(QDir(Program("html")).rmdir("Start.htm"));
    QFile page(Program("html/Start.htm"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    const std::function<void()> opens[] = {[&] { Button(IDC_HELP); }, [&] { Menu(ID_HELP_CONTENTS); }};
    for (const auto& open : opens) {
        open();
        EXPECT_TRUE(prompt.ShownSoFar().empty());
        ASSERT_EQ(desktop.opened.size(), 1);
        EXPECT_EQ(desktop.opened[0], QUrl::fromLocalFile(Program("html/Start.htm")));
    }
}

TEST_F(HelpCommands, OnlinePageOpensTheMakersAddress)
{
    Menu(ID_HELP_ONLINE);
    EXPECT_TRUE(prompt.ShownSoFar().empty());
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened[0], QUrl(LoadText(IDS_ONLINE_URL)));
    EXPECT_EQ(desktop.opened[0].scheme(), "https");
    EXPECT_TRUE(QFile::exists(Program("Orsolan.htm")));
}

}  // namespace
}  // namespace sonvelle

#include "HelpCommandTest.moc"

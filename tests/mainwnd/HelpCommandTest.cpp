// Help and the maker's page reach the desktop's handlers (stood in for here)
// from the button and the menu; a missing guide is told, never opened.

#include "platform/ProgramFolder.h"
#include "resources/StringTable.h"
#include "support/TagBytes.h"
#include "WorkFolderFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

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

class HelpCommands : public testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        m_previousFolder = ProgramFolder();
        SetProgramFolderForTesting(m_program.path());
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktop, "Open");
        OpenWindow();
    }
    void TearDown() override
    {
        WindowFixture::TearDown();
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        SetProgramFolderForTesting(m_previousFolder);
    }
    QString Program(const QString& name) const { return m_program.filePath(name); }
    // What the command showed and what it opened.
    std::pair<QStringList, QList<QUrl>> Run(const std::function<void()>& command)
    {
        desktop.opened.clear();
        prompt.Clear();
        command();
        QApplication::processEvents();
        return {Shown(), desktop.opened};
    }
    std::pair<QStringList, QList<QUrl>> Menu(int id) { return Run([&] { dlg->MenuCommand(id)->trigger(); }); }
    std::pair<QStringList, QList<QUrl>> Button(int id)
    {
        return Run([&] { qobject_cast<QAbstractButton*>(dlg->Control(id))->click(); });
    }

    CUrlRecorder desktop;

private:
    QTemporaryDir m_program;
    QString m_previousFolder;
};

TEST_F(HelpCommands, GuideOpensWhenPresentAndIsToldMissingOtherwise)
{
    const std::pair<QStringList, QList<QUrl>> missing{{LoadText(IDS_HELP_MISSING)}, {}};
    EXPECT_EQ(Button(IDC_HELP), missing);
    ASSERT_TRUE(QDir().mkpath(Program("html/Start.htm")));
    EXPECT_EQ(Menu(ID_HELP_CONTENTS), missing) << "a folder is not a guide";

    ASSERT_TRUE(QDir(Program("html")).rmdir("Start.htm"));
    ASSERT_TRUE(test::WriteBytes(Program("html/Start.htm"), {}));
    const std::pair<QStringList, QList<QUrl>> opened{{}, {QUrl::fromLocalFile(Program("html/Start.htm"))}};
    EXPECT_EQ(Button(IDC_HELP), opened);
    EXPECT_EQ(Menu(ID_HELP_CONTENTS), opened);
}

TEST_F(HelpCommands, OnlinePageOpensTheMakersAddress)
{
    EXPECT_EQ(Menu(ID_HELP_ONLINE), (std::pair<QStringList, QList<QUrl>>{{}, {QUrl(LoadText(IDS_ONLINE_URL))}}));
    EXPECT_TRUE(QFile::exists(Program("Orsolan.htm")));
}

}  // namespace
}  // namespace sonvelle

#include "HelpCommandTest.moc"

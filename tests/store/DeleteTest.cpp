#include "store/RecordingDeleter.h"
#include "store/RecordingList.h"
#include "support/TestFolders.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

#include <QUrl>

#include <cstdlib>

using namespace sonvelle;
using namespace sonvelle::testing;

namespace {

// The desktop trash of a home of the test's own, never the real one.
class DeleteToTrash : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(m_dirs.Path("home/.local/share")));
        for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
            const char* old = std::getenv(name);
            m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("HOME", m_dirs.Path("home").toUtf8().constData(), 1);
        setenv("XDG_DATA_HOME", m_dirs.Path("home/.local/share").toUtf8().constData(), 1);
        for (const char* name : {"Call 1", "Call 2", "Call 3", "Call 7"})
            MakeRecording(Folder(), name);
        ASSERT_TRUE(m_list.Load(Folder()));
        ASSERT_TRUE(m_list.IsIndexOpen());
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                setenv(name, value->c_str(), 1);
            else
                unsetenv(name);
        }
    }
    QString Folder() const { return m_dirs.WorkDir(); }
    QString Trash() const { return m_dirs.Path("home/.local/share/Trash/"); }
    QStringList Names() const
    {
        QStringList names;
        for (const auto& e : m_list.Entries())
            names << e->m_strName;
        names.sort();
        return names;
    }
    // The names whose index records are not marked deleted.
    QStringList IndexedNames() const
    {
        const QByteArray index = ReadBytes(Folder() + "Index.txt");
        QStringList names;
        for (qsizetype at = 0; at + 538 <= index.size(); at += index.mid(at + 538, 11) == "<operatore>" ? 809 : 538) {
            if (index[at + 260] == '0')
                names << QString::fromUtf8(index.mid(at, 260)).trimmed().remove(QChar(0));
        }
        names.sort();
        return names;
    }
    QString TrashedFrom(const QString& fileName) const
    {
        const QByteArray raw = ReadBytes(Trash() + "info/" + fileName + ".trashinfo");
        const qsizetype at = raw.indexOf("Path=");
        return at < 0 ? QString() : QUrl::fromPercentEncoding(raw.mid(at + 5, raw.indexOf('\n', at) - at - 5));
    }

    test::CTestFolders m_dirs;
    CRecordingList m_list;
    std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

}  // namespace

TEST_F(DeleteToTrash, TrashedFilesCanBeRestoredAndWhatCouldNotGoStaysListed)
{
    QFile::remove(Folder() + "Call 2.mp3");  // removed behind the program's back
    const auto refuseCall3 = [](const QString& path) { return !path.endsWith("Call 3.mp3") && MoveFileToTrash(path); };
    const DeleteOutcome outcome = DeleteRecordings(m_list, {"Call 1", "Call 2", "Call 3"}, true, refuseCall3);

    EXPECT_EQ(outcome.removed, (QStringList{"Call 1", "Call 2"}));
    EXPECT_EQ(outcome.kept, QStringList{"Call 3"});
    EXPECT_FALSE(outcome.Complete());
    EXPECT_EQ(Names(), (QStringList{"Call 3", "Call 7"}));
    EXPECT_EQ(IndexedNames(), (QStringList{"Call 3", "Call 7"}));
    EXPECT_TRUE(QFile::exists(Folder() + "Call 3.mp3"));
    EXPECT_FALSE(QFile::exists(Folder() + "Call 1.mp3"));
    EXPECT_TRUE(QFile::exists(Trash() + "files/Call 1.mp3"));
    EXPECT_EQ(TrashedFrom("Call 1.mp3"), Folder() + "Call 1.mp3");
}

TEST_F(DeleteToTrash, NothingHappensForAnUnknownNameAndTheCatalogueOnlyFormTouchesNoFile)
{
    const DeleteOutcome unknown = DeleteRecordings(m_list, {"Call 1", "Call 9"}, true);
    EXPECT_TRUE(unknown.removed.isEmpty());
    EXPECT_EQ(Names().size(), 4);
    EXPECT_TRUE(QFile::exists(Folder() + "Call 1.mp3"));
    EXPECT_TRUE(DeleteRecordings(m_list, {}, true).removed.isEmpty());
    // Exact names only: "call 1" is not "Call 1".
    EXPECT_TRUE(DeleteRecordings(m_list, {"call 1"}, true).removed.isEmpty());

    const DeleteOutcome dropped = DeleteRecordings(m_list, {"Call 7", "Call 7"}, false);
    EXPECT_TRUE(dropped.Complete());
    EXPECT_EQ(Names(), (QStringList{"Call 1", "Call 2", "Call 3"}));
    EXPECT_TRUE(QFile::exists(Folder() + "Call 7.mp3"));
    EXPECT_FALSE(QDir(Trash()).exists());
}

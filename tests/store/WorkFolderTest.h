#pragma once
// A work folder with a scripted prompt, the catalogue's names, and tags as an independent reader sees them.

#include "platform/Prompt.h"
#include "store/RecordingList.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

namespace sonvelle::testing {

inline QStringList NamesOf(const CRecordingList& list, bool sorted = true)
{
    QStringList names;
    for (const auto& e : list.Entries())
        names << e->m_strName;
    return sorted ? (names.sort(), names) : names;
}

// Every frame as mutagen reads it, "ID=text", without its v2.4 translation.
inline QStringList TagAsReadElsewhere(const QString& path)
{
    return test::ToolOutput("/usr/bin/python3", {"-c",
                                                 "import sys; from mutagen.id3 import ID3\n"
                                                 "for f in ID3(sys.argv[1], translate=False).values():\n"
                                                 "    print(f.FrameID + '=' + str(f))",
                                                 path})
        .split('\n', Qt::SkipEmptyParts);
}

// A work folder, program folder and settings of the test's own, and a scripted prompt while it runs.
class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dirs.IsValid());
        SetPrompt(&m_prompt);
    }
    void TearDown() override { SetPrompt(nullptr); }

    QString PathOf(const QString& fileName) const { return m_folder + fileName; }
    void WriteFile(const QString& name, const QByteArray& bytes) const { ASSERT_TRUE(WriteBytes(PathOf(name), bytes)); }
    QByteArray ReadFile(const QString& fileName) const { return ReadBytes(PathOf(fileName)); }
    QStringList FilesInFolder() const { return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    QStringList ShownTexts() const
    {
        QStringList texts;
        for (const auto& shown : m_prompt.ShownSoFar())
            texts << shown.text;
        return texts;
    }

    test::CTestFolders m_dirs;
    QString m_folder = m_dirs.WorkDir();
    CScriptedPrompt m_prompt;
};

}  // namespace sonvelle::testing

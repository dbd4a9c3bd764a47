#pragma once
// A work folder, program folder and settings of the test's own, and a scripted
// prompt installed for the test's lifetime.

#include "platform/Prompt.h"
#include "support/TestFolders.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

namespace sonvelle::testing {

class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dirs.IsValid());
        SetPrompt(&m_prompt);
    }
    void TearDown() override { SetPrompt(nullptr); }

    QString PathOf(const QString& fileName) const { return m_folder + fileName; }
    void WriteFile(const QString& fileName, const QByteArray& bytes) const
    {
        ASSERT_TRUE(WriteBytes(PathOf(fileName), bytes));
    }
    QByteArray ReadFile(const QString& fileName) const { return ReadBytes(PathOf(fileName)); }
    bool Exists(const QString& fileName) const { return QFile::exists(PathOf(fileName)); }
    QStringList FilesInFolder() const { return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    // Texts shown so far, in order.
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

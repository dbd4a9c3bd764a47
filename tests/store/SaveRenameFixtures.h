#pragma once
// Shared by the save and rename tests: a work folder of real files and a
// scripted prompt installed for the test's lifetime.

#include "platform/Log.h"
#include "platform/Prompt.h"
#include "platform/ProgramFolder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sonvelle::testing {

class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = WithTrailingSlash(m_dir.path() + QStringLiteral("/work"));
        ASSERT_TRUE(QDir().mkpath(m_folder));
        m_programFolder = WithTrailingSlash(m_dir.path() + QStringLiteral("/program"));
        ASSERT_TRUE(QDir().mkpath(m_programFolder));
        SetProgramFolderForTesting(m_programFolder);
        SetPrompt(&m_prompt);
    }

    void TearDown() override
    {
        SetPrompt(nullptr);
        SetProgramFolderForTesting({});
    }

    QString PathOf(const QString& fileName) const { return m_folder + fileName; }

    void WriteFile(const QString& fileName, const QByteArray& bytes) const
    {
        QFile file(PathOf(fileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray ReadFile(const QString& fileName) const
    {
        QFile file(PathOf(fileName));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    bool Exists(const QString& fileName) const { return QFile::exists(PathOf(fileName)); }

    QStringList FilesInFolder() const
    {
        return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QString LogText() const
    {
        QFile log(LogFilePath());
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    // Texts shown so far, in order.
    QStringList ShownTexts() const
    {
        QStringList texts;
        for (const auto& shown : m_prompt.ShownSoFar())
            texts << shown.text;
        return texts;
    }

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_programFolder;
    CScriptedPrompt m_prompt;
};

}  // namespace sonvelle::testing

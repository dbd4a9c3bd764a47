#pragma once
// Each test gets its own configuration folders and program folder.

#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace sonvelle {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* sub : {"user", "machine", "program"})
            QDir(m_dir.path()).mkpath(sub);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path("user")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(Path("machine")));
        SetProgramFolderForTesting(Path("program"));
        SetPrompt(&m_prompt);
    }
    void TearDown() override
    {
        SetPrompt(nullptr);
        SetProgramFolderForTesting({});
    }

    QString Path(const QString& sub) const { return m_dir.path() + "/" + sub; }
    QString ProgramDir() const { return Path("program") + "/"; }

    QStringList LogLines() const
    {
        QFile f(Path("program/SN.log"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QString text = QString::fromUtf8(f.readAll());
        if (text.endsWith("\r\n"))
            text.chop(2);
        return text.isEmpty() ? QStringList{} : text.split("\r\n");
    }

    QTemporaryDir m_dir;
    CScriptedPrompt m_prompt;
};

}  // namespace sonvelle

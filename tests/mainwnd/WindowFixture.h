#pragma once
// The real main window over a work folder of its own, its message boxes recorded.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "platform/Prompt.h"
#include "WorkFolderFixture.h"

#include <functional>
#include <memory>

namespace sonvelle::testing {

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override { SetPrompt(&prompt); }
    void TearDown() override
    {
        dlg.reset();
        SetPrompt(nullptr);
    }
    // `adjust` sees the settings before the window reads them.
    void OpenWindow(const std::function<void(CAppSettings&)>& adjust = {})
    {
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = folder.Path();
        if (adjust)
            adjust(dlg->AppSettings());
        dlg->InitialiseWindowOnly();
    }
    QStringList Shown() const
    {
        QStringList texts;
        for (const auto& shown : prompt.ShownSoFar())
            texts << shown.text;
        return texts;
    }
    QStringList TakeShown()
    {
        const QStringList texts = Shown();
        prompt.Clear();
        return texts;
    }
    QStringList Names() const
    {
        QStringList names;
        for (int row = 0; row < dlg->CallLog().Model().Count(); ++row)
            names << dlg->CallLog().Model().Row(row).text[COL_NAME];
        return names;
    }
    CRecordingEntry* Entry(const QString& name) const { return dlg->CallLog().Catalogue().FindByName(name); }

    WorkFolder folder;
    CScriptedPrompt prompt;
    std::unique_ptr<CMainDlg> dlg;
};

}  // namespace sonvelle::testing

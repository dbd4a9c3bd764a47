#pragma once
// The prompt service of the running program: a modal QMessageBox with the
// caption, text and icon given.

#include "platform/Prompt.h"

namespace sonvelle {

class CMessageBoxPrompt : public IPrompt {
public:
    PromptResult Show(const QString& text, const QString& caption, PromptIcon icon, PromptButtons buttons) override;
};

}  // namespace sonvelle

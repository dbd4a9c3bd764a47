#pragma once
// Message boxes. The application shows them with QMessageBox; tests install a
// scripted double that records every text, caption and icon and answers.

#include <QString>

#include <deque>
#include <vector>

namespace sonvelle {

enum class PromptIcon { None, Stop, Exclamation, Question, Information };
enum class PromptButtons { Ok, YesNo, YesNoCancel, OkCancel };
enum class PromptResult { Ok, Cancel, Yes, No };

class IPrompt {
public:
    virtual ~IPrompt() = default;
    virtual PromptResult Show(const QString& text, const QString& caption, PromptIcon icon,
                              PromptButtons buttons) = 0;
};

// The process-wide prompt service; the caller keeps ownership.
IPrompt& Prompt();
void SetPrompt(IPrompt* prompt);

// Nobody can answer any more (the session is ending): from now on every
// message is logged and answered without a yes, and what would ask the user
// takes its default instead (a recording is stored under its default name).
void SetUnattended(bool nobodyAnswers = true);
bool CanAskUser();

// MessageBox(text, caption, icon) with caption text 233 when none is given.
PromptResult MessageBox(const QString& text, PromptIcon icon, PromptButtons buttons = PromptButtons::Ok,
                        const QString& caption = {});

// The test double: answers from a script (default Ok / Yes) and records what was shown.
class CScriptedPrompt : public IPrompt {
public:
    struct Shown {
        QString text;
        QString caption;
        PromptIcon icon;
        PromptButtons buttons;
    };

    PromptResult Show(const QString& text, const QString& caption, PromptIcon icon,
                      PromptButtons buttons) override;

    void Answer(PromptResult result) { m_answers.push_back(result); }
    const std::vector<Shown>& ShownSoFar() const { return m_shown; }
    void Clear() { m_shown.clear(); m_answers.clear(); }

private:
    std::vector<Shown> m_shown;
    std::deque<PromptResult> m_answers;
};

}  // namespace sonvelle

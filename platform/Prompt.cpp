#include "Prompt.h"

#include "resources/StringTable.h"

#include <QTextStream>

#include <atomic>

namespace sonvelle {

namespace {

// Used until the application installs its own: never says yes on its own.
class CUnattendedPrompt : public IPrompt {
public:
    PromptResult Show(const QString& text, const QString& caption, PromptIcon, PromptButtons buttons) override
    {
        QTextStream(stderr) << caption << ": " << text << '\n';
        switch (buttons) {
        case PromptButtons::Ok: return PromptResult::Ok;
        case PromptButtons::YesNo: return PromptResult::No;
        case PromptButtons::YesNoCancel:
        case PromptButtons::OkCancel: return PromptResult::Cancel;
        }
        return PromptResult::Cancel;
    }
};

CUnattendedPrompt g_unattended;
std::atomic<IPrompt*> g_prompt{nullptr};
std::atomic<bool> g_nobodyAnswers{false};

PromptResult DefaultAnswer(PromptButtons buttons)
{
    return buttons == PromptButtons::YesNo || buttons == PromptButtons::YesNoCancel ? PromptResult::Yes
                                                                                     : PromptResult::Ok;
}

}  // namespace

IPrompt& Prompt()
{
    IPrompt* prompt = g_nobodyAnswers.load() ? nullptr : g_prompt.load();
    return prompt ? *prompt : g_unattended;
}

void SetUnattended(bool nobodyAnswers)
{
    g_nobodyAnswers.store(nobodyAnswers);
}

bool CanAskUser()
{
    return !g_nobodyAnswers.load();
}

void SetPrompt(IPrompt* prompt)
{
    g_prompt.store(prompt);
}

PromptResult MessageBox(const QString& text, PromptIcon icon, PromptButtons buttons, const QString& caption)
{
    return Prompt().Show(text, caption.isEmpty() ? LoadText(IDS_APP_NAME) : caption, icon, buttons);
}

PromptResult CScriptedPrompt::Show(const QString& text, const QString& caption, PromptIcon icon,
                                   PromptButtons buttons)
{
    m_shown.push_back({text, caption, icon, buttons});
    if (m_answers.empty())
        return DefaultAnswer(buttons);
    const PromptResult answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

}  // namespace sonvelle

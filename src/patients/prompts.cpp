#include "patients/prompts.h"

#include "services/dialogs.h"

namespace tav::patients {

Prompts& prompts()
{
    static Prompts p;
    return p;
}

void say(const QString& text, QWidget* owner)
{
    if (prompts().info)
        prompts().info(text, owner);
    else
        InfoMessage(text, owner);
}

void sayModeless(const QString& text, QWidget* owner)
{
    if (prompts().notice)
        prompts().notice(text, owner);
    else
        InfoMessageModeless(text, owner);
}

bool ask(const QString& question, QWidget* owner, const QString& caption)
{
    if (prompts().ask)
        return prompts().ask(question, owner, caption);
    return YesNoQuestion(question, owner, caption);
}

} // namespace tav::patients

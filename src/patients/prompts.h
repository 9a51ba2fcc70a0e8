#pragma once
// The register's messages and questions go through here, so that tests
// answer them instead of a person.

#include <QString>
#include <functional>

class QWidget;

namespace tav::patients {

struct Prompts {
    // Both empty: the shared information window and question window.
    std::function<void(const QString& text, QWidget* owner)> info;
    // The modeless information window; empty: the shared one.
    std::function<void(const QString& text, QWidget* owner)> notice;
    std::function<bool(const QString& question, QWidget* owner, const QString& caption)> ask;
};
Prompts& prompts();

void say(const QString& text, QWidget* owner);
// Without blocking: the caller goes on while the message stays up.
void sayModeless(const QString& text, QWidget* owner);
bool ask(const QString& question, QWidget* owner, const QString& caption);

} // namespace tav::patients

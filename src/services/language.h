#pragma once
// Qt's own texts in Bulgarian: the file dialogs, the text boxes' context
// menus, the standard buttons; and the Bulgarian locale for the widgets.

#include <QString>

namespace tav {

// Loads Qt's Bulgarian translation from Qt's translations folder and
// installs it; sets the Bulgarian locale as the default. False when the
// translation file is missing (Qt's texts then stay English).
bool installBulgarian();
// Removes the translation installBulgarian() installed (tests).
void removeBulgarian();

// Qt's Bulgarian translation file (it may be missing).
QString qtTranslationFile();

} // namespace tav

#pragma once

class QCoreApplication;

// Loads Qt's own texts in Simplified Chinese (file dialogs, the text boxes'
// context menus, standard buttons, the command line's usage), so they match the
// rest of the window whatever the system's language; the few texts Qt's
// translation lacks (the file dialog's "Folder") are named here. False when Qt's
// translations are not installed (Debian: qt6-translations-l10n).
bool installQtTranslations(QCoreApplication& app);

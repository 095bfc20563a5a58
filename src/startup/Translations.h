#pragma once

class QCoreApplication;

namespace Commands {

// Every text on screen is German, Qt's own too (a text box's context menu,
// a dialog's standard buttons): loads Qt's German translations, whatever the
// player's locale. Without them installed, Qt's texts stay English.
bool loadTranslations(QCoreApplication& app);

} // namespace Commands

#pragma once

#include <QString>
#include <functional>

namespace AppModul {

inline const QString kNamePromptTitle = QStringLiteral("Neue High Score");
inline const QString kNamePromptText =
    QStringLiteral("Du hast es in die High Score geschafft.\r\nBitte gib Deinen Namen ein...");

// Asks for the player's name; the empty text when the player cancels.
using NamePrompt = std::function<QString()>;

// Replaces the name prompt (tests answer it without a dialog); an empty
// function brings the real dialog back.
void setNamePrompt(NamePrompt prompt);

// Asks through the replacement if one is set, else through the dialog.
QString askPlayerName();

// The real prompt: a modal text box with OK and Abbrechen and an empty field.
QString askNameInDialog();

} // namespace AppModul

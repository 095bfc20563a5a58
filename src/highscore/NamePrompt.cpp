#include "highscore/NamePrompt.h"

#include <QInputDialog>

namespace AppModul {

namespace {
NamePrompt& currentPrompt()
{
    static NamePrompt prompt;
    return prompt;
}
} // namespace

void setNamePrompt(NamePrompt prompt)
{
    currentPrompt() = std::move(prompt);
}

QString askNameInDialog()
{
    // No parent: the toy may go away while the box is open, and the box
    // must stay above the topmost toy window.
    QInputDialog dialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    dialog.setWindowTitle(kNamePromptTitle);
    // A line break on screen, whatever the text's own line ending.
    dialog.setLabelText(
        QString(kNamePromptText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(QString());
    // Every text on screen is German.
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

QString askPlayerName()
{
    const NamePrompt& prompt = currentPrompt();
    return prompt ? prompt() : askNameInDialog();
}

} // namespace AppModul

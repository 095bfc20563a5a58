#include "highscore/NamePrompt.h"

#include "startup/WindowHelpers.h"

#include <QInputDialog>
#include <QLineEdit>

namespace AppModul {

DialogNamePrompt::~DialogNamePrompt()
{
    delete m_dialog.data();
}

void DialogNamePrompt::ask(const QWidget* over, Answer answer)
{
    // No parent: the toy may go away while the box is open, and the box
    // must stay above the topmost toy window.
    auto* dialog = new QInputDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    m_dialog = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(kNamePromptTitle);
    // A line break on screen, whatever the text's own line ending.
    dialog->setLabelText(
        QString(kNamePromptText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setTextValue(QString());
    // Every text on screen is German.
    dialog->setCancelButtonText(QStringLiteral("Abbrechen"));
    // The toy takes no input while the name is asked for.
    dialog->setWindowModality(Qt::ApplicationModal);
    // Placed before it shows: left to itself, a dialog without a parent
    // opens on the monitor under the pointer.
    // Named for a screen reader: the field, besides the buttons' own texts.
    if (auto* field = dialog->findChild<QLineEdit*>())
        field->setAccessibleName(QStringLiteral("Name"));
    dialog->setAccessibleName(kNamePromptTitle);
    dialog->adjustSize();
    Commands::CenterForm(*dialog, over);
    Commands::keepOffTaskbar(*dialog);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog, answer = std::move(answer)](int result) {
                         answer(result == QDialog::Accepted ? dialog->textValue() : QString());
                     });
    dialog->show();
}

} // namespace AppModul

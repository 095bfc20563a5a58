#pragma once

#include <QInputDialog>
#include <QPointer>
#include <QString>
#include <functional>

namespace AppModul {

inline const QString kNamePromptTitle = QStringLiteral("Neue High Score");
inline const QString kNamePromptText =
    QStringLiteral("Du hast es in die High Score geschafft.\r\nBitte gib Deinen Namen ein...");

// Asks the player for a name; tests answer it without a dialog.
class NamePrompt {
  public:
    using Answer = std::function<void(const QString& name)>;
    virtual ~NamePrompt() = default;
    // Returns at once; `answer` gets the name, or the empty text when the
    // player cancels. The prompt stands over `over` (the toy) when given.
    virtual void ask(const QWidget* over, Answer answer) = 0;
};

// The real prompt: a modal text box with OK and Abbrechen and an empty field,
// centred over the monitor the toy stands on, as the other dialogs are.
class DialogNamePrompt final : public NamePrompt {
  public:
    ~DialogNamePrompt() override;
    void ask(const QWidget* over, Answer answer) override;

  private:
    QPointer<QInputDialog> m_dialog;
};

} // namespace AppModul

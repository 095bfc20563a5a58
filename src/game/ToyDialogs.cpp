#include "game/ToyDialogs.h"

#include "highscore/HighScoreTable.h"
#include "highscore/NamePrompt.h"

#include <QApplication>

ToyDialogs::ToyDialogs(OptionsContext options, AppModul::HighScoreTable& table,
                       AppModul::NamePrompt& namePrompt)
    : m_optionsContext(std::move(options)), m_table(table), m_namePrompt(namePrompt)
{
}

void ToyDialogs::placeOver(QWidget& toy)
{
    m_toy = &toy;
}

void ToyDialogs::openOptions(OptionsReplies replies)
{
    OptionsContext context = m_optionsContext;
    context.showTable = std::move(replies.tableChosen);
    context.languageChosen = std::move(replies.languageChosen);
    context.answerTimeChosen = std::move(replies.answerTimeChosen);
    context.leave = std::move(replies.leaveChosen);
    // Over the dialog that is up, else over the toy, which keeps it above
    // the toy and off the taskbar.
    QWidget* owner = QApplication::activeModalWidget();
    auto* dialog =
        new frmAbout(owner ? owner : m_toy.data(), nullptr, std::move(context), m_toy.data());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [closed = std::move(replies.closed)] { closed(); });
    dialog->Form_Load();
    dialog->open();
}

void ToyDialogs::showHighScoreTable(std::function<void()> closed)
{
    m_table.show(m_toy, std::move(closed));
}

void ToyDialogs::askName(std::function<void(const QString&)> entered)
{
    m_namePrompt.ask(m_toy.data(), std::move(entered));
}

void ToyDialogs::endProgram()
{
    frmAbout::endProgram(m_optionsContext);
}

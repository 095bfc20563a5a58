#include "startup/Translations.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTranslator>
#include <gtest/gtest.h>
#include <memory>

namespace {

QStringList menuTexts()
{
    QLineEdit box; // the name prompt's text box
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text().section(u'\t', 0, 0).remove(u'&');
    }
    return texts;
}

// The name prompt's context menu speaks German like the rest of the game,
// whatever the player's locale.
TEST(Translations, QtsOwnTextsAreGerman)
{
    const QStringList english = menuTexts();
    ASSERT_TRUE(english.contains("Undo")) << english.join('|').toStdString();

    ASSERT_TRUE(Commands::loadTranslations(*QCoreApplication::instance()))
        << "Qt's German translations (qt6-translations-l10n) are missing";
    const QStringList german = menuTexts();
    for (const QObject* child : QCoreApplication::instance()->children()) {
        if (auto* translator = qobject_cast<const QTranslator*>(child))
            QCoreApplication::removeTranslator(const_cast<QTranslator*>(translator));
    }

    EXPECT_EQ(german.size(), english.size());
    for (const char* word : {"Rückgängig", "Ausschneiden", "Kopieren", "Einfügen"})
        EXPECT_TRUE(german.contains(QString::fromUtf8(word))) << german.join('|').toStdString();
    for (const QString& text : english)
        EXPECT_FALSE(german.contains(text)) << text.toStdString();
}

} // namespace

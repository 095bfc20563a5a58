#include "DialogHarness.h"

#include "sound/ResWave.h"
#include "sound/SoundOutput.h"
#include "startup/Globals.h"
#include "startup/NumberText.h"

#include <QApplication>
#include <QPointer>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <memory>

QString FakeSettings::read(const Commands::Setting& setting)
{
    const auto it = stored.find(setting.name());
    return it == stored.end() ? setting.defaultText() : it->second;
}

void FakeSettings::write(const Commands::Setting& setting, const QString& value)
{
    writes.emplace_back(setting.name(), value);
    stored[setting.name()] = value;
}

void OptionsDialogTest::SetUp()
{
    main = std::make_unique<QWidget>();
    answerTimer.setInterval(1234);
    Commands::Language = 0;
    Commands::TempDir = temp.path();
    temp.write(Commands::kRhythmFileName, "RIFF");
}

void OptionsDialogTest::TearDown()
{
    Commands::TempDir.clear();
    Commands::Language = 0;
    main.reset();
}

void letSoundsEnd()
{
    for (int turn = 0; turn < 5; ++turn)
        QCoreApplication::processEvents();
}

void OptionsDialogTest::openDialog(const std::function<void(frmAbout&)>& whileOpen)
{
    QPointer<frmAbout> dialog = new frmAbout(main.get(), &answerTimer, context());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->Form_Load();
    dialog->open();
    whileOpen(*dialog);
    letSoundsEnd();
    if (dialog && dialog->isVisible())
        dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString OptionsDialogTest::rhythmFile() const
{
    return temp.file(Commands::kRhythmFileName);
}

QRect scrollBarPart(const QScrollBar& bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar.orientation();
    if (bar.orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, part, &bar);
}

void clickAt(QWidget& widget, QPoint point)
{
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, point);
}

QString sensitivityText(int milliseconds)
{
    return QStringLiteral("Timer-Empfindlichkeit: %1 ms").arg(milliseconds);
}

#include "DialogHarness.h"

#include "sound/ResWave.h"
#include "sound/SoundOutput.h"
#include "startup/Globals.h"
#include "startup/NumberText.h"

#include <QApplication>
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
    Commands::setSettingsAccess(&settings);
    Options::setProgramEnd([this] { ++programEnds; });
    ResWave::setSoundOutput(&sound);
}

void OptionsDialogTest::TearDown()
{
    ResWave::setSoundOutput(nullptr);
    Options::setProgramEnd({});
    Commands::setSettingsAccess(nullptr);
    Commands::TempDir.clear();
    Commands::Language = 0;
    main.reset();
}

void whenDialogOpen(const std::function<void(frmAbout*)>& action)
{
    // Loading the dialog may process events before it shows, so wait for it
    // to be the modal window rather than for the first turn of the loop.
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tries, action] {
        auto* dialog = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 2000)
            return;
        poll->stop();
        poll->deleteLater();
        action(dialog);
    });
    poll->start();
}

void OptionsDialogTest::openDialog(const std::function<void(frmAbout&)>& whileOpen)
{
    bool ran = false;
    whenDialogOpen([&](frmAbout* dialog) {
        ran = true;
        if (!dialog) {
            ADD_FAILURE() << "the options dialog did not become the modal window";
            for (auto* widget : QApplication::topLevelWidgets())
                if (auto* open = qobject_cast<frmAbout*>(widget))
                    open->reject();
            return;
        }
        whileOpen(*dialog);
        if (dialog->isVisible())
            dialog->close();
    });
    frmAbout::showModal(main.get(), &answerTimer);
    EXPECT_TRUE(ran);
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

#include "DialogHarness.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>

namespace {

int countColour(const QImage& image, const QRect& area, QRgb colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return count;
}

// A fixed, captionless dialog without minimise or maximise box.
TEST_F(OptionsDialogTest, DialogFrameIsFixed)
{
    openDialog([](frmAbout& dialog) {
        EXPECT_EQ(dialog.size(), QSize(379, 432));
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
        EXPECT_TRUE(dialog.windowTitle().trimmed().isEmpty());
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(dialog.isModal());
    });
}

// No caption is cut off, even with the widest sensitivity the label shows.
TEST_F(OptionsDialogTest, EveryTextFitsItsControl)
{
    openDialog([](frmAbout& dialog) {
        for (const char* name : {"Command1", "Command2", "Command3"}) {
            auto* button = control<QPushButton>(dialog, name);
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
                << name;
        }
        for (const char* name : {"optLang0", "optLang1"}) {
            auto* option = control<QRadioButton>(dialog, name);
            EXPECT_LE(option->sizeHint().width(), option->width()) << name;
        }
        auto* label3 = control<QLabel>(dialog, "Label3");
        EXPECT_LE(label3->fontMetrics().horizontalAdvance(sensitivityText(3000)), label3->width());
        for (const char* name : {"Label2_0", "Label2_1"}) {
            auto* credit = control<QLabel>(dialog, name);
            EXPECT_LE(credit->fontMetrics().horizontalAdvance(credit->text()), credit->width());
            EXPECT_LE(credit->fontMetrics().height(), credit->height());
        }
        auto* hint = control<QLabel>(dialog, "Label1_0");
        const QRect wrapped = hint->fontMetrics().boundingRect(
            QRect(0, 0, hint->width(), 1000), Qt::TextWordWrap | Qt::AlignHCenter, hint->text());
        EXPECT_LE(wrapped.height(), hint->height());
    });
}

// The credit line reads as dark blue lettering over a black shadow, on the
// dialog's green; with VURUZ_SCREENSHOT_DIR set the dialog is saved there.
TEST_F(OptionsDialogTest, CreditLineIsBlueOverBlackShadowOnGreen)
{
    openDialog([](frmAbout& dialog) {
        const QImage image = dialog.grab().toImage();
        if (const QString folder = qEnvironmentVariable("VURUZ_SCREENSHOT_DIR"); !folder.isEmpty())
            image.save(QDir(folder).filePath(QStringLiteral("frmAbout.png")));
        const QRect credit(6, 278, 371, 35);
        const int blue = countColour(image, credit, qRgb(0, 0, 192));
        const int black = countColour(image, credit, qRgb(0, 0, 0));
        EXPECT_GT(black, 0);
        EXPECT_GT(blue, black) << "the blue layer lies on top of its shadow";
        EXPECT_EQ(image.pixel(377, 120) & 0xFFFFFF, qRgb(0, 192, 0) & 0xFFFFFF)
            << "the window's own green beside the title picture";
    });
}

} // namespace

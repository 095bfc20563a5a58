#include "Pictures.h"
#include "game/ToyGame.h"
#include "game/frmMain.h"
#include "shape/Transparent.h"
#include "support/CountingDialogs.h"
#include "support/PixelSet.h"
#include "support/RecordingOutput.h"
#include "support/XProbe.h"
#include "ui_StoredShape.h"

#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using namespace TestPictures;

constexpr quint32 kGreyOle = 0x00484848;
constexpr char kToyPicture[] = ":/BITMAP/toy.bmp";

class ShapedWindow : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!XProbe::available())
            GTEST_SKIP() << "needs an X server with the shape extension (xcb platform)";
    }

    // A frameless top-level window with a hidden control where the main
    // window keeps its own.
    static std::unique_ptr<QWidget> makeContainer(Transparent** control)
    {
        auto container = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
        container->setGeometry(40, 40, 300, 200);
        *control = new Transparent(container.get());
        (*control)->setGeometry(296, 56, 41, 41);
        (*control)->hide();
        return container;
    }

    static void showAndWait(QWidget& window)
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Whole device pixels per logical pixel (2 under QT_SCALE_FACTOR=2).
    static int factor(QWidget& window) { return qRound(window.devicePixelRatio()); }

    static PixelSet serverPixels(QWidget& window)
    {
        const auto rects = XProbe::boundingRects(window);
        return rects ? pixelsOf(*rects, window.size() * factor(window)) : PixelSet{};
    }

    // Compares the server's shape with the expected logical pixels, each
    // scaled to its block of device pixels.
    static std::string shapeDifference(QWidget& window, const PixelSet& expected)
    {
        return describeDifference(serverPixels(window),
                                  scaledUp(expected, window.size(), factor(window)),
                                  window.size() * factor(window));
    }

    // The colour the window shows on its logical pixel pos.
    static QRgb shownPixel(QWidget& window, QPoint pos)
    {
        return window.grab().toImage().pixel(pos * factor(window));
    }
};

struct ShapeCase {
    const char* name;
    QImage picture;
    quint32 maskColor;
    QRgb cutColour;
    bool shapeAfterShow;
    bool controlVisible;
};

// The window on the screen is the picture's outline, pixel for pixel: holes
// are holes, lone pixels are window, shades next to the key stay.
TEST_F(ShapedWindow, ServerShapeIsThePicturesOutline)
{
    const std::vector<ShapeCase> cases = {
        {"holes and islands", holesAndIslands(), kGreyOle, kGrey, false, false},
        {"holes and islands, shaped while shown", holesAndIslands(), kGreyOle, kGrey, true, false},
        {"holes and islands, control visible", holesAndIslands(), kGreyOle, kGrey, true, true},
        {"no pixel of the key: full rectangle", holesAndIslands(), 0x00FF00FF, qRgb(255, 0, 255),
         false, false},
        {"colour bytes are blue-green-red", holesAndIslands(qRgb(0x11, 0x22, 0x33)), 0x00332211,
         qRgb(0x11, 0x22, 0x33), true, false},
        {"every pixel is key: nothing left", solid(QSize(30, 20), kGrey), kGreyOle, kGrey, true,
         false},
        {"drawn at twice the size: logical size and pixels", doubled(holesAndIslands()), kGreyOle,
         kGrey, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Transparent* tsp = nullptr;
        auto container = makeContainer(&tsp);
        tsp->setVisible(c.controlVisible);
        if (c.shapeAfterShow)
            showAndWait(*container);
        tsp->setMaskColor(c.maskColor);
        tsp->setMaskPicture(QPixmap::fromImage(c.picture));
        if (!c.shapeAfterShow)
            showAndWait(*container);

        const QSize logical = c.picture.deviceIndependentSize().toSize();
        EXPECT_EQ(container->size(), logical);
        EXPECT_EQ(tsp->geometry(), QRect(QPoint(0, 0), logical));
        EXPECT_EQ(
            shapeDifference(*container, pixelsNotOfColour(c.picture.scaled(logical), c.cutColour)),
            "");
    }
}

// The main window with its real artwork, keyed on the artwork's background:
// at every scale the shape is the toy's outline in logical pixels, and on a
// denser screen the sharp picture fills that shape to the device pixel.
TEST_F(ShapedWindow, MainWindowTakesTheToysOutline)
{
    RecordingOutput silent;
    CountingDialogs none;
    ScoresInMemory scores;
    ToyGame game([] { return 0.0; }, scores);
    frmMain form(game, silent, none);
    form.setWindowFlag(Qt::FramelessWindowHint);
    const QImage toy(kToyPicture);
    const auto* picture = form.findChild<QLabel*>("Picture");
    ASSERT_NE(picture, nullptr);

    form.findChild<Transparent*>("tsp")->setMaskColor(kGreyOle);
    form.findChild<Transparent*>("tsp")->setMaskPicture(picture->pixmap());
    showAndWait(form);

    EXPECT_EQ(form.size(), QSize(549, 550));
    EXPECT_FALSE(form.findChild<Transparent*>("tsp")->isVisible());
    EXPECT_EQ(shapeDifference(form, pixelsNotOfColour(toy, kGrey)), "");

    const QImage shown = picture->pixmap().toImage();
    EXPECT_EQ(shown.devicePixelRatio(), factor(form));
    EXPECT_EQ(shown.size(), toy.size() * factor(form));
    EXPECT_EQ(describeDifference(serverPixels(form), pixelsNotOfColour(shown, kGrey), shown.size()),
              "");
}

// Without a picture a colour is only stored: no resize, no new shape, and the
// control stays where it was.
TEST_F(ShapedWindow, ColourWithoutPictureChangesNothing)
{
    for (const quint32 colour : {kGreyOle, Transparent::kDefaultMaskColor, quint32(0x80000005)}) {
        SCOPED_TRACE(colour);
        Transparent* tsp = nullptr;
        auto container = makeContainer(&tsp);
        const QRegion earlier(10, 10, 120, 70, QRegion::Ellipse);
        container->setMask(earlier);
        showAndWait(*container);
        QSignalSpy changed(tsp, &Transparent::PropertyChanged);

        tsp->setMaskColor(colour);

        EXPECT_EQ(tsp->MaskColor(), colour);
        EXPECT_EQ(container->size(), QSize(300, 200));
        EXPECT_EQ(tsp->geometry(), QRect(296, 56, 41, 41));
        EXPECT_EQ(shapeDifference(*container,
                                  pixelsOf({earlier.begin(), earlier.end()}, QSize(300, 200))),
                  "");
        ASSERT_EQ(changed.count(), 1);
        EXPECT_EQ(changed.at(0).at(0).toString(), "MaskColor");
    }
}

// Taking the picture away keeps the window as it was cut, but the control no
// longer shows the picture.
TEST_F(ShapedWindow, PictureNoneKeepsTheShapeAndClearsTheShownPicture)
{
    Transparent* tsp = nullptr;
    auto container = makeContainer(&tsp);
    container->setAutoFillBackground(true);
    QPalette background = container->palette();
    background.setColor(QPalette::Window, QColor(0, 0, 255));
    container->setPalette(background);
    tsp->show();
    showAndWait(*container);
    const QImage picture = holesAndIslands();
    tsp->setMaskColor(kGreyOle);
    tsp->setMaskPicture(QPixmap::fromImage(picture));
    const QPoint bodyPixel(20, 20);
    ASSERT_EQ(shownPixel(*container, bodyPixel), picture.pixel(bodyPixel));
    QSignalSpy changed(tsp, &Transparent::PropertyChanged);

    tsp->setMaskPicture(QPixmap());

    EXPECT_TRUE(tsp->MaskPicture().isNull());
    EXPECT_TRUE(tsp->Picture().isNull());
    EXPECT_EQ(shownPixel(*container, bodyPixel), qRgb(0, 0, 255));
    EXPECT_EQ(container->size(), picture.size());
    EXPECT_EQ(shapeDifference(*container, pixelsNotOfColour(picture, kGrey)), "");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), "MaskPicture");
}

// A new colour recuts the window at once with the picture already there.
TEST_F(ShapedWindow, ColourAfterPictureReshapesAtOnce)
{
    Transparent* tsp = nullptr;
    auto container = makeContainer(&tsp);
    const QRgb red = qRgb(255, 0, 0);
    const QRgb blue = qRgb(0, 0, 255);
    const QImage picture = cross(blue, red);
    tsp->setMaskColor(0x000000FF);
    tsp->setMaskPicture(QPixmap::fromImage(picture));
    showAndWait(*container);
    ASSERT_EQ(shapeDifference(*container, pixelsNotOfColour(picture, red)), "");

    tsp->setMaskColor(0x00FF0000);

    EXPECT_EQ(shapeDifference(*container, pixelsNotOfColour(picture, blue)), "");
}

// The main window's stored control has neither entry: it keeps the defaults
// and leaves the window whole until the start-up assigns colour and picture.
TEST_F(ShapedWindow, DefaultPropertiesTouchNothing)
{
    RecordingOutput silent;
    CountingDialogs none;
    ScoresInMemory scores;
    ToyGame game([] { return 0.0; }, scores);
    frmMain form(game, silent, none);
    form.setWindowFlag(Qt::FramelessWindowHint);
    EXPECT_EQ(form.findChild<Transparent*>("tsp")->MaskColor(), 0x8000000Fu);
    EXPECT_TRUE(form.findChild<Transparent*>("tsp")->MaskPicture().isNull());
    EXPECT_EQ(form.findChild<Transparent*>("tsp")->geometry(), QRect(296, 56, 41, 41));
    showAndWait(form);
    const QSize size = form.size();
    EXPECT_EQ(shapeDifference(form, PixelSet(std::size_t(size.width() * size.height()), true)), "");

    // Assigning the defaults again, as reading an empty stored form does.
    Transparent* tsp = nullptr;
    auto container = makeContainer(&tsp);
    const QRegion earlier(0, 0, 150, 100);
    container->setMask(earlier);
    showAndWait(*container);
    tsp->setMaskColor(Transparent::kDefaultMaskColor);
    tsp->setMaskPicture(QPixmap());
    EXPECT_EQ(container->size(), QSize(300, 200));
    EXPECT_EQ(tsp->geometry(), QRect(296, 56, 41, 41));
    EXPECT_EQ(
        shapeDifference(*container, pixelsOf({earlier.begin(), earlier.end()}, QSize(300, 200))),
        "");
}

// A stored form with both entries shapes its window as it is built; the
// colour is declared first so that a designer writes it first.
TEST_F(ShapedWindow, StoredFormWithBothEntriesShapesItsWindow)
{
    const QMetaObject& meta = Transparent::staticMetaObject;
    EXPECT_LT(meta.indexOfProperty("MaskColor"), meta.indexOfProperty("MaskPicture"));

    QWidget window(nullptr, Qt::FramelessWindowHint);
    Ui::StoredShape form;
    form.setupUi(&window);
    showAndWait(window);

    const QImage picture(":/shapetest/stored.xpm");
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(form.tsp->MaskColor(), kGreyOle);
    EXPECT_EQ(window.size(), picture.size());
    EXPECT_EQ(shapeDifference(window, pixelsNotOfColour(picture, kGrey)), "");
}

// A colour with the high bit set is looked up in the control's palette.
TEST_F(ShapedWindow, SystemColourResolvesThroughThePalette)
{
    struct Case {
        quint32 ole;
        QPalette::ColorRole role;
    };
    for (const auto& c : {Case{0x8000000F, QPalette::Button}, Case{0x80000005, QPalette::Base}}) {
        SCOPED_TRACE(c.ole);
        Transparent* tsp = nullptr;
        auto container = makeContainer(&tsp);
        const QRgb face = qRgb(10, 200, 30);
        QPalette palette = tsp->palette();
        palette.setColor(QPalette::Active, c.role, face);
        tsp->setPalette(palette);
        const QImage picture = holesAndIslands(face);

        tsp->setMaskColor(c.ole);
        tsp->setMaskPicture(QPixmap::fromImage(picture));
        showAndWait(*container);

        EXPECT_EQ(shapeDifference(*container, pixelsNotOfColour(picture, face)), "");
    }
}

struct MouseCase {
    const char* name;
    QEvent::Type type;
    Qt::MouseButton button;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
    QPointF pos;
    int expectedButton;
    int expectedShift;
};

// What the control's window reports reaches the host unchanged: button and
// modifier codes, and the position in twips from the control's corner.
TEST(TransparentMouse, ForwardsEventsUnchanged)
{
    const std::vector<MouseCase> cases = {
        {"left press",
         QEvent::MouseButtonPress,
         Qt::LeftButton,
         Qt::LeftButton,
         Qt::NoModifier,
         {10, 20},
         1,
         0},
        {"right press with shift",
         QEvent::MouseButtonPress,
         Qt::RightButton,
         Qt::RightButton,
         Qt::ShiftModifier,
         {0, 0},
         2,
         1},
        {"middle press with ctrl and alt",
         QEvent::MouseButtonPress,
         Qt::MiddleButton,
         Qt::MiddleButton,
         Qt::ControlModifier | Qt::AltModifier,
         {40.5, 3.25},
         4,
         6},
        {"move, nothing held",
         QEvent::MouseMove,
         Qt::NoButton,
         Qt::NoButton,
         Qt::NoModifier,
         {5, 6},
         0,
         0},
        {"move, left and right held",
         QEvent::MouseMove,
         Qt::NoButton,
         Qt::LeftButton | Qt::RightButton,
         Qt::ControlModifier,
         {30, 1},
         3,
         2},
        {"move, all held",
         QEvent::MouseMove,
         Qt::NoButton,
         Qt::LeftButton | Qt::RightButton | Qt::MiddleButton,
         Qt::AltModifier,
         {1, 30},
         7,
         4},
        {"left release, right still held",
         QEvent::MouseButtonRelease,
         Qt::LeftButton,
         Qt::RightButton,
         Qt::ShiftModifier | Qt::ControlModifier,
         {7, 8},
         1,
         3},
        {"right release",
         QEvent::MouseButtonRelease,
         Qt::RightButton,
         Qt::NoButton,
         Qt::NoModifier,
         {2, 2},
         2,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget host;
        host.resize(60, 60);
        auto* tsp = new Transparent(&host);
        tsp->setMaskColor(kGreyOle);
        tsp->setMaskPicture(QPixmap::fromImage(solid(QSize(50, 50), qRgb(1, 1, 1))));
        QSignalSpy down(tsp, &Transparent::MouseDown);
        QSignalSpy move(tsp, &Transparent::MouseMove);
        QSignalSpy up(tsp, &Transparent::MouseUp);
        host.show();

        QMouseEvent event(c.type, c.pos, tsp->mapToGlobal(c.pos), c.button, c.buttons, c.modifiers);
        QCoreApplication::sendEvent(tsp, &event);

        QSignalSpy& raised = c.type == QEvent::MouseButtonPress ? down
                             : c.type == QEvent::MouseMove      ? move
                                                                : up;
        EXPECT_EQ(down.count() + move.count() + up.count(), 1);
        ASSERT_EQ(raised.count(), 1);
        const QList<QVariant> args = raised.at(0);
        EXPECT_EQ(args.at(0).toInt(), c.expectedButton);
        EXPECT_EQ(args.at(1).toInt(), c.expectedShift);
        EXPECT_FLOAT_EQ(args.at(2).toFloat(), float(c.pos.x() * 15));
        EXPECT_FLOAT_EQ(args.at(3).toFloat(), float(c.pos.y() * 15));
    }
}

// Records where presses reach a top-level window, before any child sees them.
class PressRecorder : public QObject {
  public:
    explicit PressRecorder(QWindow* window) { window->installEventFilter(this); }
    std::vector<QPoint> presses;

  protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            presses.push_back(static_cast<QMouseEvent*>(event)->position().toPoint());
        return false;
    }
};

struct ClickCase {
    const char* name;
    QPoint cutPixel;   // inside the window's rectangle, cut away
    QPoint shapePixel; // part of the window
};

// Real clicks through the X server: a cut-away pixel lets the click pass to
// whatever lies behind, a pixel of the outline takes it. The pass-through
// click goes first, so once the second has arrived the first would have too.
class ShapedWindowInput : public ShapedWindow {
  protected:
    void SetUp() override
    {
        ShapedWindow::SetUp();
        if (!IsSkipped() && !XProbe::canSendInput())
            GTEST_SKIP() << "needs the XTest extension";
    }

    static void clickCutThenShape(QWidget& window, const ClickCase& c, PressRecorder& recorder)
    {
        XProbe::click(window, c.cutPixel);
        XProbe::click(window, c.shapePixel);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !recorder.presses.empty(); }, 5000));
        QCoreApplication::processEvents();
        ASSERT_EQ(recorder.presses.size(), 1u);
        EXPECT_EQ(recorder.presses.front(), c.shapePixel);
    }
};

TEST_F(ShapedWindowInput, ClicksOnCutPixelsPassThrough)
{
    const QImage picture = holesAndIslands();
    const std::vector<ClickCase> cases = {
        {"one-pixel hole", {40, 30}, {41, 30}},
        {"wider hole", {46, 11}, {44, 11}},
        {"clear row through the body", {30, 25}, {30, 24}},
        {"corner beside a lone pixel", {1, 0}, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(picture.pixel(c.cutPixel), kGrey);
        ASSERT_NE(picture.pixel(c.shapePixel), kGrey);
        Transparent* tsp = nullptr;
        auto container = makeContainer(&tsp);
        tsp->setMaskColor(kGreyOle);
        tsp->setMaskPicture(QPixmap::fromImage(picture));
        showAndWait(*container);
        PressRecorder recorder(container->windowHandle());
        clickCutThenShape(*container, c, recorder);
    }
}

// A visible control takes the real click itself and hands it on in twips.
TEST_F(ShapedWindowInput, VisibleControlForwardsARealClick)
{
    Transparent* tsp = nullptr;
    auto container = makeContainer(&tsp);
    tsp->show();
    tsp->setMaskColor(kGreyOle);
    tsp->setMaskPicture(QPixmap::fromImage(holesAndIslands()));
    showAndWait(*container);
    QSignalSpy down(tsp, &Transparent::MouseDown);
    QSignalSpy up(tsp, &Transparent::MouseUp);

    XProbe::click(*container, QPoint(20, 21));

    ASSERT_TRUE(QTest::qWaitFor([&] { return up.count() == 1; }, 5000));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.at(0).at(0).toInt(), 1);
    EXPECT_EQ(down.at(0).at(1).toInt(), 0);
    EXPECT_FLOAT_EQ(down.at(0).at(2).toFloat(), 300.0f);
    EXPECT_FLOAT_EQ(down.at(0).at(3).toFloat(), 315.0f);
}

// On the main window the hidden control raises nothing; the toy takes the
// click, the grey around it does not.
TEST_F(ShapedWindowInput, MainWindowTakesClicksOnlyOnTheToy)
{
    const QImage toy(kToyPicture);
    RecordingOutput silent;
    CountingDialogs none;
    ScoresInMemory scores;
    ToyGame game([] { return 0.0; }, scores);
    frmMain form(game, silent, none);
    form.setWindowFlag(Qt::FramelessWindowHint);
    form.move(30, 30);
    form.findChild<Transparent*>("tsp")->setMaskColor(kGreyOle);
    form.findChild<Transparent*>("tsp")->setMaskPicture(
        form.findChild<QLabel*>("Picture")->pixmap());
    showAndWait(form);
    QSignalSpy controlDown(form.findChild<Transparent*>("tsp"), &Transparent::MouseDown);
    PressRecorder recorder(form.windowHandle());

    // A grey pixel inside the first zone's rectangle, and the toy's middle.
    const QRect zone0(78, 0, 171, 113);
    QPoint grey(-1, -1);
    for (int y = zone0.top(); y <= zone0.bottom() && grey.x() < 0; ++y)
        for (int x = zone0.left(); x <= zone0.right() && grey.x() < 0; ++x)
            if ((toy.pixel(x, y) & RGB_MASK) == (kGrey & RGB_MASK))
                grey = QPoint(x, y);
    ASSERT_GE(grey.x(), 0) << "the artwork has no background inside the first zone";
    const QPoint middle(282, 250);
    ASSERT_NE(toy.pixel(middle) & RGB_MASK, kGrey & RGB_MASK);

    clickCutThenShape(form, {"main window", grey, middle}, recorder);
    EXPECT_EQ(controlDown.count(), 0);
}

} // namespace

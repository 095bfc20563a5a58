// Prints how long cutting the main window to the toy's outline takes: the
// outline alone, and the whole assignment of the picture (resize, pending
// events, outline, mask).
#include "shape/OleColor.h"
#include "shape/OutlineRegion.h"
#include "shape/PictureFile.h"
#include "shape/Transparent.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 50;

// The real artwork when this build has it, otherwise a stand-in of its size.
QImage toyPicture()
{
    QImage toy(QStringLiteral(":/BITMAP/toy.bmp"));
    if (!toy.isNull())
        return toy;
    toy = QImage(549, 550, QImage::Format_RGB32);
    toy.fill(qRgb(72, 72, 72));
    QPainter painter(&toy);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(120, 160, 40));
    painter.drawEllipse(QRect(20, 20, 500, 500));
    return toy;
}

template <typename F> double medianMs(F&& run)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QImage toy = toyPicture();
    const QPixmap toyPixmap = QPixmap::fromImage(toy);
    const QRgb key = Shape::resolveOleColor(0x00484848, QPalette());

    QRegion outline;
    const double outlineMs = medianMs([&] { outline = Shape::outlineRegion(toy, key); });
    // The sharp picture of a high-density screen is cut on its logical pixels.
    QImage sharp = Shape::readPictureFile(QStringLiteral(":/BITMAP/toy@2x.bmp"));
    sharp.setDevicePixelRatio(2);
    const double sharpMs =
        sharp.isNull() ? 0.0 : medianMs([&] { (void)Shape::outlineRegion(sharp, key); });

    QWidget window(nullptr, Qt::FramelessWindowHint);
    auto* tsp = new Transparent(&window);
    tsp->hide();
    tsp->setMaskColor(0x00484848);
    window.show();
    const double pictureMs = medianMs([&] { tsp->setMaskPicture(toyPixmap); });
    // Alternating colours, so that every run hands the window a new mask.
    bool grey = false;
    const double colourMs = medianMs([&] {
        grey = !grey;
        tsp->setMaskColor(grey ? 0x00484848 : 0x00FFFFFF);
    });

    std::printf("platform %s, picture %dx%d%s, %d runs (median)\n",
                qPrintable(QGuiApplication::platformName()), toy.width(), toy.height(),
                QFile::exists(QStringLiteral(":/BITMAP/toy.bmp")) ? "" : " (stand-in)", kRuns);
    std::printf("outline rectangles: %d\n", int(outline.rectCount()));
    std::printf("outline only:          %.3f ms\n", outlineMs);
    if (!sharp.isNull())
        std::printf("outline of the 2x one: %.3f ms\n", sharpMs);
    std::printf("MaskPicture = toy:     %.3f ms (same mask again)\n", pictureMs);
    std::printf("MaskColor, new mask:   %.3f ms\n", colourMs);
    return 0;
}

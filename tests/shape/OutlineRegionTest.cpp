#include "shape/OutlineRegion.h"

#include "Pictures.h"
#include "shape/OleColor.h"
#include "shape/PictureFile.h"
#include "support/PixelSet.h"
#include "support/XProbe.h"

#include <QFile>
#include <QImageReader>
#include <QPalette>
#include <QResource>
#include <gtest/gtest.h>
#include <vector>

namespace {

PixelSet pixelsOfRegion(const QRegion& region, QSize size)
{
    return pixelsOf(std::vector<QRect>(region.begin(), region.end()), size);
}

struct OutlineCase {
    const char* name;
    QImage picture;
    QRgb key;
};

// The outline is exactly the pixels that differ from the key: holes stay
// holes, lone pixels stay in, and nothing outside the picture is added.
TEST(OutlineRegion, HoldsExactlyThePixelsThatDifferFromTheKey)
{
    using namespace TestPictures;
    const std::vector<OutlineCase> cases = {
        {"holes and islands", holesAndIslands(), kGrey},
        {"key absent: full rectangle", holesAndIslands(), qRgb(255, 0, 255)},
        {"all key: nothing", solid(QSize(9, 5), kGrey), kGrey},
        {"cross keyed on its ground", cross(qRgb(0, 0, 255), qRgb(255, 0, 0)), qRgb(255, 0, 0)},
        {"cross keyed on its figure", cross(qRgb(0, 0, 255), qRgb(255, 0, 0)), qRgb(0, 0, 255)},
        {"one pixel", solid(QSize(1, 1), qRgb(1, 2, 3)), kGrey},
        {"one column", holesAndIslands().copy(30, 0, 1, 48), kGrey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QRegion region = Shape::outlineRegion(c.picture, c.key);
        EXPECT_EQ(describeDifference(pixelsOfRegion(region, c.picture.size()),
                                     pixelsNotOfColour(c.picture, c.key), c.picture.size()),
                  "");
        EXPECT_TRUE(QRect(QPoint(0, 0), c.picture.size()).contains(region.boundingRect()) ||
                    region.isEmpty());
    }
}

QImage atRatio(QImage image, qreal ratio)
{
    image.setDevicePixelRatio(ratio);
    return image;
}

// A picture drawn at twice the size is cut on its logical pixels: a logical
// pixel belongs to the outline when any of its device pixels differs from the
// key, and the region never reaches past the picture's logical size.
TEST(OutlineRegion, CutsADenserPictureOnItsLogicalPixels)
{
    using namespace TestPictures;
    const QImage holes = holesAndIslands();
    QImage oneDevicePixel = solid(QSize(6, 4), kGrey);
    oneDevicePixel.setPixel(3, 1, qRgb(0, 0, 0));
    QImage oneLogicalPixel = solid(QSize(3, 2), kGrey);
    oneLogicalPixel.setPixel(1, 0, qRgb(0, 0, 0));
    // Odd sides: the last half-filled column and row still count.
    QImage cornerDevicePixel = solid(QSize(7, 5), kGrey);
    cornerDevicePixel.setPixel(6, 4, qRgb(0, 0, 0));
    QImage cornerLogicalPixel = solid(QSize(4, 3), kGrey);
    cornerLogicalPixel.setPixel(3, 2, qRgb(0, 0, 0));
    const std::vector<OutlineCase> cases = {
        {"holes and islands doubled", doubled(holes), kGrey},
        {"one device pixel of a block", atRatio(oneDevicePixel, 2), kGrey},
        {"all key", atRatio(solid(QSize(8, 6), kGrey), 2), kGrey},
        {"odd sides, the corner pixel drawn", atRatio(cornerDevicePixel, 2), kGrey},
    };
    const std::vector<QImage> logical = {holes, oneLogicalPixel, solid(QSize(4, 3), kGrey),
                                         cornerLogicalPixel};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const QRegion region = Shape::outlineRegion(cases[i].picture, cases[i].key);
        const QSize size = logical[i].size();
        EXPECT_EQ(describeDifference(pixelsOfRegion(region, size),
                                     pixelsNotOfColour(logical[i], cases[i].key), size),
                  "");
        EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(region.boundingRect()) || region.isEmpty());
    }
}

// Regions built in one go must behave like any other region when Qt combines
// them, e.g. for painting and for the widget's hit test.
TEST(OutlineRegion, CombinesLikeARegionBuiltPixelByPixel)
{
    const QImage picture = TestPictures::holesAndIslands();
    const QRegion outline = Shape::outlineRegion(picture, TestPictures::kGrey);
    QRegion byPixels;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if ((picture.pixel(x, y) & RGB_MASK) != (TestPictures::kGrey & RGB_MASK))
                byPixels += QRect(x, y, 1, 1);
    // QRegion's operator== compares rectangle lists, not pixel sets.
    EXPECT_TRUE((outline ^ byPixels).isEmpty());
    EXPECT_TRUE((outline - byPixels).isEmpty());
    EXPECT_TRUE((byPixels - outline).isEmpty());
    const QRect window(28, 9, 22, 14);
    EXPECT_TRUE((outline.intersected(window) ^ byPixels.intersected(window)).isEmpty());
    EXPECT_EQ(outline.boundingRect(), byPixels.boundingRect());
}

// Alpha plays no part: a see-through pixel of the key colour is still the key.
TEST(OutlineRegion, IgnoresAlpha)
{
    QImage picture(3, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(72, 72, 72, 0));
    picture.setPixel(1, 0, qRgba(72, 72, 72, 255));
    picture.setPixel(2, 0, qRgba(9, 9, 9, 0));
    const QRegion region = Shape::outlineRegion(picture, TestPictures::kGrey);
    EXPECT_EQ(region, QRegion(2, 0, 1, 1));
}

struct ColourCase {
    const char* name;
    quint32 ole;
    QRgb expected;
};

// OLE colours keep red in the low byte; the high bit names a system colour
// that the palette decides.
TEST(OleColor, ResolvesDirectAndSystemColours)
{
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Button, qRgb(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::Base, qRgb(4, 5, 6));
    palette.setColor(QPalette::Active, QPalette::Highlight, qRgb(7, 8, 9));
    palette.setColor(QPalette::Active, QPalette::ButtonText, qRgb(10, 11, 12));

    const std::vector<ColourCase> cases = {
        {"toy background", 0x00484848, qRgb(72, 72, 72)},
        {"red in the low byte", 0x000000FF, qRgb(255, 0, 0)},
        {"blue in the third byte", 0x00FF0000, qRgb(0, 0, 255)},
        {"mixed", 0x00332211, qRgb(0x11, 0x22, 0x33)},
        {"button face (the default)", 0x8000000F, qRgb(1, 2, 3)},
        {"window background", 0x80000005, qRgb(4, 5, 6)},
        {"selection", 0x8000000D, qRgb(7, 8, 9)},
        {"button text", 0x80000012, qRgb(10, 11, 12)},
        {"unknown system index", 0x800000FE, qRgb(0, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Shape::resolveOleColor(c.ole, palette), c.expected);
    }
}

} // namespace

// The toy's picture is used where it lies in the resources; it must be the
// very picture Qt's own reader makes of the same file, row for row.
TEST(PictureFile, ToyPictureInPlaceIsWhatQtReads)
{
    const QString path = QStringLiteral(":/BITMAP/toy.bmp");
    const QImage inPlace = Shape::readPictureFile(path);
    QImageReader reader(path, "bmp");
    const QImage decoded = reader.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(decoded.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(inPlace.format(), QImage::Format_RGB32);
    EXPECT_TRUE(inPlace == decoded);
    // Read in place, not copied: the pixels are the resource's own bytes.
    const QResource resource(path);
    EXPECT_GE(inPlace.constBits(), resource.data());
    EXPECT_LT(inPlace.constBits(), resource.data() + resource.size());
}

// Anything but a whole plain 32-bit top-down bitmap is left to Qt's reader:
// nothing is read past the end of a file cut short.
TEST(PictureFile, OnlyAWholePlainBitmapIsUsedInPlace)
{
    QFile file(QStringLiteral(":/BITMAP/toy.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    auto withField = [&](int at, QByteArray bytes) {
        QByteArray changed = whole;
        changed.replace(at, bytes.size(), bytes);
        return changed;
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        bool inPlace;
    };
    const std::vector<Case> cases = {
        {"whole", whole, true},
        {"cut one byte short", whole.left(whole.size() - 1), false},
        {"headers only", whole.left(54), false},
        {"cut inside the headers", whole.left(20), false},
        {"bottom-up rows", withField(22, QByteArray("\x26\x02\0\0", 4)), false},
        {"24 bits", withField(28, QByteArray("\x18\0", 2)), false},
        {"run-length compressed", withField(30, QByteArray("\x01\0\0\0", 4)), false},
        {"pixels said to start past the end", withField(10, QByteArray("\xff\xff\xff\x7f", 4)),
         false},
        {"not a bitmap", withField(0, "PK"), false},
    };
    for (const Case& c : cases) {
        // An exact-size heap copy, so a read past the end is caught.
        std::vector<uchar> bytes(c.bytes.begin(), c.bytes.end());
        const QImage view = Shape::viewPlainBitmap32(bytes.data(), qint64(bytes.size()));
        EXPECT_EQ(!view.isNull(), c.inPlace) << c.name;
    }
}

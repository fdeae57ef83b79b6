#include "platform/picture_loader.h"
#include "tests/support/test_pictures.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <random>

#include <sys/stat.h>

namespace {

// Left half red, right half blue, a green bar along the bottom: orientation
// and colour order both show.
QImage TestPicture(int w = 64, int h = 48) {
    QImage img(w, h, QImage::Format_RGB888);
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h, QColor(220, 20, 20));
    p.fillRect(w / 2, 0, w - w / 2, h, QColor(20, 20, 220));
    p.fillRect(0, h - 8, w, 8, QColor(20, 200, 20));
    return img;
}

bool Near(QColor a, QColor b, int tolerance = 24) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// A sentinel the failing loads must leave alone.
QImage Sentinel() {
    QImage img(3, 2, QImage::Format_RGB32);
    img.fill(QColor(1, 2, 3));
    return img;
}

class PictureFiles : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir_;
};

TEST(DecodeJpeg, DecodesColourKindsWithColoursAndOrientationIntact) {
    const QImage src = TestPicture();
    const struct {
        JpegKind kind;
        const char* name;
    } kinds[] = {{JpegKind::Rgb, "rgb"},
                 {JpegKind::Progressive, "progressive"},
                 {JpegKind::AdobeCmyk, "cmyk"}};
    for (const auto& k : kinds) {
        QImage out;
        ASSERT_TRUE(DecodeJpeg(EncodeJpeg(src, k.kind), &out)) << k.name;
        ASSERT_EQ(out.size(), src.size()) << k.name;
        EXPECT_TRUE(Near(out.pixelColor(8, 8), QColor(220, 20, 20))) << k.name;
        EXPECT_TRUE(Near(out.pixelColor(56, 8), QColor(20, 20, 220))) << k.name;
        EXPECT_TRUE(Near(out.pixelColor(30, 44), QColor(20, 200, 20))) << k.name;
    }
    QImage gray;
    ASSERT_TRUE(DecodeJpeg(EncodeJpeg(src, JpegKind::Gray), &gray));
    const QColor g = gray.pixelColor(8, 8);
    EXPECT_EQ(g.red(), g.green());
    EXPECT_EQ(g.green(), g.blue());
    EXPECT_NEAR(g.red(), (220 * 299 + 20 * 587 + 20 * 114) / 1000, 12);
}

TEST(DecodeJpeg, BrokenDataFailsAndLeavesTheTargetUntouched) {
    const QByteArray good = EncodeJpeg(TestPicture(128, 96), JpegKind::Rgb, 90);
    const int sos = good.indexOf(QByteArray("\xFF\xDA", 2));
    ASSERT_GT(sos, 0);

    std::mt19937 rng(310);
    QByteArray garbage = good.left(sos + 14); // SOS header kept
    for (int i = 0; i < 2000; ++i) {
        garbage.append(static_cast<char>(rng() & 0xFF));
    }
    QByteArray badMarker = good;
    badMarker[sos + 40] = static_cast<char>(0xFF);
    badMarker[sos + 41] = static_cast<char>(0xD3); // a restart marker where none belongs

    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"text", QByteArray("this is not a picture\n")},
        {"header only", good.left(sos)},
        {"truncated in the data", good.left(good.size() / 2)},
        {"missing end marker", good.left(good.size() - 2)},
        {"garbage after the header", garbage},
        {"stray marker in the data", badMarker},
        {"wider than 20000", WithFrameSize(good, 20001, 10)},
        {"more than 100 megapixels", WithFrameSize(good, 15000, 15000)},
        {"zero height", WithFrameSize(good, 128, 0)},
    };
    for (const auto& c : cases) {
        QImage out = Sentinel();
        EXPECT_FALSE(DecodeJpeg(c.bytes, &out)) << c.what;
        EXPECT_EQ(out, Sentinel()) << c.what;
    }
    QImage out;
    EXPECT_FALSE(DecodeJpeg(good, nullptr));
    EXPECT_TRUE(DecodeJpeg(good, &out)); // the originals are fine
    EXPECT_FALSE(DecodeJpegLimited(good, &out, 128 * 96 - 1));
    EXPECT_TRUE(DecodeJpegLimited(good, &out, 128 * 96));
}

TEST_F(PictureFiles, LoadsByExtensionWhateverItsCase) {
    const QByteArray jpeg = EncodeJpeg(TestPicture());
    QByteArray bmp;
    {
        const QImage src = TestPicture(30, 20);
        QFile f(dir_.filePath("tmp.bmp"));
        ASSERT_TRUE(src.save(&f, "BMP"));
        f.close();
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        bmp = f.readAll();
    }
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.JpEg"}) {
        QImage out;
        EXPECT_TRUE(LoadPictureFile(Write(name, jpeg), &out)) << name;
        EXPECT_EQ(out.size(), QSize(64, 48)) << name;
    }
    for (const char* name : {"e.bmp", "f.BMP"}) {
        QImage out;
        EXPECT_TRUE(LoadPictureFile(Write(name, bmp), &out)) << name;
        EXPECT_EQ(out.size(), QSize(30, 20)) << name;
        EXPECT_EQ(out.pixelColor(2, 2), QColor(220, 20, 20)) << name; // lossless
    }
}

TEST_F(PictureFiles, EveryFailureLeavesTheTargetUntouched) {
    const QByteArray jpeg = EncodeJpeg(TestPicture());
    QByteArray png;
    {
        QFile f(dir_.filePath("src.png"));
        ASSERT_TRUE(TestPicture().save(&f, "PNG"));
        f.close();
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        png = f.readAll();
    }
    // A bitmap header claiming 30000 x 30000 pixels.
    QByteArray hugeBmp = BitmapHeader(30000, 30000, 24, 0, 0, 16);
    hugeBmp.append(QByteArray(16, '\x7F'));

    const QString paths[] = {
        Write("text.jpg", "Just some text, not a picture.\n"),
        Write("half.jpg", jpeg.left(jpeg.size() / 2)),
        Write("picture.png", png),
        Write("picture.gif", jpeg),
        Write("noext", jpeg),
        Write("jpeg_inside.bmp", jpeg),
        Write("broken.bmp", "BM not really"),
        Write("huge.bmp", hugeBmp),
        dir_.filePath("missing.jpg"),
        dir_.path(), // a folder
        QString(),
    };
    for (const QString& path : paths) {
        QImage out = Sentinel();
        EXPECT_FALSE(LoadPictureFile(path, &out)) << path.toStdString();
        EXPECT_EQ(out, Sentinel()) << path.toStdString();
    }
    EXPECT_FALSE(LoadPictureFile(Write("ok.jpg", jpeg), nullptr));
}

TEST_F(PictureFiles, LogoWithinBoundsDecodesExactlyAsTheDecoderGivesIt) {
    const QByteArray jpeg = EncodeJpeg(TestPicture(230, 192), JpegKind::Progressive);
    QImage direct, loaded;
    ASSERT_TRUE(DecodeJpeg(jpeg, &direct));
    ASSERT_TRUE(LoadPictureFile(Write("logo.jpg", jpeg), &loaded));
    EXPECT_EQ(loaded, direct);

    // Bytes after the end marker are never read: the size bound is on the
    // file, up to and including kMaxLogoFileBytes.
    QByteArray padded = jpeg;
    padded.append(QByteArray(kMaxLogoFileBytes - jpeg.size(), '\0'));
    loaded = QImage();
    EXPECT_TRUE(LoadPictureFile(Write("padded.jpg", padded), &loaded));
    EXPECT_EQ(loaded, direct);
    padded.append('\0');
    QImage out = Sentinel();
    EXPECT_FALSE(LoadPictureFile(Write("toolarge.jpg", padded), &out));
    EXPECT_EQ(out, Sentinel());
}

TEST_F(PictureFiles, LargeLogoComesOutWithinTheBoxInItsProportions) {
    // 12 megapixels: 2/8 of each side would still be wider than the box,
    // so libjpeg decodes 1/8 of each side.
    const QImage big = TestPicture(4000, 3000);
    for (JpegKind kind : {JpegKind::Rgb, JpegKind::Progressive}) {
        QImage out;
        ASSERT_TRUE(LoadPictureFile(Write("big.jpg", EncodeJpeg(big, kind, 80)), &out));
        EXPECT_EQ(out.size(), QSize(500, 375));
        EXPECT_TRUE(Near(out.pixelColor(20, 20), QColor(220, 20, 20)));
        EXPECT_TRUE(Near(out.pixelColor(out.width() - 20, 20), QColor(20, 20, 220)));
    }
    // 1/8 is not enough for a 10000-pixel-wide picture: smooth scaling does
    // the rest.
    QImage wide;
    ASSERT_TRUE(LoadPictureFile(
        Write("wide.jpg", EncodeJpeg(TestPicture(10000, 1000), JpegKind::Rgb, 60)), &wide));
    EXPECT_EQ(wide.size(), QSize(kMaxLogoSide, kMaxLogoSide / 10));
    // Larger than the logo's pixel budget: refused from the header alone.
    const QByteArray small = EncodeJpeg(TestPicture(128, 96));
    QImage out = Sentinel();
    EXPECT_FALSE(LoadPictureFile(Write("huge.jpg", WithFrameSize(small, 6000, 5000)), &out));
    EXPECT_EQ(out, Sentinel());
    EXPECT_TRUE(DecodeJpegBounded(EncodeJpeg(TestPicture(100, 50)), &out, {kMaxLogoPixels, 25, 0}));
    EXPECT_EQ(out.size(), QSize(25, 13)); // 2/8 of each side, rounded up
}

TEST_F(PictureFiles, NamedPipeAsLogoFailsAtOnce) {
    // Opening a pipe nobody writes to would block the start for good.
    const QString fifo = dir_.filePath("logo.jpg");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QImage out = Sentinel();
    EXPECT_FALSE(LoadPictureFile(fifo, &out));
    EXPECT_EQ(out, Sentinel());
}

TEST(DecodeJpeg, WorkAndMemoryBeyondTheBoundsAreRefusedOnEveryMachine) {
    // 190 scans over 1.92 megapixels: 365 million pixel visits.
    const QByteArray slow = EncodeJpeg(TestPicture(1600, 1200), JpegKind::ManyScans, 90);
    const qint64 pixels = 1600 * 1200;
    QImage out = Sentinel();
    EXPECT_FALSE(DecodeJpegBounded(slow, &out, {kMaxPicturePixels, 0, 100 * pixels, 0}));
    EXPECT_EQ(out, Sentinel());
    // Its coefficients alone take more than a MiB.
    EXPECT_FALSE(DecodeJpegBounded(slow, &out, {kMaxPicturePixels, 0, 0, 1024 * 1024}));
    EXPECT_EQ(out, Sentinel());
    // Within the logo's bounds the same file is a sound picture.
    ASSERT_TRUE(DecodeJpegBounded(slow, &out,
                                  {kMaxLogoPixels, 0, kMaxLogoScanPixels, kMaxLogoDecodeBytes}));
    EXPECT_EQ(out.size(), QSize(1600, 1200));
    EXPECT_TRUE(Near(out.pixelColor(1500, 10), QColor(20, 20, 220)));
}

TEST_F(PictureFiles, RunLengthBitmapLoadsUnlessItsHeaderPromisesMoreThanItsBytesHold) {
    QImage out;
    ASSERT_TRUE(LoadPictureFile(Write("rle.bmp", Rle8Bitmap(30, 34, 40, 64, 40)), &out));
    EXPECT_EQ(out.size(), QSize(64, 40));
    EXPECT_TRUE(Near(out.pixelColor(5, 5), QColor(10, 10, 10), 2));
    EXPECT_TRUE(Near(out.pixelColor(60, 35), QColor(200, 200, 200), 2));
    // Large and honest, 18 bytes a row: scaled into the box in its
    // proportions, the halves still where they were.
    ASSERT_TRUE(LoadPictureFile(Write("wide.bmp", Rle8Bitmap(1000, 1000, 1000, 2000, 1000)), &out));
    EXPECT_EQ(out.size(), QSize(kMaxLogoSide, kMaxLogoSide / 2));
    EXPECT_TRUE(Near(out.pixelColor(100, 100), QColor(10, 10, 10), 2));
    EXPECT_TRUE(Near(out.pixelColor(700, 300), QColor(200, 200, 200), 2));
    // 25 megapixels from a kilobyte: the end-of-picture mark alone.
    const QByteArray empty = Rle8Bitmap(0, 0, 0, 5000, 5000);
    EXPECT_LT(empty.size(), 1100);
    out = Sentinel();
    EXPECT_FALSE(LoadPictureFile(Write("empty.bmp", empty), &out));
    EXPECT_EQ(out, Sentinel());
}

TEST(DefaultLogo, ExistsWithoutAnyFile) {
    const QImage logo = DefaultLogoPicture();
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.size(), QSize(230, 192));
    // Not a blank picture: the gauge's red arc is on it.
    bool red = false;
    for (int y = 0; y < logo.height() && !red; ++y) {
        for (int x = 0; x < logo.width() && !red; ++x) {
            red = Near(logo.pixelColor(x, y), QColor(226, 26, 0), 30);
        }
    }
    EXPECT_TRUE(red);
}

} // namespace

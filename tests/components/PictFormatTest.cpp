// The "pct" format as the rest of the program meets it: by file name through
// the picture loader and through plain Qt image loads, with the loader's
// messages.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>

#include "components/PictureCheck.h"
#include "components/ZrPict.h"
#include "content/OurUtils.h"
#include "tests/TestSupport.h"
#include "tests/components/PictEncoder.h"
#include "toolkit/PictureLoader.h"

using namespace picttest;

namespace {

TTestPict SmallPicture() {
    TTestPict p;
    p.Width = 12;
    p.Height = 3;
    p.PixelSize = 32;
    for (int i = 0; i < 36; ++i) p.Pixels.push_back(i % 12 < 6 ? 0xFF0000u : 0x00FF80u);
    return p;
}

// A stream that claims more bytes than it can deliver.
class TShortBuffer : public QBuffer {
public:
    using QBuffer::QBuffer;
    qint64 size() const override { return QBuffer::size() + 10; }
};

class PictFormat : public ::testing::Test {
protected:
    void SetUp() override { tav::RegisterPictFormat(); }
    tavtest::TempFolder folder;
};

} // namespace

TEST_F(PictFormat, RegisteredAsMacPict) { EXPECT_EQ(tav::PictureFormatDescription("PCT"), "Mac PICT"); }

TEST_F(PictFormat, PictureLoaderDecodesByExtensionWithoutRegardToCase) {
    tavtest::WriteFile(folder.File("Scene.PCT"), EncodePict(SmallPicture()));
    const QImage image = tav::LoadPicture(folder.Path() + "\\scene.pct");
    ASSERT_EQ(image.size(), QSize(12, 3));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(11, 2), qRgb(0, 255, 128));
}

TEST_F(PictFormat, PlainQtLoadsDecodePictToo) {
    const std::string path = folder.File("plain.pct");
    tavtest::WriteFile(path, EncodePict(SmallPicture()));
    QImage image(QString::fromStdString(path));
    ASSERT_EQ(image.size(), QSize(12, 3));
    EXPECT_EQ(image.pixel(7, 1), qRgb(0, 255, 128));
    QPixmap pixmap;
    EXPECT_TRUE(pixmap.load(QString::fromStdString(path)));
    EXPECT_TRUE(QImageReader::supportedImageFormats().contains("pct"));
}

TEST_F(PictFormat, RefusalsComeOutWithTheFileName) {
    TTestPict p = SmallPicture();
    p.Version = 0x0101;
    const std::string path = folder.File("bad.pct");
    tavtest::WriteFile(path, EncodePict(p));
    try {
        tav::LoadPicture(path);
        FAIL() << "decoded a bad picture";
    } catch (const tav::PBException& e) {
        EXPECT_EQ(std::string(e.what()), "Couldn't load " + path + " - Bad PICT version $0101");
    }
    // Qt's own loaders just fail.
    EXPECT_TRUE(QImage(QString::fromStdString(path)).isNull());
}

TEST_F(PictFormat, ShortStreamIsRefused) {
    const std::string file = EncodePict(SmallPicture());
    TShortBuffer buffer;
    buffer.setData(QByteArray(file.data(), qsizetype(file.size())));
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    tav::TPictBitmap bitmap;
    try {
        bitmap.LoadFromStream(buffer);
        FAIL() << "short stream accepted";
    } catch (const tav::PBException& e) {
        EXPECT_STREQ(e.what(), "Couldn't read PICT data");
    }
}

TEST_F(PictFormat, OtherFormatsStillLoadAndMissingFilesFail) {
    QImage png(4, 2, QImage::Format_RGB32);
    png.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(png.save(QString::fromStdString(folder.File("x.png"))));
    EXPECT_EQ(tav::LoadPicture(folder.File("X.PNG")).pixel(3, 1), qRgb(1, 2, 3));

    EXPECT_THROW(tav::LoadPicture(folder.File("missing.jpg")), tav::EProgramError);
    EXPECT_THROW(tav::LoadPicture(folder.File("missing.pct")), tav::EProgramError);
}

TEST_F(PictFormat, UnregisteredExtensionFallsBackToQt) {
    tavtest::WriteFile(folder.File("late.pct"), EncodePict(SmallPicture()));
    tav::UnregisterPictFormat();
    EXPECT_EQ(tav::PictureFormatDescription("pct"), "");
    // Qt's plugin list keeps the decoder, so the file still loads, now
    // through Qt's reader.
    EXPECT_EQ(tav::LoadPicture(folder.File("late.pct")).size(), QSize(12, 3));
    tav::RegisterPictFormat();
}

TEST_F(PictFormat, PictureCheckWritesPngOrReportsTheLoadersMessage) {
    tavtest::WriteFile(folder.File("good.pct"), EncodePict(SmallPicture()));
    const std::string out = folder.File("good.png");
    EXPECT_EQ(tav::ConvertPictureToPng(folder.File("good.pct"), out), "");
    const QImage written(QString::fromStdString(out));
    ASSERT_EQ(written.size(), QSize(12, 3));
    EXPECT_EQ(written.pixel(0, 0), qRgb(255, 0, 0));

    TTestPict bad = SmallPicture();
    bad.CmpCount = 4;
    tavtest::WriteFile(folder.File("bad.pct"), EncodePict(bad));
    EXPECT_EQ(tav::ConvertPictureToPng(folder.File("bad.pct"), folder.File("bad.png")),
              "Couldn't load " + folder.File("bad.pct") +
                  " - Can't decode 32-bit PICT with PackType 4, CmpCount 4, CmpSize 8");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(folder.File("bad.png"))));
    EXPECT_NE(tav::ConvertPictureToPng(folder.File("none.jpg"), folder.File("none.png")), "");
}

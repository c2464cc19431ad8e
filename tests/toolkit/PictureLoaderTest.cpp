// The picture loader: registered formats by extension, Qt's readers for the
// rest, and its failure message.
#include <gtest/gtest.h>

#include "content/OurUtils.h"
#include "tests/TestSupport.h"
#include "toolkit/PictureLoader.h"

TEST(PictureLoader, RegisteredFormatsDecodeByExtension) {
    tavtest::TempFolder folder;
    tavtest::WriteFile(folder.File("Shape.XYZ"), "anything");
    std::string seen;
    tav::RegisterPictureFormat("xyz", "Test shapes", [&](const std::string& path) {
        seen = path;
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::red);
        return image;
    });
    const QImage image = tav::LoadPicture(folder.Path() + "\\shape.xyz");
    EXPECT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(seen, folder.File("Shape.XYZ")); // the real spelling on disk
    EXPECT_EQ(tav::PictureFormatDescription("XYZ"), "Test shapes");
    tav::UnregisterPictureFormat("xyz");
    EXPECT_THROW(tav::LoadPicture(folder.Path() + "\\shape.xyz"), tav::EProgramError);
}

TEST(PictureLoader, QtFormatsAndTheFailureMessage) {
    tavtest::TempFolder folder;
    QImage png(5, 4, QImage::Format_RGB32);
    png.fill(qRgb(9, 8, 7));
    ASSERT_TRUE(png.save(QString::fromStdString(folder.File("Back.png"))));
    ASSERT_TRUE(png.save(QString::fromStdString(folder.File("back.bmp"))));
    EXPECT_EQ(tav::LoadPicture(folder.Path() + "\\BACK.PNG").pixel(4, 3), qRgb(9, 8, 7));
    EXPECT_EQ(tav::LoadPicture(folder.Path() + "\\back.bmp").size(), QSize(5, 4));

    tavtest::WriteFile(folder.File("broken.jpg"), "not a picture");
    try {
        tav::LoadPicture(folder.Path() + "\\broken.jpg");
        FAIL() << "loaded a broken picture";
    } catch (const tav::EProgramError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Couldn't load " + folder.File("broken.jpg") + " - ", 0), 0u) << e.what();
    }
}

#include "components/PictureCheck.h"

#include <QImage>
#include <QImageWriter>

#include <exception>

#include "components/ZrPict.h"
#include "toolkit/PictureLoader.h"

namespace tav {

std::string ConvertPictureToPng(const std::string& pictureFile, const std::string& pngFile) {
    RegisterPictFormat();
    QImage image;
    try {
        image = LoadPicture(pictureFile);
    } catch (const std::exception& e) {
        return e.what();
    }
    if (image.isNull()) return "Couldn't load " + pictureFile + " - empty picture";
    QImageWriter writer(QString::fromLocal8Bit(pngFile.c_str()), "png");
    if (!writer.write(image))
        return "Couldn't write " + pngFile + " - " + writer.errorString().toLocal8Bit().toStdString();
    return {};
}

} // namespace tav

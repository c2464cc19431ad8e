#include "toolkit/Pictures.h"

#include "content/OurUtils.h"
#include "platform/Paths.h"

#include <QImageReader>

namespace tav {

QImage LoadPicture(const std::string& programPath) {
    const std::string file = NativePath(programPath);
    if (!FileExists(file)) throw EProgramError(Format("Couldn't load %s - the file does not exist", file.c_str()));
    QImageReader reader(QString::fromStdString(file));
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull())
        throw EProgramError(
            Format("Couldn't load %s - %s", file.c_str(), reader.errorString().toStdString().c_str()));
    return image;
}

} // namespace tav

#include "toolkit/PictureLoader.h"

#include <QImageReader>

#include <map>

#include "content/OurUtils.h"
#include "platform/Paths.h"

namespace tav {

namespace {

struct TFormat {
    std::string Description;
    TPictureDecoder Decoder;
};

std::map<std::string, TFormat>& Formats() {
    static std::map<std::string, TFormat> formats;
    return formats;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

std::string ExtensionOf(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return Lower(path.substr(dot + 1));
}

} // namespace

void RegisterPictureFormat(const std::string& extension, const std::string& description, TPictureDecoder decoder) {
    Formats()[Lower(extension)] = TFormat{description, std::move(decoder)};
}

void UnregisterPictureFormat(const std::string& extension) { Formats().erase(Lower(extension)); }

std::string PictureFormatDescription(const std::string& extension) {
    const auto it = Formats().find(Lower(extension));
    return it == Formats().end() ? std::string() : it->second.Description;
}

QImage LoadPicture(const std::string& programPath) {
    const std::string native = NativePath(programPath);
    const auto it = Formats().find(ExtensionOf(native));
    if (it != Formats().end()) return it->second.Decoder(native);

    QImageReader reader(QString::fromLocal8Bit(native.c_str()));
    QImage image = reader.read();
    if (image.isNull())
        // The file as it lies on this computer, so the teacher can find it.
        throw EProgramError(Format("Couldn't load %s - %s", native.c_str(),
                                   reader.errorString().toLocal8Bit().constData()));
    return image;
}

} // namespace tav

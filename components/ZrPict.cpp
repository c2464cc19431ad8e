#include "components/ZrPict.h"

#include <QFile>
#include <QImageIOHandler>
#include <QImageIOPlugin>
#include <QtPlugin>


#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "toolkit/PictureLoader.h"

namespace tav {

QImage PictImageToQImage(const TPictImage& pict) {
    if (pict.Empty()) return QImage();
    QImage image;
    switch (pict.BitsPerPixel) {
    case 1:
    case 8:
        image = QImage(pict.Width, pict.Height, pict.BitsPerPixel == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        for (int y = 0; y < pict.Height; ++y)
            std::memcpy(image.scanLine(y), &pict.Pixels[size_t(y) * size_t(pict.Stride)], size_t(pict.Stride));
        break;
    case 4:
        // Qt has no 4-bit format: one index per byte.
        image = QImage(pict.Width, pict.Height, QImage::Format_Indexed8);
        for (int y = 0; y < pict.Height; ++y) {
            const uint8_t* src = &pict.Pixels[size_t(y) * size_t(pict.Stride)];
            uchar* dst = image.scanLine(y);
            for (int x = 0; x < pict.Width; ++x) dst[x] = (src[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
        }
        break;
    case 15:
        image = QImage(pict.Width, pict.Height, QImage::Format_RGB555);
        for (int y = 0; y < pict.Height; ++y)
            std::memcpy(image.scanLine(y), &pict.Pixels[size_t(y) * size_t(pict.Stride)], size_t(pict.Width) * 2);
        break;
    case 24:
        image = QImage(pict.Width, pict.Height, QImage::Format_RGB888);
        for (int y = 0; y < pict.Height; ++y)
            std::memcpy(image.scanLine(y), &pict.Pixels[size_t(y) * size_t(pict.Stride)], size_t(pict.Width) * 3);
        break;
    default:
        throw PBException(Format("Can't handle %d-bit PICT", pict.BitsPerPixel));
    }
    if (pict.BitsPerPixel <= 8) {
        // Indexes beyond a short colour table show black rather than garbage.
        QList<QRgb> table(1 << pict.BitsPerPixel, qRgb(0, 0, 0));
        for (size_t i = 0; i < pict.Palette.size() && i < size_t(table.size()); ++i)
            table[qsizetype(i)] = qRgb(pict.Palette[i][0], pict.Palette[i][1], pict.Palette[i][2]);
        image.setColorTable(table);
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

void TPictBitmap::LoadFromBytes(const uint8_t* data, size_t size) {
    QImage::operator=(PictImageToQImage(DecodePict(data, size)));
}

void TPictBitmap::LoadFromStream(QIODevice& stream) {
    const qint64 expected = stream.isSequential() ? -1 : stream.size() - stream.pos();
    const QByteArray bytes = stream.readAll();
    if (expected >= 0 && bytes.size() < expected) throw PBException("Couldn't read PICT data");
    LoadFromBytes(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

void TPictBitmap::LoadFromFile(const std::string& fileName) {
    QFile file(QString::fromLocal8Bit(fileName.c_str()));
    if (!file.open(QIODevice::ReadOnly))
        throw EProgramError(tav::Format("Couldn't load %s - %s", fileName.c_str(),
                                   file.errorString().toLocal8Bit().constData()));
    try {
        LoadFromStream(file);
    } catch (const PBException& e) {
        throw PBException(tav::Format("Couldn't load %s - %s", fileName.c_str(), e.what()));
    }
}

} // namespace tav

// ---- Qt image plugin: plain QImage loads of "*.pct" ------------------------

namespace {

class TPictIOHandler : public QImageIOHandler {
public:
    bool canRead() const override {
        if (!device()) return false;
        setFormat("pct");
        return true;
    }
    bool read(QImage* image) override {
        try {
            tav::TPictBitmap bitmap;
            bitmap.LoadFromStream(*device());
            *image = bitmap;
            return !image->isNull();
        } catch (const std::exception& e) {
            // Qt's readers report failure only as false; the message goes to the
            // debug log. The program's own loader raises it instead.
            tav::DebugLog(e.what());
            return false;
        }
    }
};

} // namespace

// Declared at global scope so that the plugin's exported names are plain.
class TavolinPictPlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "ZrPict.json")
public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override {
        // Decided by the file's extension only, as the picture loader does.
        if (format.toLower() == "pct") return CanRead;
        return {};
    }
    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override {
        auto* handler = new TPictIOHandler;
        handler->setDevice(device);
        handler->setFormat(format);
        return handler;
    }
};

extern const QStaticPlugin qt_static_plugin_TavolinPictPlugin();

namespace tav {

void RegisterPictFormat() {
    static bool pluginRegistered = false;
    if (!pluginRegistered) {
        qRegisterStaticPluginFunction(qt_static_plugin_TavolinPictPlugin());
        pluginRegistered = true;
    }
    RegisterPictureFormat("pct", "Mac PICT", [](const std::string& nativePath) -> QImage {
        TPictBitmap bitmap;
        bitmap.LoadFromFile(nativePath);
        return bitmap;
    });
}

void UnregisterPictFormat() { UnregisterPictureFormat("pct"); }

} // namespace tav

#include "ZrPict.moc"

#pragma once
// Mac PICT pictures as toolkit bitmaps. RegisterPictFormat() (once, at
// program start) makes every picture loaded by file name with the extension
// "pct" decode through TPictBitmap: both the program's picture loader
// (LoadPicture) and plain QImage/QPixmap/QImageReader loads.
#include <QImage>

#include <string>

#include "components/PictDecoder.h"

class QIODevice;

namespace tav {

class TPictBitmap : public QImage {
public:
    TPictBitmap() = default;

    // Reads the whole stream and decodes it; fewer bytes than the stream's
    // size raise "Couldn't read PICT data".
    void LoadFromStream(QIODevice& stream);
    // As LoadFromStream; a PBException comes out as
    // "Couldn't load <file> - <first message>".
    void LoadFromFile(const std::string& fileName);
    void LoadFromBytes(const uint8_t* data, size_t size);
};

// The decoded bitmap in the display's pixel format (32-bit RGB).
QImage PictImageToQImage(const TPictImage& pict);

// Registers the "pct" format ("Mac PICT"); repeated calls do nothing.
void RegisterPictFormat();
// Removes it from the program's picture loader (Qt's plugin list keeps it).
void UnregisterPictFormat();

} // namespace tav

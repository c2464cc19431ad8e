#pragma once
// The program's picture loader: every picture loaded by file name comes
// through here. Formats registered by extension (the PICT decoder registers
// "pct") are decoded by their own decoder; everything else (JPEG, PNG, BMP)
// by Qt's image readers. A picture that cannot be loaded raises
// EProgramError "Couldn't load <file> - <reason>".
#include <QImage>

#include <functional>
#include <string>

namespace tav {

// Decodes the file at a native path; throws with the loader's message.
using TPictureDecoder = std::function<QImage(const std::string& nativePath)>;

// extension without the dot, compared without regard to case.
void RegisterPictureFormat(const std::string& extension, const std::string& description, TPictureDecoder decoder);
void UnregisterPictureFormat(const std::string& extension);
// The description of a registered format, or "" when none is registered.
std::string PictureFormatDescription(const std::string& extension);

// Loads a picture by program path (backslashes, any case).
QImage LoadPicture(const std::string& programPath);

} // namespace tav

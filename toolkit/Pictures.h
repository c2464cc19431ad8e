#pragma once
// Loading pictures by program path (backslashes, any case). Every format Qt
// reads is accepted, including those registered by the program itself.
#include <QImage>
#include <string>

namespace tav {

// Raises "Couldn't load <file>" with the reason when the picture is missing
// or cannot be decoded.
QImage LoadPicture(const std::string& programPath);

} // namespace tav

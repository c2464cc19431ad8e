#pragma once
// The content authors' picture check: load any picture (JPEG, PNG, BMP, PICT)
// exactly as the program does and write it as a PNG file.
#include <string>

namespace tav {

// Returns "" when the picture was written, else the loader's message (or
// the reason the PNG could not be written).
std::string ConvertPictureToPng(const std::string& pictureFile, const std::string& pngFile);

} // namespace tav

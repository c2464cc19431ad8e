#pragma once
// The media panel the forms place; it adds nothing to TZrMCIMedia.
#include "media/ZrMCIMedia.h"

namespace tav {

class TZrMedia : public TZrMCIMedia {
public:
    using TZrMCIMedia::TZrMCIMedia;
};

} // namespace tav

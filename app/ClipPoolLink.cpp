#include "app/ClipPoolLink.h"

#include "content/DebugLog.h"

namespace tav {

TClipPoolLink& ClipPoolLink() {
    static TClipPoolLink link;
    return link;
}

bool ClipPoolExists() { return ClipPoolLink().Exists && ClipPoolLink().Exists(); }

void CreateClipPool(bool visible) {
    if (ClipPoolLink().Create) ClipPoolLink().Create(visible);
    else DebugLog("No film clip pool in this build");
}

void ResetClipPool() {
    if (ClipPoolLink().ResetPlayers) ClipPoolLink().ResetPlayers();
}

void DetachClipPoolDisplay() {
    if (ClipPoolLink().DetachDisplay && ClipPoolExists()) ClipPoolLink().DetachDisplay();
}

void FreeClipPool() {
    if (ClipPoolLink().Free && ClipPoolExists()) ClipPoolLink().Free();
}

} // namespace tav

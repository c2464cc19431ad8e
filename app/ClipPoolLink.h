#pragma once
// How the menus reach the film clip pool without depending on the media
// layer: the clip pool module fills these in when it joins the program.
// Until then the pool does not exist and the calls do nothing but log.
#include <functional>

namespace tav {

struct TClipPoolLink {
    std::function<bool()> Exists;
    std::function<void(bool visible)> Create; // the first main menu creates it
    std::function<void()> ResetPlayers;
    std::function<void()> DetachDisplay;
    std::function<void()> Free;               // back to the multi menu
};

TClipPoolLink& ClipPoolLink();

bool ClipPoolExists();
void CreateClipPool(bool visible);
void ResetClipPool();
void DetachClipPoolDisplay();
void FreeClipPool();

} // namespace tav

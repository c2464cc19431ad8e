#pragma once
// Draws one frame of the film: the place, the characters as simple figures
// with their names and a mouth that moves with their speech, the dog, and a
// little motion (breathing, clouds, a passing train).
#include <QImage>
#include <map>
#include <string>
#include <vector>

#include "Story.h"

namespace demodisc {

constexpr int kFilmWidth = 352;
constexpr int kFilmHeight = 288;

struct TFrameState {
    std::string Setting;
    std::vector<int> Cast; // characters on screen, left to right
    int Speaker = -1;      // character speaking now
    float Mouth = 0;       // 0 closed .. 1 wide open
    bool Dog = false;
    bool DogBarking = false;
    double Seconds = 0;    // time on the film, drives the small motions
    double Train = -1;     // 0 .. 1 while a train passes, else -1
    bool Cake = false;
    bool Names = true;     // name plates over the figures
    double Arrival = 1;    // 0 .. 1: the cast walks in when a scene opens
    std::string Title;     // UTF-8 title card text, empty for none
    double TitleAlpha = 0;
};

class TScenePainter {
public:
    explicit TScenePainter(const TStory& story);
    QImage Paint(const TFrameState& state);

private:
    const QImage& Background(const std::string& setting);
    const TStory& story_;
    std::map<std::string, QImage> backgrounds_;
};

} // namespace demodisc

#pragma once
// Activity media that plays nothing and writes down what the screens asked
// for, so the activity screens can be driven step by step.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <QObject>

#include "activities/ActivityMedia.h"
#include "content/OurUtils.h"
#include "platform/Paths.h"

namespace tavtest {

struct FakeMedia : tav::IActivityMedia {
    std::vector<std::string> calls;
    std::vector<std::string> sounds;
    QObject* lastNotify = nullptr;
    int films = 0;
    bool playing = false; // what FilmPlaying answers
    void AttachDisplay(QWidget*) override { calls.push_back("attach"); }
    std::function<void()> onDetach;
    void DetachDisplay() override {
        calls.push_back("detach");
        if (onDetach) onDetach();
    }
    void PlayFilm(int from, int to, bool, QObject* notify) override {
        ++films;
        lastNotify = notify;
        calls.push_back("film " + std::to_string(from) + "-" + std::to_string(to));
    }
    void StopFilm() override { calls.push_back("stop"); }
    bool FilmPlaying() const override { return playing; }
    void PlaySound(const std::string& path, bool) override {
        if (!tav::FileExists(path)) throw tav::EProgramError("Missing sound file " + path);
        const size_t slash = path.find_last_of('\\');
        sounds.push_back(path.substr(slash + 1));
    }
    void CloseSounds() override {}
    bool Played(const std::string& name) const {
        return std::find(sounds.begin(), sounds.end(), name) != sounds.end();
    }
};

} // namespace tavtest

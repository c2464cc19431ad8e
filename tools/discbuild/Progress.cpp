#include "Progress.h"

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace discbuild {

TProgress::TProgress(std::FILE* out, std::vector<std::pair<std::string, double>> stages)
    : out_(out), terminal_(isatty(fileno(out)) != 0), stages_(std::move(stages)) {
    // The program's build screen reads "progress" lines instead of a bar.
    const char* mode = std::getenv("TAVOLIN_PROGRESS");
    lines_ = mode && std::strcmp(mode, "lines") == 0;
    if (lines_) terminal_ = false;
    for (const auto& s : stages_) total_ += s.second;
    clock_.start();
}

void TProgress::Begin(const std::string& stage) {
    doneBefore_ = 0;
    for (current_ = 0; current_ < stages_.size() && stages_[current_].first != stage; ++current_)
        doneBefore_ += stages_[current_].second;
    if (current_ == stages_.size()) stages_.push_back({stage, 0});
    fraction_ = 0;
    lastQuarter_ = -1;
    Draw(true);
}

void TProgress::Update(double fraction) {
    if (fraction >= 0) fraction_ = std::clamp(fraction, 0.0, 1.0);
    Draw(false);
}

void TProgress::Finish() {
    if (lines_) {
        std::fprintf(out_, "progress 1 0 done\n");
        std::fflush(out_);
        return;
    }
    if (terminal_) std::fprintf(out_, "\r\033[K");
    std::fprintf(out_, "done in %.1f s\n", clock_.elapsed() / 1000.0);
    std::fflush(out_);
}

void TProgress::Draw(bool force) {
    const double whole = total_ > 0 ? (doneBefore_ + fraction_ * stages_[current_].second) / total_ : 0;
    const double elapsed = clock_.elapsed() / 1000.0;
    const std::string& name = stages_[current_].first;
    if (lines_) {
        // "progress <whole 0..1> <seconds left, -1 unknown> <stage>", at most five a second.
        if (!force && clock_.elapsed() - lastDraw_ < 200) return;
        lastDraw_ = clock_.elapsed();
        const int left = whole > 0.02 ? int(elapsed / whole - elapsed) : -1;
        std::fprintf(out_, "progress %.4f %d %s\n", whole, left, name.c_str());
        std::fflush(out_);
        return;
    }
    if (!terminal_) {
        const int quarter = int(fraction_ * 4);
        if (force || quarter > lastQuarter_) {
            lastQuarter_ = quarter;
            std::fprintf(out_, "%3d%%  %s%s\n", int(whole * 100), name.c_str(),
                         force ? "" : (" " + std::to_string(quarter * 25) + "%").c_str());
            std::fflush(out_);
        }
        return;
    }
    if (!force && clock_.elapsed() - lastDraw_ < 200) return;
    lastDraw_ = clock_.elapsed();
    const int width = 30, filled = int(whole * width);
    std::string bar(size_t(filled), '#');
    bar.resize(size_t(width), '.');
    char left[32] = "";
    if (whole > 0.02) {
        const int secs = int(elapsed / whole - elapsed);
        std::snprintf(left, sizeof left, "%d:%02d left", secs / 60, secs % 60);
    }
    std::fprintf(out_, "\r\033[K[%s] %3d%%  %-22s %s", bar.c_str(), int(whole * 100), name.c_str(), left);
    std::fflush(out_);
}

} // namespace discbuild

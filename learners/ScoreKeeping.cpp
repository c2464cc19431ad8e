#include "learners/ScoreKeeping.h"

#include "content/OurUtils.h"

namespace tav {

int AwardLevel(int total) {
    if (total >= 375) return 3;
    if (total >= 350) return 2;
    if (total >= 300) return 1;
    return 0;
}

std::string AwardName(int total) {
    static const char* names[] = {"", "Bronze", "Silver", "Gold"};
    return names[AwardLevel(total)];
}

TResults ParseResults(const std::string& text) {
    TResults r{};
    std::string rest = text;
    for (int slot = 1; slot <= 4; ++slot) r[slot] = NextInt(rest, ',', 0);
    return r;
}

std::string FormatResults(const TResults& r) { return Format("%d,%d,%d,%d", r[1], r[2], r[3], r[4]); }

} // namespace tav

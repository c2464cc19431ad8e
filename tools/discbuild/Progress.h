#pragma once
// Build progress: on a terminal one bar with the stage and the time left,
// redrawn in place; otherwise a plain line when a stage starts and at every
// quarter of it; with TAVOLIN_PROGRESS=lines in the environment, lines
// "progress <fraction> <seconds left> <stage>" for the program's build screen.
#include <QElapsedTimer>
#include <cstdio>
#include <string>
#include <vector>

namespace discbuild {

class TProgress {
public:
    // Stages with their expected share of the work (any scale).
    TProgress(std::FILE* out, std::vector<std::pair<std::string, double>> stages);
    void Begin(const std::string& stage);
    // Fraction of the current stage done (0..1); negative: unknown.
    void Update(double fraction);
    void Finish();

private:
    void Draw(bool force);
    std::FILE* out_;
    bool terminal_;
    bool lines_ = false; // TAVOLIN_PROGRESS=lines: one machine-readable line per update
    std::vector<std::pair<std::string, double>> stages_;
    size_t current_ = 0;
    double fraction_ = 0, total_ = 0, doneBefore_ = 0;
    int lastQuarter_ = -1;
    qint64 lastDraw_ = -1000;
    QElapsedTimer clock_;
};

} // namespace discbuild

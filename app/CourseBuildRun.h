#pragma once
// One course being built: tavolin-disc build run as a process into the
// course library, its progress read from its "progress" lines, Cancel
// stopping it. The builder works in a hidden folder beside the course and
// moves it into place only when the disc loads, so a cancelled or failed
// build leaves nothing behind; the run removes that folder as well should
// the builder itself be killed.
#include <QObject>
#include <QProcess>

#include <functional>
#include <string>
#include <vector>

#include "app/CourseLibrary.h"

namespace tav {

struct TBuildProgress {
    double Fraction = 0;  // of the whole build, 0..1
    int SecondsLeft = -1; // -1 while unknown
    std::string Stage;    // the builder's stage ("reading the film", "film parts" ...)
};

// A "progress <fraction> <seconds left> <stage>" line; false for other lines.
bool ParseProgressLine(const std::string& line, TBuildProgress& progress);

// The builder's arguments for a request, building into root with its spoken
// words kept in cache.
std::vector<std::string> BuildArguments(const TCourseRequest& request, const std::string& root,
                                        const std::string& cache);

// Why a build failed, in plain words, from what the builder wrote: its own
// "tavolin-disc build: ..." reason without the program's name, else the
// last line it wrote, else the exit status.
std::string BuildFailureText(const std::string& builderOutput, int exitCode);

// tavolin-disc: $TAVOLIN_DISC_TOOL, beside the program, in the build tree
// (../tools/disc from the program's folder), then on the PATH; empty when
// none is found.
std::string DiscToolPath();

class TCourseBuildRun : public QObject {
    Q_OBJECT
public:
    explicit TCourseBuildRun(QObject* parent = nullptr);
    ~TCourseBuildRun() override;

    // Starts the build into root; false with the reason when the builder
    // cannot be started.
    bool Start(const TCourseRequest& request, const std::string& root, std::string& why);
    // Stops the build; OnFinished follows with Cancelled set.
    void Cancel();
    bool Running() const;
    const std::string& Root() const { return root_; }

    std::function<void(const TBuildProgress&)> OnProgress;
    // ok: the course is in place at Root(); otherwise why says what went
    // wrong (empty when cancelled) and nothing was left.
    std::function<void(bool ok, bool cancelled, const std::string& why)> OnFinished;

private:
    void ReadOutput();
    void Finished(int exitCode, QProcess::ExitStatus status);
    void RemoveLeftovers();

    QProcess process_;
    std::string root_, pending_, output_;
    bool cancelled_ = false;
};

} // namespace tav

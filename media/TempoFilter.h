#pragma once
// Sound played slower or faster with its pitch kept: FFmpeg's atempo filter
// on interleaved stereo float samples. Feed the samples in order, then
// Finish once for the tail the filter still holds. Not thread-safe: the
// decode worker that plays the range owns it.
#include <cstddef>
#include <string>
#include <vector>

struct AVFilterGraph;
struct AVFilterContext;
struct AVFrame;

namespace tav {

class TTempoFilter {
public:
    // tempo: 0.5 .. 2 (below 1 is slower). Throws EMediaError when the filter
    // cannot be built.
    TTempoFilter(double tempo, int sampleRate);
    ~TTempoFilter();
    TTempoFilter(const TTempoFilter&) = delete;
    TTempoFilter& operator=(const TTempoFilter&) = delete;

    // Appends the filtered samples available so far to out.
    void Feed(const float* stereo, size_t frames, std::vector<float>& out);
    // No more input: appends everything left in the filter to out. The
    // whole output is then exactly the input's length divided by the tempo.
    void Finish(std::vector<float>& out);

    double Tempo() const { return tempo_; }

private:
    void Push(const float* stereo, size_t frames);
    void Drain(std::vector<float>& out);

    double tempo_;
    int rate_;
    long long nextPts_ = 0;    // input frames fed
    long long outFrames_ = 0;  // output frames handed out
    bool finished_ = false;
    AVFilterGraph* graph_ = nullptr;
    AVFilterContext* source_ = nullptr;
    AVFilterContext* sink_ = nullptr;
    AVFrame* frame_ = nullptr;
};

} // namespace tav

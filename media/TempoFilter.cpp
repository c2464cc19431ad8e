#include "media/TempoFilter.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

#include <cmath>
#include <cstring>

#include "media/MediaDecoder.h"

namespace tav {

TTempoFilter::TTempoFilter(double tempo, int sampleRate) : tempo_(tempo), rate_(sampleRate) {
    const auto fail = [this](const std::string& why) {
        avfilter_graph_free(&graph_);
        av_frame_free(&frame_);
        throw EMediaError("the sound cannot be slowed: " + why);
    };
    graph_ = avfilter_graph_alloc();
    frame_ = av_frame_alloc();
    if (!graph_ || !frame_) fail("out of memory");
    const std::string args = "time_base=1/" + std::to_string(rate_) + ":sample_rate=" + std::to_string(rate_) +
                             ":sample_fmt=flt:channel_layout=stereo";
    if (avfilter_graph_create_filter(&source_, avfilter_get_by_name("abuffer"), "in", args.c_str(), nullptr,
                                     graph_) < 0)
        fail("no sound source filter");
    if (avfilter_graph_create_filter(&sink_, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr, graph_) <
        0)
        fail("no sound sink filter");
    // The format converter keeps the output exactly what the mixer takes.
    const std::string chain = "atempo=tempo=" + std::to_string(tempo_) +
                              ",aformat=sample_fmts=flt:channel_layouts=stereo:sample_rates=" + std::to_string(rate_);
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    if (!outputs || !inputs) {
        avfilter_inout_free(&outputs);
        avfilter_inout_free(&inputs);
        fail("out of memory");
    }
    outputs->name = av_strdup("in");
    outputs->filter_ctx = source_;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink_;
    int rc = avfilter_graph_parse_ptr(graph_, chain.c_str(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&outputs);
    avfilter_inout_free(&inputs);
    if (rc < 0 || avfilter_graph_config(graph_, nullptr) < 0) fail("atempo " + std::to_string(tempo_));
}

TTempoFilter::~TTempoFilter() {
    avfilter_graph_free(&graph_);
    av_frame_free(&frame_);
}

void TTempoFilter::Feed(const float* stereo, size_t frames, std::vector<float>& out) {
    if (finished_ || frames == 0) return;
    Push(stereo, frames);
    Drain(out);
}

void TTempoFilter::Push(const float* stereo, size_t frames) {
    AVFrame* in = av_frame_alloc();
    if (!in) return;
    in->format = AV_SAMPLE_FMT_FLT;
    in->sample_rate = rate_;
    in->nb_samples = static_cast<int>(frames);
    av_channel_layout_default(&in->ch_layout, 2);
    in->pts = nextPts_;
    nextPts_ += static_cast<long long>(frames);
    if (av_frame_get_buffer(in, 0) == 0) {
        std::memcpy(in->data[0], stereo, frames * 2 * sizeof(float));
        if (av_buffersrc_add_frame_flags(source_, in, 0) < 0) finished_ = true; // takes the frame's data
    }
    av_frame_free(&in);
}

void TTempoFilter::Finish(std::vector<float>& out) {
    if (finished_) return;
    // The filter keeps back part of its last window at the end of the data:
    // a little silence pushes the input's true tail out, and the output is
    // then cut where the slowed input ends.
    const long long expected = std::llround(double(nextPts_) / tempo_);
    const std::vector<float> silence(size_t(rate_ / 10) * 2, 0.0f);
    Push(silence.data(), silence.size() / 2);
    const size_t before = out.size();
    if (!finished_ && av_buffersrc_add_frame_flags(source_, nullptr, 0) >= 0) Drain(out);
    finished_ = true;
    const long long extra = outFrames_ - expected;
    if (extra > 0) {
        const size_t appended = (out.size() - before) / 2;
        const size_t cut = size_t(std::min<long long>(extra, static_cast<long long>(appended)));
        out.resize(out.size() - cut * 2);
        outFrames_ -= static_cast<long long>(cut);
    }
}

void TTempoFilter::Drain(std::vector<float>& out) {
    while (av_buffersink_get_frame(sink_, frame_) >= 0) {
        const auto* samples = reinterpret_cast<const float*>(frame_->data[0]);
        out.insert(out.end(), samples, samples + static_cast<size_t>(frame_->nb_samples) * 2);
        outFrames_ += frame_->nb_samples;
        av_frame_unref(frame_);
    }
}

} // namespace tav

#pragma once
// Owning handles for the libav objects the builder's readers open, so that
// every way out of a reader frees them.
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

namespace discbuild {

struct TFormatCloser {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct TCodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct TSwrCloser {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct TPacketCloser {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct TFrameCloser {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};

using TFormatHandle = std::unique_ptr<AVFormatContext, TFormatCloser>;
using TCodecHandle = std::unique_ptr<AVCodecContext, TCodecCloser>;
using TSwrHandle = std::unique_ptr<SwrContext, TSwrCloser>;
using TPacketHandle = std::unique_ptr<AVPacket, TPacketCloser>;
using TFrameHandle = std::unique_ptr<AVFrame, TFrameCloser>;

} // namespace discbuild

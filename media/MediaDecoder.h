#pragma once
// One open media file: demuxing, decoding and frame conversion on FFmpeg.
// Not thread-safe: one thread at a time drives it (the UI thread for a seek
// while stopped, the player's worker thread while it plays).
//
// Times are microseconds from the start of the media (the first video
// frame, or the first sound for sound files).
#include <QImage>
#include <QSize>

#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;
struct SwrContext;

namespace tav {

// A failure of the media engine; the text is a clear English reason.
class EMediaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TVideoFrame {
    int64_t PtsUs = 0;
    QImage Image; // RGB32 at the coded size
};

struct TAudioChunk {
    int64_t StartUs = 0;
    std::vector<float> Samples; // interleaved stereo at the output rate
    size_t Frames() const { return Samples.size() / 2; }
};

class TMediaDecoder {
public:
    // Opens path; audioRate is the rate sound is resampled to. Throws
    // EMediaError when the file cannot be opened or holds nothing playable.
    TMediaDecoder(const std::string& path, int audioRate);
    ~TMediaDecoder();
    TMediaDecoder(const TMediaDecoder&) = delete;
    TMediaDecoder& operator=(const TMediaDecoder&) = delete;

    bool HasVideo() const { return videoIndex_ >= 0; }
    bool HasAudio() const { return audioIndex_ >= 0; }
    QSize NaturalSize() const { return naturalSize_; }
    int64_t DurationUs() const { return durationUs_; }
    int64_t FrameDurationUs() const { return frameDurUs_; }
    int AudioRate() const { return audioRate_; }

    // Positions the stream so that playback continues from targetUs. For
    // video, out receives the frame whose time span contains targetUs (the
    // last frame when targetUs lies beyond the end) and true is returned.
    // Key frame first, then decoding forward; frames that nothing refers to
    // are skipped until the target is near.
    bool SeekExact(int64_t targetUs, TVideoFrame* out);

    // True when the last SeekExact landed on the frame containing targetUs
    // and nothing was read since, so playback from targetUs can go on from
    // here without seeking again.
    bool IsPositionedAt(int64_t targetUs) const;
    const TVideoFrame& HeldFrame() const { return held_; }

    enum class TItem { Video, Audio, End, Error };
    // The next decoded item in stream order.
    TItem Next(TVideoFrame& video, TAudioChunk& audio);
    std::string LastError() const { return lastError_; }

    // Frames decoded and frames skipped unseen, for diagnostics and benchmarks.
    int64_t DecodedFrames() const { return decodedFrames_; }

    // Frees the picture buffers kept for reuse (a play has ended; pictures
    // still shown keep theirs).
    void ReleaseSpareBuffers();

private:
    void Release();
    void AlignToFirstPicture();
    void MeasurePictureEnd();
    void OpenCodec(int index, AVCodecContext** ctx);
    bool ReadAndDecode();         // one packet; false at end of data
    void ReceiveVideo();
    void ReceiveAudio();
    void Flush();
    void DemuxSeek(int64_t targetUs);
    int64_t StreamUs(int index, int64_t ts) const;
    QImage Convert(AVFrame* frame);

    // Converted pictures' buffers, given back when the last QImage sharing
    // one is gone (on whichever thread that is) and reused for later frames:
    // a fresh multi-megabyte buffer per frame costs page faults and zeroing
    // in the kernel and cold stores in the conversion.
    struct TBufferPool;
    std::shared_ptr<TBufferPool> pool_;
    std::string path_;
    int audioRate_;
    AVFormatContext* fmt_ = nullptr;
    AVCodecContext* vctx_ = nullptr;
    AVCodecContext* actx_ = nullptr;
    AVPacket* pkt_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwsContext* sws_ = nullptr;
    SwrContext* swr_ = nullptr;
    int videoIndex_ = -1, audioIndex_ = -1;
    QSize naturalSize_;
    int64_t durationUs_ = 0;
    int64_t frameDurUs_ = 40000;
    int64_t originUs_ = 0;

    // Decoded items waiting to be handed out. Video frames stay in decoder
    // form until they are wanted, so frames dropped by a seek cost no
    // conversion.
    struct FrameFree { void operator()(AVFrame* f) const; };
    using RawFrame = std::unique_ptr<AVFrame, FrameFree>;
    struct RawVideo { int64_t PtsUs; RawFrame Frame; };
    std::deque<RawVideo> videoOut_;
    std::deque<TAudioChunk> audioOut_;
    bool eof_ = false;      // demuxer exhausted and decoders drained
    bool readError_ = false;
    int64_t lastVideoUs_ = INT64_MIN; // time of the last picture out of the decoder
    bool draining_ = false;

    // While seeking: target and the key frame rule.
    bool seeking_ = false;
    int64_t seekTargetUs_ = 0;
    bool awaitKey_ = false;
    int64_t keyPtsUs_ = INT64_MIN;
    int64_t nextAudioUs_ = 0;

    bool positioned_ = false;
    TVideoFrame held_;
    std::string lastError_;
    int64_t decodedFrames_ = 0;
};

} // namespace tav

#pragma once
// One film line taken out of its part file: its sound cut to the line's time
// range, its picture, and the sound encoded as MP3. Used by the Anki export
// and the studio's shadowing view; reads the film with its own decoder, so
// the clip pool's players are never disturbed.
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace tav {

// A stretch of one film part file, in microseconds from the file's start.
struct TFilmRange {
    std::string File; // native path of the part file
    int64_t StartUs = 0;
    int64_t EndUs = 0;
};

struct TLineCut {
    int SampleRate = 0;
    std::vector<float> Stereo; // interleaved left/right, exactly the range's length
    QImage Picture;            // the frame at the middle of the range, at the film's shape
};

// Decodes the range once: sound resampled to sampleRate (silence where the
// film has none), the picture when withPicture. Throws EMediaError with a
// clear reason when the file cannot be read or the range is empty.
TLineCut CutFilmRange(const TFilmRange& range, int sampleRate, bool withPicture);

// Left and right mixed down to one channel.
std::vector<float> MixToMono(const std::vector<float>& stereo);

// Encodes interleaved stereo as an MP3 file image (with the encoder-delay
// header, so decoders give back exactly the samples put in). Throws
// EMediaError when no MP3 encoder is available or encoding fails.
QByteArray EncodeMp3(const std::vector<float>& stereo, int sampleRate);

// A JPEG image of the picture (quality 90); empty when the picture is null.
QByteArray EncodeJpeg(const QImage& picture);

} // namespace tav

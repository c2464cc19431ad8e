#include "TrackSubtitles.h"

#include "AvHandles.h"

#include "FilmTracks.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <new>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

namespace discbuild {

namespace {

// Sizes read from the file are checked against these before any buffer is
// made from them: no subtitle picture is larger than a 8K frame.
constexpr int kMaxPictureSide = 8192;
constexpr int64_t kMaxPictureArea = 8192LL * 4320;
constexpr unsigned kMaxRects = 64;
constexpr int kMaxProblems = 50;
constexpr int kOpenCueMs = 5000; // a cue with no end of its own, when nothing follows it

std::string Trim(const std::string& s) {
    size_t a = 0, e = s.size();
    while (a < e && (unsigned char)s[a] <= ' ') ++a;
    while (e > a && (unsigned char)s[e - 1] <= ' ') --e;
    return s.substr(a, e - a);
}

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\n') {
            const std::string t = Trim(text.substr(start, i - start));
            if (!t.empty()) lines.push_back(t);
            start = i + 1;
        }
    return lines;
}

std::string AvError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

std::string Clock(int ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return buf;
}

// One subtitle event as the track holds it, before speakers and turns.
struct TEvent {
    int StartMs = 0;
    int EndMs = -1; // -1: until the next event
    std::string Speaker;
    std::vector<std::string> Lines; // markup removed
};

// An ASS event line as libavcodec hands it over: "ReadOrder,Layer,Style,
// Name,MarginL,MarginR,MarginV,Effect,Text" (older versions wrote a whole
// "Dialogue: Layer,Start,End,Style,Name,..." line). Drawings ({\p1} ...
// {\p0}) are shapes, not words, and are left out.
void AddAssEvent(const std::string& ass, TEvent& ev) {
    std::string line = ass;
    size_t nameField = 3, textField = 8;
    if (line.rfind("Dialogue:", 0) == 0) {
        line = line.substr(9);
        nameField = 4;
        textField = 9;
    }
    std::vector<std::string> fields;
    size_t start = 0;
    while (fields.size() < textField) {
        const size_t comma = line.find(',', start);
        if (comma == std::string::npos) break;
        fields.push_back(Trim(line.substr(start, comma - start)));
        start = comma + 1;
    }
    if (fields.size() < textField) { // not an event line: take it as text
        fields.clear();
        start = 0;
    }
    QString text = QString::fromUtf8(line.substr(start).c_str());
    static const QRegularExpression drawing("\\{[^}]*\\\\p[1-9][^}]*\\}[^{]*");
    text.remove(drawing);
    if (ev.Speaker.empty() && fields.size() > nameField) ev.Speaker = fields[nameField];
    for (std::string& l : TextLines(StripSubtitleMarkup(text.toUtf8().toStdString()))) ev.Lines.push_back(std::move(l));
}

// The events as a WebVTT document for the subtitle file reader, which then
// gives track cues the same speakers, dialogue turns and sound cues as a
// separate file: the ASS name becomes a <v> voice, text is escaped so that
// nothing in it reads as markup or as a time line. lineOfEvent gets the
// document line of every event's time line.
std::string AsWebVtt(const std::vector<TEvent>& events, std::vector<int>& lineOfEvent) {
    std::string doc = "WEBVTT\n";
    int line = 1;
    lineOfEvent.clear();
    for (const TEvent& ev : events) {
        doc += "\n";
        line += 2;
        lineOfEvent.push_back(line);
        doc += Clock(ev.StartMs) + " --> " + Clock(ev.EndMs) + "\n";
        for (size_t k = 0; k < ev.Lines.size(); ++k) {
            std::string text;
            if (k == 0 && !ev.Speaker.empty()) {
                std::string name;
                for (char c : ev.Speaker)
                    if (c != '<' && c != '>' && c != '\n') name += c;
                if (!Trim(name).empty()) text = "<v " + Trim(name) + ">";
            }
            for (char c : ev.Lines[k]) {
                if (c == '&') text += "&amp;";
                else if (c == '<') text += "&lt;";
                else if (c == '>') text += "&gt;";
                else text += c;
            }
            doc += text + "\n";
            ++line;
        }
    }
    return doc;
}

// ---- pictures -----------------------------------------------------------

struct TGrey {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Pixels; // 0 black .. 255 white, rows without padding
};

// The bitmap rects of one display set on white, the text dark: the brightest
// opaque colour is the letters' fill (an outline is darker and turns white),
// and a picture in a single colour is read by its opacity alone.
bool ComposePicture(const AVSubtitle& sub, TGrey& out, std::string& problem) {
    int x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
    std::vector<const AVSubtitleRect*> rects;
    for (unsigned i = 0; i < sub.num_rects && i < kMaxRects; ++i) {
        const AVSubtitleRect* r = sub.rects[i];
        if (!r || r->type != SUBTITLE_BITMAP || r->w <= 0 || r->h <= 0 || !r->data[0] || !r->data[1]) continue;
        if (r->w > kMaxPictureSide || r->h > kMaxPictureSide || r->x < 0 || r->y < 0 || r->x > kMaxPictureSide ||
            r->y > kMaxPictureSide || r->linesize[0] < r->w) {
            problem = "a subtitle picture of impossible size (" + std::to_string(r->w) + " x " + std::to_string(r->h) +
                      "); skipped";
            return false;
        }
        rects.push_back(r);
        x0 = std::min(x0, r->x);
        y0 = std::min(y0, r->y);
        x1 = std::max(x1, r->x + r->w);
        y1 = std::max(y1, r->y + r->h);
    }
    if (rects.empty()) return true; // a clearing display set
    if (int64_t(x1 - x0) * (y1 - y0) > kMaxPictureArea) {
        problem = "a subtitle picture too large to read (" + std::to_string(x1 - x0) + " x " + std::to_string(y1 - y0) +
                  "); skipped";
        return false;
    }
    out.Width = x1 - x0;
    out.Height = y1 - y0;
    out.Pixels.assign(size_t(out.Width) * out.Height, 255);
    for (const AVSubtitleRect* r : rects) {
        const int colours = std::clamp(r->nb_colors, 1, 256);
        const uint32_t* palette = reinterpret_cast<const uint32_t*>(r->data[1]);
        std::vector<int64_t> used(colours, 0);
        for (int y = 0; y < r->h; ++y)
            for (int x = 0; x < r->w; ++x) {
                const int c = r->data[0][size_t(y) * r->linesize[0] + x];
                if (c < colours) ++used[c];
            }
        int minLum = 256, maxLum = -1;
        std::vector<int> lum(colours), alpha(colours);
        for (int c = 0; c < colours; ++c) {
            const uint32_t argb = palette[c];
            alpha[c] = int(argb >> 24);
            lum[c] = int((299 * ((argb >> 16) & 255) + 587 * ((argb >> 8) & 255) + 114 * (argb & 255)) / 1000);
            if (used[c] && alpha[c] >= 128) {
                minLum = std::min(minLum, lum[c]);
                maxLum = std::max(maxLum, lum[c]);
            }
        }
        std::vector<uint8_t> grey(256, 255);
        for (int c = 0; c < colours; ++c) {
            double ink = alpha[c] / 255.0;
            if (maxLum - minLum >= 64) ink *= std::clamp(double(lum[c] - minLum) / (maxLum - minLum), 0.0, 1.0);
            grey[c] = uint8_t(std::lround(255 * (1 - ink)));
        }
        for (int y = 0; y < r->h; ++y) {
            uint8_t* row = &out.Pixels[size_t(r->y - y0 + y) * out.Width + (r->x - x0)];
            const uint8_t* src = r->data[0] + size_t(y) * r->linesize[0];
            for (int x = 0; x < r->w; ++x) row[x] = std::min(row[x], grey[src[x]]);
        }
    }
    return true;
}

// The picture cut to its ink, scaled up when the letters are small (OCR reads
// letters some 30 pixels high best) and framed in white. False when no pixel
// is dark: the display set shows nothing.
bool PrepareForOcr(TGrey& g) {
    int x0 = g.Width, y0 = g.Height, x1 = -1, y1 = -1;
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x)
            if (g.Pixels[size_t(y) * g.Width + x] < 160) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
    if (x1 < 0) return false;
    const int w = x1 - x0 + 1, h = y1 - y0 + 1;
    const int scale = h < 40 ? 3 : h < 100 ? 2 : 1;
    const int margin = 20;
    TGrey s;
    s.Width = w * scale + 2 * margin;
    s.Height = h * scale + 2 * margin;
    s.Pixels.assign(size_t(s.Width) * s.Height, 255);
    auto at = [&](int x, int y) {
        x = std::clamp(x, 0, w - 1);
        y = std::clamp(y, 0, h - 1);
        return double(g.Pixels[size_t(y + y0) * g.Width + x + x0]);
    };
    for (int y = 0; y < h * scale; ++y) {
        const double fy = (y + 0.5) / scale - 0.5;
        const int iy = int(std::floor(fy));
        const double dy = fy - iy;
        for (int x = 0; x < w * scale; ++x) {
            const double fx = (x + 0.5) / scale - 0.5;
            const int ix = int(std::floor(fx));
            const double dx = fx - ix;
            const double v = (at(ix, iy) * (1 - dx) + at(ix + 1, iy) * dx) * (1 - dy) +
                             (at(ix, iy + 1) * (1 - dx) + at(ix + 1, iy + 1) * dx) * dy;
            s.Pixels[size_t(y + margin) * s.Width + x + margin] = uint8_t(std::lround(v));
        }
    }
    g = std::move(s);
    return true;
}

struct TOcr {
    tesseract::TessBaseAPI Api;
    int DeadlineMs = 5000;

    // Text lines and the mean word confidence (0 when nothing was read).
    std::vector<std::string> Read(const TGrey& g, int& confidence) {
        Api.SetImage(g.Pixels.data(), g.Width, g.Height, 1, g.Width);
        Api.SetSourceResolution(300);
        tesseract::ETEXT_DESC monitor;
        monitor.set_deadline_msecs(DeadlineMs);
        confidence = 0;
        if (Api.Recognize(&monitor) != 0) return {};
        std::unique_ptr<char[]> text(Api.GetUTF8Text());
        std::unique_ptr<int[]> confs(Api.AllWordConfidences());
        std::vector<std::string> lines = text ? TextLines(text.get()) : std::vector<std::string>{};
        if (confs && !lines.empty()) {
            long sum = 0, n = 0;
            for (int i = 0; confs[i] >= 0; ++i, ++n) sum += confs[i];
            confidence = n ? int(sum / n) : 0;
        }
        return lines;
    }
};

bool IsCjk(QChar c) {
    const ushort u = c.unicode();
    return (u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) ||
           (u >= 0xFF00 && u <= 0xFFEF) || c.isHighSurrogate() || c.isLowSurrogate();
}

// Tesseract puts spaces between Chinese and Japanese characters and reads
// their full-width ? and ! as ASCII; the text is given back as it is written.
std::string JoinCjk(const std::string& line) {
    const QString in = QString::fromUtf8(line.c_str());
    QString out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        QChar c = in[i];
        if (c == ' ') {
            qsizetype next = i + 1;
            while (next < in.size() && in[next] == ' ') ++next;
            const bool cjkBefore = !out.isEmpty() && IsCjk(out.back());
            const bool cjkAfter = next < in.size() && IsCjk(in[next]);
            if (cjkBefore || cjkAfter) {
                i = next - 1;
                continue;
            }
        }
        if ((c == '?' || c == '!') && !out.isEmpty() && IsCjk(out.back())) c = QChar(c == '?' ? 0xFF1F : 0xFF01);
        out += c;
    }
    return out.toUtf8().toStdString();
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += (s.empty() ? "" : " ") + l;
    return s;
}


class TTrackReader {
public:
    TTrackReader(const std::string& film, int index, const TOcrOptions& ocr, TOcrReport& report,
                 const TTrackProgressFn& progress)
        : film_(film), index_(index), options_(ocr), report_(report), progress_(progress) {}

    TSubtitleFile Read();

private:
    bool Fail(const std::string& why) {
        report_.Error = why;
        return false;
    }
    void Problem(int event, const std::string& text) {
        if (problems_.size() < size_t(kMaxProblems)) problems_.push_back({event, text});
        else if (problems_.size() == size_t(kMaxProblems)) problems_.push_back({0, "more problems were not listed"});
    }
    bool Open();
    bool StartOcr();
    void Take(const AVSubtitle& sub, int startMs, int endMs);
    void TakePicture(const AVSubtitle& sub, int startMs, int endMs);
    void CloseOpen(int atMs);

    std::string film_;
    int index_;
    TOcrOptions options_;
    TOcrReport& report_;
    const TTrackProgressFn& progress_;
    TFormatHandle fmt_;
    TCodecHandle codec_;
    AVStream* stream_ = nullptr;
    bool pictures_ = false;
    std::string codecName_;
    std::unique_ptr<TOcr> ocr_;
    std::vector<TEvent> events_;
    std::vector<TSubtitleProblem> problems_;
    int64_t confidenceSum_ = 0;
};

bool TTrackReader::Open() {
    const QFileInfo info(QString::fromStdString(film_));
    if (!info.exists()) return Fail("the film " + film_ + " does not exist");
    if (!info.isFile() || !info.isReadable()) return Fail("the film " + film_ + " is not a file that can be read");
    AVFormatContext* fmt = nullptr;
    int rc = avformat_open_input(&fmt, film_.c_str(), nullptr, nullptr);
    if (rc < 0)
        return Fail(rc == AVERROR_INVALIDDATA ? "the film " + film_ + " is damaged or in a format ffmpeg does not know"
                                              : "the film " + film_ + " cannot be opened: " + AvError(rc));
    fmt_.reset(fmt);
    if ((rc = avformat_find_stream_info(fmt, nullptr)) < 0)
        return Fail("the film " + film_ + " is damaged: its tracks cannot be read (" + AvError(rc) + ")");
    if (index_ < 0 || unsigned(index_) >= fmt->nb_streams)
        return Fail("the film " + film_ + " has no track " + std::to_string(index_) + " (it has " +
                    std::to_string(fmt->nb_streams) + " streams, from 0)");
    stream_ = fmt->streams[index_];
    const AVCodecParameters* par = stream_->codecpar;
    codecName_ = avcodec_get_name(par->codec_id);
    if (par->codec_type != AVMEDIA_TYPE_SUBTITLE) {
        const char* kind = av_get_media_type_string(par->codec_type);
        return Fail("track " + std::to_string(index_) + " of the film is " + (kind ? kind : "data") + " (" +
                    codecName_ + "), not subtitles");
    }
    const AVCodecDescriptor* desc = avcodec_descriptor_get(par->codec_id);
    pictures_ = desc && (desc->props & AV_CODEC_PROP_BITMAP_SUB);
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    if (!decoder) return Fail("ffmpeg cannot decode the subtitle format " + codecName_ + " of track " + std::to_string(index_));
    codec_.reset(avcodec_alloc_context3(decoder));
    if (!codec_) return Fail("not enough memory to decode the subtitles");
    rc = avcodec_parameters_to_context(codec_.get(), par);
    if (rc >= 0) {
        codec_->pkt_timebase = stream_->time_base; // durations of text events are in it
        rc = avcodec_open2(codec_.get(), decoder, nullptr);
    }
    if (rc < 0)
        return Fail("ffmpeg cannot decode track " + std::to_string(index_) + " (" + codecName_ + "): " + AvError(rc));
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        if (int(i) != index_) fmt->streams[i]->discard = AVDISCARD_ALL;
    return true;
}

bool TTrackReader::StartOcr() {
    const AVDictionaryEntry* tag = av_dict_get(stream_->metadata, "language", nullptr, 0);
    std::string two = TwoLetterLanguage(!options_.Language.empty() ? options_.Language
                                        : tag && tag->value       ? std::string(tag->value)
                                                                  : std::string());
    if (two.empty()) two = "en";
    const std::string lang = TesseractLanguage(two);
    if (lang.empty())
        return Fail("Tesseract cannot read the language \"" + two + "\" of this picture track");
    report_.Language = lang;
    ocr_ = std::make_unique<TOcr>();
    ocr_->DeadlineMs = std::max(100, options_.DeadlineMs);
    const char* path = options_.DataPath.empty() ? nullptr : options_.DataPath.c_str();
    if (ocr_->Api.Init(path, lang.c_str(), tesseract::OEM_LSTM_ONLY) != 0) {
        ocr_.reset();
        return Fail("OCR cannot read this picture track: Tesseract has no data for the language " + lang +
                    " (install the Debian package " + TesseractPackage(lang) + ")");
    }
    ocr_->Api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    return true;
}

void TTrackReader::CloseOpen(int atMs) {
    if (!events_.empty() && (events_.back().EndMs < 0 || events_.back().EndMs > atMs))
        events_.back().EndMs = std::max(atMs, events_.back().StartMs);
    std::vector<TOcrCue>& dropped = report_.Dropped;
    if (!dropped.empty() && (dropped.back().EndMs < 0 || dropped.back().EndMs > atMs))
        dropped.back().EndMs = std::max(atMs, dropped.back().StartMs);
}

void TTrackReader::Take(const AVSubtitle& sub, int startMs, int endMs) {
    if (pictures_) {
        TakePicture(sub, startMs, endMs);
        return;
    }
    TEvent ev;
    ev.StartMs = startMs;
    ev.EndMs = endMs;
    for (unsigned i = 0; i < sub.num_rects && i < kMaxRects; ++i) {
        const AVSubtitleRect* r = sub.rects[i];
        if (!r) continue;
        if (r->type == SUBTITLE_ASS && r->ass) AddAssEvent(r->ass, ev);
        else if (r->type == SUBTITLE_TEXT && r->text)
            for (std::string& l : TextLines(StripSubtitleMarkup(r->text))) ev.Lines.push_back(std::move(l));
    }
    if (ev.Lines.empty()) return;
    if (!events_.empty() && events_.back().EndMs < 0) events_.back().EndMs = std::max(startMs, events_.back().StartMs);
    events_.push_back(std::move(ev));
}

void TTrackReader::TakePicture(const AVSubtitle& sub, int startMs, int endMs) {
    TGrey picture;
    std::string problem;
    if (!ComposePicture(sub, picture, problem)) {
        Problem(int(events_.size()) + 1, Clock(startMs) + ": " + problem);
        return;
    }
    // Every display set ends the one shown before it; an empty one shows nothing.
    CloseOpen(startMs);
    if (picture.Pixels.empty() || !PrepareForOcr(picture)) return;
    int confidence = 0;
    std::vector<std::string> lines = ocr_->Read(picture, confidence);
    if (report_.Language == "jpn" || report_.Language == "chi_sim")
        for (std::string& l : lines) l = JoinCjk(l);
    ++report_.Pictures;
    confidenceSum_ += confidence;
    if (lines.empty() || confidence < options_.MinConfidence) {
        // Noise read as letters can be long: the report keeps its start.
        std::string text = JoinLines(lines);
        if (text.size() > 160) {
            size_t cut = 160;
            while (cut > 0 && (uint8_t(text[cut]) & 0xC0) == 0x80) --cut;
            text = text.substr(0, cut) + "...";
        }
        report_.Dropped.push_back({startMs, endMs, text, confidence});
        return;
    }
    ++report_.Kept;
    // The same words shown again at once (a picture redrawn) make one cue.
    if (!events_.empty() && events_.back().Lines == lines && events_.back().EndMs >= startMs - 100) {
        events_.back().EndMs = endMs;
        return;
    }
    TEvent ev;
    ev.StartMs = startMs;
    ev.EndMs = endMs;
    ev.Lines = lines;
    events_.push_back(std::move(ev));
}

TSubtitleFile TTrackReader::Read() {
    TSubtitleFile out;
    out.Encoding = "UTF-8";
    report_ = TOcrReport();
    auto failed = [&] {
        out.Cues.clear();
        out.Problems.insert(out.Problems.begin(), {0, report_.Error});
        return out;
    };
    if (!Open()) return failed();
    out.Format = pictures_ ? "OCR (" + codecName_ + ")"
                 : codecName_ == "subrip" ? "SRT"
                 : codecName_ == "ass" || codecName_ == "ssa" ? "ASS"
                 : codecName_ == "webvtt" ? "WebVTT"
                                          : codecName_;
    if (pictures_ && !StartOcr()) return failed();

    AVFormatContext* fmt = fmt_.get();
    const int64_t origin = fmt->start_time != AV_NOPTS_VALUE ? av_rescale_q(fmt->start_time, AV_TIME_BASE_Q, {1, 1000}) : 0;
    const int64_t durationMs = fmt->duration > 0 ? fmt->duration / 1000 : 0;
    TPacketHandle pkt(av_packet_alloc());
    if (!pkt) {
        Fail("not enough memory to read the film");
        return failed();
    }
    int readErrors = 0;
    int lastEndMs = 0;
    for (;;) {
        const int rc = av_read_frame(fmt, pkt.get());
        if (rc == AVERROR_EOF) break;
        if (rc < 0) { // the demuxer skips damage itself; an error that keeps coming ends the reading
            if (++readErrors > 100) {
                Problem(0, "the film is damaged after " + Clock(lastEndMs) + " (" + AvError(rc) +
                               "); the track's cues after it are missing");
                break;
            }
            continue;
        }
        if (pkt->stream_index != index_) {
            av_packet_unref(pkt.get());
            continue;
        }
        const int64_t pts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
        if (pts == AV_NOPTS_VALUE) {
            Problem(int(events_.size()) + 1, "a subtitle without a time; skipped");
            av_packet_unref(pkt.get());
            continue;
        }
        const int64_t atMs = av_rescale_q(pts, stream_->time_base, {1, 1000}) - origin;
        const int64_t packetMs = pkt->duration > 0 ? av_rescale_q(pkt->duration, stream_->time_base, {1, 1000}) : 0;
        AVSubtitle sub{};
        int got = 0;
        const int dec = avcodec_decode_subtitle2(codec_.get(), &sub, &got, pkt.get());
        av_packet_unref(pkt.get());
        if (dec < 0) {
            Problem(int(events_.size()) + 1, Clock(int(std::clamp<int64_t>(atMs, 0, INT32_MAX))) +
                                                 ": a damaged subtitle could not be decoded; skipped");
            continue;
        }
        if (got) {
            // 100 hours is no film's length; such times are damage.
            // The container's duration is exact; the decoder's end can be
            // coarse (DVD counts in 1/88 s, DVB in seconds) or absent (PGS).
            int64_t start = atMs + sub.start_display_time, end = -1;
            if (packetMs > 0)
                end = atMs + packetMs;
            else if (sub.end_display_time > sub.start_display_time && sub.end_display_time != UINT32_MAX)
                end = atMs + sub.end_display_time;
            constexpr int64_t kMaxMs = 99LL * 3600 * 1000;
            if (start < 0) start = 0;
            if (start > kMaxMs || end > kMaxMs) {
                Problem(int(events_.size()) + 1, "a subtitle at an impossible time; skipped");
            } else {
                Take(sub, int(start), int(end));
                lastEndMs = int(std::max<int64_t>(start, end));
            }
            avsubtitle_free(&sub);
        }
        if (progress_ && !progress_(durationMs > 0 ? std::clamp(double(atMs) / durationMs, 0.0, 1.0) : -1.0)) {
            Fail("stopped");
            return failed();
        }
    }
    // The last cue without an end of its own lasts until the film ends.
    auto closeLast = [&](int start, int& end) {
        if (end >= 0) return;
        end = int(std::min<int64_t>(durationMs > 0 ? durationMs : INT32_MAX, start + kOpenCueMs));
        if (end <= start) end = start + kOpenCueMs;
    };
    if (!events_.empty()) closeLast(events_.back().StartMs, events_.back().EndMs);
    if (!report_.Dropped.empty()) closeLast(report_.Dropped.back().StartMs, report_.Dropped.back().EndMs);
    if (report_.Pictures) report_.MeanConfidence = double(confidenceSum_) / report_.Pictures;

    std::vector<int> lineOfEvent;
    const std::string vtt = AsWebVtt(events_, lineOfEvent);
    TSubtitleFile read = events_.empty() ? TSubtitleFile() : ReadSubtitles(vtt, "track.vtt");
    auto eventOfLine = [&](int line) {
        if (line <= 0) return 0;
        return int(std::upper_bound(lineOfEvent.begin(), lineOfEvent.end(), line) - lineOfEvent.begin());
    };
    out.Cues = std::move(read.Cues);
    for (TSubtitleCue& c : out.Cues) c.SourceLine = eventOfLine(c.SourceLine);
    out.Problems = problems_;
    for (const TSubtitleProblem& p : read.Problems)
        if (!(p.Line == 0 && p.Text == "no cue could be read")) out.Problems.push_back({eventOfLine(p.Line), p.Text});
    if (out.Cues.empty()) {
        if (pictures_ && report_.Pictures > 0)
            Fail("no picture of the track could be read well enough: " + std::to_string(report_.Pictures) +
                 " read with a mean confidence of " + std::to_string(int(report_.MeanConfidence)) + " (at least " +
                 std::to_string(options_.MinConfidence) + " needed)");
        else
            Fail("track " + std::to_string(index_) + " of the film holds no subtitle");
        return failed();
    }
    return out;
}

} // namespace

std::string TesseractLanguage(const std::string& two) {
    static const std::map<std::string, std::string> names = {
        {"en", "eng"}, {"fr", "fra"}, {"de", "deu"}, {"es", "spa"}, {"it", "ita"}, {"pt", "por"}, {"nl", "nld"},
        {"ja", "jpn"}, {"zh", "chi_sim"}, {"ko", "kor"}, {"ru", "rus"}, {"el", "ell"}, {"pl", "pol"},
        {"cs", "ces"}, {"tr", "tur"}, {"sv", "swe"}, {"da", "dan"}, {"fi", "fin"}, {"nb", "nor"}, {"no", "nor"},
        {"nn", "nor"}, {"hu", "hun"}, {"uk", "ukr"}, {"bg", "bul"}, {"hr", "hrv"}, {"sr", "srp"}, {"sl", "slv"},
        {"sk", "slk"}, {"ro", "ron"}, {"et", "est"}, {"lv", "lav"}, {"lt", "lit"}, {"he", "heb"}, {"ar", "ara"},
        {"hi", "hin"}, {"th", "tha"}, {"vi", "vie"}, {"id", "ind"}, {"ms", "msa"}, {"ca", "cat"}, {"eu", "eus"},
        {"gl", "glg"}, {"ga", "gle"}, {"cy", "cym"}, {"la", "lat"}, {"af", "afr"}, {"sw", "swa"}, {"is", "isl"},
        {"sq", "sqi"}, {"mk", "mkd"}, {"ka", "kat"}, {"hy", "hye"}, {"fa", "fas"}, {"ur", "urd"}, {"bn", "ben"},
        {"ta", "tam"}, {"tl", "tgl"}, {"yi", "yid"}, {"lb", "ltz"}, {"gd", "gla"}, {"ht", "hat"}, {"my", "mya"},
        {"bo", "bod"}, {"mi", "mri"},
    };
    const auto it = names.find(two);
    return it == names.end() ? std::string() : it->second;
}

std::string TesseractPackage(const std::string& lang) {
    std::string name = lang;
    std::replace(name.begin(), name.end(), '_', '-');
    return "tesseract-ocr-" + name;
}

TSubtitleFile ReadSubtitleTrack(const std::string& film, int streamIndex, const TOcrOptions& ocr,
                                TOcrReport& report, const TTrackProgressFn& progress) {
    try {
        return TTrackReader(film, streamIndex, ocr, report, progress).Read();
    } catch (const std::bad_alloc&) {
        report = TOcrReport();
        report.Error = "not enough memory to read the subtitles of " + film;
        TSubtitleFile out;
        out.Problems.push_back({0, report.Error});
        return out;
    }
}

} // namespace discbuild

// Subtitle tracks inside films made here: text tracks (SubRip and ASS in
// Matroska, mov_text in MP4) decoded into cues, a DVD picture track written
// with libavcodec from text drawn with QPainter and read back with OCR, and
// damaged or wrong input.
#include <gtest/gtest.h>

#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <random>

#include "FilmTracks.h"
#include "TrackSubtitles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

using namespace discbuild;

namespace {

int Shell(const std::string& command) { return std::system(command.c_str()); }

void Write(const std::string& path, const std::string& bytes) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), qint64(bytes.size()));
}

// One picture cue: the words drawn white with a black outline, or, when
// noisy, buried under random specks; lines are broken at '\n'.
struct TPictureCue {
    int StartMs, EndMs;
    std::string Text;
    bool Noisy = false;
    int PixelSize = 34;
};

// A 4-colour DVD subtitle bitmap: 0 transparent, 1 white fill, 2 black outline.
std::vector<uint8_t> DrawCue(const TPictureCue& cue, int& w, int& h) {
    const QStringList lines = QString::fromStdString(cue.Text).split('\n');
    const int lineHeight = cue.PixelSize * 4 / 3;
    w = 480;
    h = int(lines.size()) * lineHeight + cue.PixelSize / 2;
    QImage art(w, h, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    {
        QPainter p(&art);
        p.setRenderHint(QPainter::Antialiasing);
        QFont font("DejaVu Sans");
        font.setPixelSize(cue.PixelSize);
        font.setBold(true);
        QPainterPath path;
        for (int k = 0; k < lines.size(); ++k) path.addText(12, (k + 1) * lineHeight, font, lines[k]);
        // The border around the letters, as subtitle renderers draw it, then the letters over it.
        p.strokePath(path, QPen(Qt::black, cue.PixelSize > 24 ? 4 : 3));
        p.fillPath(path, Qt::white);
    }
    std::vector<uint8_t> index(size_t(w) * h);
    std::mt19937 random(7);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = art.pixel(x, y);
            uint8_t i = qAlpha(c) < 128 ? 0 : qGray(c) > 128 ? 1 : 2;
            if (cue.Noisy && random() % 100 < 45) i = uint8_t(random() % 3);
            index[size_t(y) * w + x] = i;
        }
    return index;
}

// A Blu-ray (PGS) display set as Matroska stores it: its segments (type,
// size, data) one after the other. No bitmap: an empty set that clears the
// screen.
std::vector<uint8_t> PgsDisplaySet(const std::vector<uint8_t>* index, int w, int h, int number, int canvasWidth = 720) {
    std::vector<uint8_t> out;
    auto u16 = [](std::vector<uint8_t>& b, int v) { b.push_back(uint8_t(v >> 8)); b.push_back(uint8_t(v)); };
    auto segment = [&](uint8_t type, const std::vector<uint8_t>& data) {
        out.push_back(type);
        u16(out, int(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    };
    const int x = 120, y = 380;
    std::vector<uint8_t> pcs;
    u16(pcs, canvasWidth);
    u16(pcs, 480);
    pcs.push_back(0x10);                  // frame rate
    u16(pcs, number);                     // composition number
    pcs.push_back(index ? 0x80 : 0x00);   // epoch start, or a normal case
    pcs.push_back(0);                     // no palette update
    pcs.push_back(0);                     // palette 0
    pcs.push_back(index ? 1 : 0);         // objects shown
    if (index) {
        u16(pcs, 0);       // object 0
        pcs.push_back(0);  // window 0
        pcs.push_back(0);  // not cropped
        u16(pcs, x);
        u16(pcs, y);
    }
    segment(0x16, pcs);
    std::vector<uint8_t> wds = {1, 0};
    u16(wds, x);
    u16(wds, y);
    u16(wds, w);
    u16(wds, h);
    segment(0x17, wds);
    if (index) {
        // Y, Cr, Cb, alpha: transparent, white, black.
        segment(0x14, {0, 0, 0, 16, 128, 128, 0, 1, 235, 128, 128, 255, 2, 16, 128, 128, 255});
        std::vector<uint8_t> rle;
        for (int row = 0; row < h; ++row) {
            for (int col = 0; col < w;) {
                const uint8_t c = (*index)[size_t(row) * w + col];
                int run = 1;
                while (col + run < w && (*index)[size_t(row) * w + col + run] == c && run < 16383) ++run;
                if (c != 0 && run < 3) {
                    for (int k = 0; k < run; ++k) rle.push_back(c);
                } else {
                    rle.push_back(0);
                    const uint8_t colourFlag = c ? 0x80 : 0x00;
                    if (run < 64) {
                        rle.push_back(uint8_t(colourFlag | run));
                    } else {
                        rle.push_back(uint8_t(colourFlag | 0x40 | (run >> 8)));
                        rle.push_back(uint8_t(run));
                    }
                    if (c) rle.push_back(c);
                }
                col += run;
            }
            rle.push_back(0);
            rle.push_back(0);
        }
        std::vector<uint8_t> ods;
        u16(ods, 0);       // object 0
        ods.push_back(0);  // version
        ods.push_back(0xC0); // first and last part
        const size_t length = rle.size() + 4;
        ods.push_back(uint8_t(length >> 16));
        ods.push_back(uint8_t(length >> 8));
        ods.push_back(uint8_t(length));
        u16(ods, w);
        u16(ods, h);
        ods.insert(ods.end(), rle.begin(), rle.end());
        EXPECT_LT(ods.size(), 65536u);
        segment(0x15, ods);
    }
    segment(0x80, {});
    return out;
}

enum class TPictureFormat { Dvd, Dvb, Pgs };

// Copies the video of `film` and adds a picture subtitle track of the cues:
// DVD subtitles encoded by libavcodec with their durations, DVB subtitles
// encoded by libavcodec each followed by an empty page, or PGS display sets
// each followed by an empty set that clears it.
void MuxPictureSubtitles(const std::string& film, const std::vector<TPictureCue>& cues, const std::string& language,
                         const std::string& out, TPictureFormat format = TPictureFormat::Dvd) {
    const bool pgs = format == TPictureFormat::Pgs;
    AVFormatContext* in = nullptr;
    ASSERT_EQ(avformat_open_input(&in, film.c_str(), nullptr, nullptr), 0);
    ASSERT_GE(avformat_find_stream_info(in, nullptr), 0);
    AVFormatContext* mux = nullptr;
    ASSERT_GE(avformat_alloc_output_context2(&mux, nullptr, "matroska", out.c_str()), 0);
    AVStream* video = avformat_new_stream(mux, nullptr);
    ASSERT_GE(avcodec_parameters_copy(video->codecpar, in->streams[0]->codecpar), 0);
    video->codecpar->codec_tag = 0;
    video->time_base = in->streams[0]->time_base;

    const AVCodec* encoder =
        avcodec_find_encoder(format == TPictureFormat::Dvb ? AV_CODEC_ID_DVB_SUBTITLE : AV_CODEC_ID_DVD_SUBTITLE);
    ASSERT_NE(encoder, nullptr);
    AVCodecContext* enc = avcodec_alloc_context3(encoder);
    enc->width = 720;
    enc->height = 480;
    enc->time_base = {1, 1000};
    ASSERT_EQ(avcodec_open2(enc, encoder, nullptr), 0);
    AVStream* subs = avformat_new_stream(mux, nullptr);
    ASSERT_GE(avcodec_parameters_from_context(subs->codecpar, enc), 0);
    if (pgs) {
        avcodec_parameters_free(&subs->codecpar);
        subs->codecpar = avcodec_parameters_alloc();
        subs->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
        subs->codecpar->codec_id = AV_CODEC_ID_HDMV_PGS_SUBTITLE;
        subs->codecpar->width = 720;
        subs->codecpar->height = 480;
    }
    subs->time_base = {1, 1000};
    av_dict_set(&subs->metadata, "language", language.c_str(), 0);

    ASSERT_GE(avio_open(&mux->pb, out.c_str(), AVIO_FLAG_WRITE), 0);
    ASSERT_GE(avformat_write_header(mux, nullptr), 0);
    // Cue times count from the film's first frame, as the film's own times do.
    const int64_t originMs = in->start_time != AV_NOPTS_VALUE ? in->start_time / 1000 : 0;
    std::vector<std::unique_ptr<AVPacket, void (*)(AVPacket*)>> subtitlePackets;
    for (const TPictureCue& cue : cues) {
        int w = 0, h = 0;
        std::vector<uint8_t> index = DrawCue(cue, w, h);
        uint32_t palette[256] = {0x00000000, 0xFFFFFFFF, 0xFF000000, 0xFF808080};
        AVSubtitleRect rect{};
        rect.x = 120;
        rect.y = 380;
        rect.w = w;
        rect.h = h;
        rect.nb_colors = 4;
        rect.type = SUBTITLE_BITMAP;
        rect.data[0] = index.data();
        rect.linesize[0] = w;
        rect.data[1] = reinterpret_cast<uint8_t*>(palette);
        AVSubtitleRect* rects[1] = {&rect};
        AVSubtitle sub{};
        sub.num_rects = 1;
        sub.rects = rects;
        sub.start_display_time = 0;
        sub.end_display_time = uint32_t(cue.EndMs - cue.StartMs);
        sub.pts = int64_t(cue.StartMs) * 1000;
        auto add = [&](const std::vector<uint8_t>& bytes, int atMs, int durationMs) {
            AVPacket* pkt = av_packet_alloc();
            ASSERT_EQ(av_new_packet(pkt, int(bytes.size())), 0);
            std::copy(bytes.begin(), bytes.end(), pkt->data);
            pkt->stream_index = 1;
            pkt->pts = pkt->dts = av_rescale_q(originMs + atMs, {1, 1000}, subs->time_base);
            pkt->duration = av_rescale_q(durationMs, {1, 1000}, subs->time_base);
            pkt->flags |= AV_PKT_FLAG_KEY;
            subtitlePackets.emplace_back(pkt, [](AVPacket* p) { av_packet_free(&p); });
        };
        if (pgs) {
            add(PgsDisplaySet(&index, w, h, int(subtitlePackets.size())), cue.StartMs, 0);
            add(PgsDisplaySet(nullptr, w, h, int(subtitlePackets.size())), cue.EndMs, 0);
            continue;
        }
        std::vector<uint8_t> buf(1 << 20);
        const int size = avcodec_encode_subtitle(enc, buf.data(), int(buf.size()), &sub);
        ASSERT_GT(size, 0);
        buf.resize(size_t(size));
        if (format == TPictureFormat::Dvb) {
            add(buf, cue.StartMs, 0);
            AVSubtitle clear{};
            clear.end_display_time = 1;
            std::vector<uint8_t> empty(4096);
            const int n = avcodec_encode_subtitle(enc, empty.data(), int(empty.size()), &clear);
            ASSERT_GT(n, 0);
            empty.resize(size_t(n));
            add(empty, cue.EndMs, 0);
        } else {
            add(buf, cue.StartMs, cue.EndMs - cue.StartMs);
        }
    }
    size_t next = 0;
    AVPacket* pkt = av_packet_alloc();
    auto writeSubtitlesUpTo = [&](int64_t ms) {
        while (next < subtitlePackets.size() && subtitlePackets[next]->pts <= ms)
            ASSERT_GE(av_interleaved_write_frame(mux, subtitlePackets[next++].get()), 0);
    };
    while (av_read_frame(in, pkt) >= 0) {
        if (pkt->stream_index != 0) {
            av_packet_unref(pkt);
            continue;
        }
        const int64_t ms = av_rescale_q(pkt->dts, in->streams[0]->time_base, {1, 1000});
        writeSubtitlesUpTo(ms);
        av_packet_rescale_ts(pkt, in->streams[0]->time_base, video->time_base);
        pkt->stream_index = 0;
        pkt->pos = -1;
        ASSERT_GE(av_interleaved_write_frame(mux, pkt), 0);
    }
    writeSubtitlesUpTo(INT64_MAX);
    av_packet_free(&pkt);
    ASSERT_GE(av_write_trailer(mux), 0);
    avio_closep(&mux->pb);
    avformat_free_context(mux);
    avcodec_free_context(&enc);
    avformat_close_input(&in);
}

const char* kSrt =
    "1\n00:00:00,500 --> 00:00:01,250\n<i>Où est la gare ?</i>\n\n"
    "2\n00:00:01,600 --> 00:00:02,900\n- Tu viens ?\n- Oui, j'arrive.\n\n"
    "3\n00:00:03,000 --> 00:00:03,700\nMARIE: Bon voyage !\n";

const char* kAss =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 384\nPlayResY: 288\n\n"
    "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, "
    "Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, "
    "MarginL, MarginR, MarginV, Encoding\n"
    "Style: Default,Arial,20,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,1,0,2,10,10,10,1\n\n"
    "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
    "Dialogue: 0,0:00:00.40,0:00:01.50,Default,Kenji,0,0,0,,{\\i1}こんにちは、{\\i0}元気？\n"
    "Dialogue: 0,0:00:02.00,0:00:03.20,Default,Yumi,0,0,0,,うん、元気だよ。\\Nありがとう &lt;3&gt; & <3\n"
    "Dialogue: 0,0:00:03.30,0:00:03.90,Default,,0,0,0,,{\\p1}m 0 0 l 10 0 10 10{\\p0}[音楽]\n";

const char* kVtt =
    "WEBVTT\n\n00:00:00.700 --> 00:00:01.800\nHello <b>there</b> &amp; welcome\n\n"
    "00:00:02.100 --> 00:00:03.400 align:start\n- Who is it?\n- It is me.\n";

// The films, made once for the whole program.
struct TFilms {
    QTemporaryDir Dir;
    std::string Mkv, Mp4, Pictures, Pgs, Dvb, Japanese, Truncated, Noise, Video;
    bool Ok = false;
    std::string Path(const char* name) const { return (Dir.path() + "/" + name).toStdString(); }
};

const TFilms& Films() {
    static TFilms* films = [] {
        auto* f = new TFilms;
        const std::string d = f->Dir.path().toStdString();
        Write(d + "/a.srt", kSrt);
        Write(d + "/b.ass", kAss);
        Write(d + "/c.vtt", kVtt);
        const std::string ff = "ffmpeg -nostdin -v error -y ";
        f->Video = d + "/video.mkv";
        f->Mkv = d + "/text.mkv";
        f->Mp4 = d + "/text.mp4";
        f->Pictures = d + "/pictures.mkv";
        f->Pgs = d + "/pgs.mkv";
        f->Dvb = d + "/dvb.mkv";
        f->Japanese = d + "/japanese.mkv";
        f->Truncated = d + "/truncated.mkv";
        f->Noise = d + "/noise.mkv";
        f->Ok =
            Shell(ff + "-f lavfi -i testsrc=size=160x120:rate=10:duration=4 -f lavfi -i sine=duration=4 "
                       "-c:v mpeg4 -q:v 10 -c:a aac -b:a 32k -metadata title='Le Film' " + d + "/film.mkv") == 0 &&
            Shell(ff + "-i " + d + "/film.mkv -i " + d + "/a.srt -i " + d + "/b.ass -i " + d + "/c.vtt "
                       "-map 0:v -map 0:a -map 1 -map 2 -map 3 -c:v copy -c:a copy -c:s:0 srt -c:s:1 ass -c:s:2 webvtt -metadata:s:s:0 language=fre "
                       "-metadata:s:s:1 language=jpn -metadata:s:s:1 title='Japonais' -metadata:s:a:0 language=fre "
                       "-disposition:s:0 default -disposition:s:1 forced " + f->Mkv) == 0 &&
            Shell(ff + "-i " + d + "/film.mkv -i " + d + "/a.srt -map 0:v -map 0:a -map 1 -c:v copy -c:a copy "
                       "-c:s mov_text -metadata:s:s:0 language=ger " + f->Mp4) == 0 &&
            Shell(ff + "-i " + d + "/film.mkv -map 0:v -c copy " + f->Video) == 0;
        if (f->Ok) {
            MuxPictureSubtitles(f->Video, {{300, 1300, "HELLO WORLD"}, {2000, 3500, "SEE YOU SOON"}}, "eng", f->Pgs,
                                TPictureFormat::Pgs);
            MuxPictureSubtitles(f->Video, {{200, 1500, "こんにちは、元気？"}, {1800, 3000, "うん、元気だよ。\nありがとう。"}},
                                "jpn", f->Japanese, TPictureFormat::Pgs);
            MuxPictureSubtitles(f->Video, {{500, 1500, "GUTEN TAG"}, {2200, 3300, "BIS MORGEN"}}, "ger", f->Dvb,
                                TPictureFormat::Dvb);
            MuxPictureSubtitles(f->Video,
                            {{300, 1100, "BONJOUR MADAME"},
                             {1200, 2000, "MERCI BEAUCOUP"},
                             {2100, 2900, "TOUT VA BIEN", true},
                             {3000, 3900, "- Où est la gare ?\n- À droite, là-bas.", false, 22}},
                            "fre", f->Pictures);
            QFile whole(QString::fromStdString(f->Mkv));
            f->Ok = whole.open(QIODevice::ReadOnly);
            const QByteArray bytes = whole.readAll();
            Write(f->Truncated, bytes.left(bytes.size() * 45 / 100).toStdString());
            std::string noise(20000, '\0');
            std::mt19937 random(3);
            for (char& c : noise) c = char(random());
            Write(f->Noise, noise);
        }
        return f;
    }();
    return *films;
}

const TFilmTrack* Track(const TFilmTracks& t, int index) {
    for (const TFilmTrack& k : t.Tracks)
        if (k.Index == index) return &k;
    return nullptr;
}

} // namespace

TEST(FilmTracks, ListsSoundAndSubtitleTracksWithCodecLanguageAndTitle) {
    const TFilms& films = Films();
    ASSERT_TRUE(films.Ok);
    const TFilmTracks mkv = ListFilmTracks(films.Mkv);
    EXPECT_EQ(mkv.Error, "");
    EXPECT_EQ(mkv.Title, "Le Film");
    EXPECT_NEAR(mkv.DurationMs, 4000, 150);
    ASSERT_EQ(mkv.Tracks.size(), 4u); // the video is not listed
    const TFilmTrack *audio = Track(mkv, 1), *srt = Track(mkv, 2), *ass = Track(mkv, 3);
    ASSERT_TRUE(audio && srt && ass);
    EXPECT_EQ(audio->kind, TFilmTrack::Audio);
    EXPECT_EQ(audio->Codec, "aac");
    EXPECT_EQ(audio->Language, "fre");
    EXPECT_EQ(srt->kind, TFilmTrack::TextSubtitle);
    EXPECT_EQ(srt->Codec, "subrip");
    EXPECT_EQ(srt->Number, 0);
    EXPECT_EQ(srt->Language, "fre");
    EXPECT_TRUE(srt->Default);
    EXPECT_FALSE(srt->Forced);
    EXPECT_EQ(ass->Codec, "ass");
    EXPECT_EQ(ass->Number, 1);
    EXPECT_EQ(ass->Language, "jpn");
    EXPECT_EQ(ass->Title, "Japonais");
    EXPECT_TRUE(ass->Forced);
    EXPECT_EQ(DescribeFilmTrack(*ass), "Japanese (ass) \"Japonais\", forced");
    ASSERT_TRUE(Track(mkv, 4));
    EXPECT_EQ(Track(mkv, 4)->Codec, "webvtt");
    EXPECT_EQ(Track(mkv, 4)->Number, 2);
    EXPECT_EQ(Track(mkv, 4)->Language, "");

    const TFilmTracks mp4 = ListFilmTracks(films.Mp4);
    ASSERT_EQ(mp4.Error, "");
    const TFilmTrack* movText = Track(mp4, 2);
    ASSERT_TRUE(movText);
    EXPECT_EQ(movText->kind, TFilmTrack::TextSubtitle);
    EXPECT_EQ(movText->Codec, "mov_text");
    EXPECT_EQ(TwoLetterLanguage(movText->Language), "de");

    const TFilmTracks pictures = ListFilmTracks(films.Pictures);
    ASSERT_EQ(pictures.Error, "");
    ASSERT_TRUE(Track(pictures, 1));
    EXPECT_EQ(Track(pictures, 1)->kind, TFilmTrack::PictureSubtitle);
    EXPECT_EQ(Track(pictures, 1)->Codec, "dvd_subtitle");

    for (const auto& [tag, two] : std::vector<std::pair<std::string, std::string>>{
             {"fre", "fr"}, {"fra", "fr"}, {"FR", "fr"}, {"ger", "de"}, {"deu", "de"}, {"jpn", "ja"},
             {"rus", "ru"}, {"chi", "zh"}, {"zho", "zh"}, {"pt-BR", "pt"}, {"en_US", "en"}, {"und", ""},
             {"", ""}, {"xx", ""}, {"français", ""}})
        EXPECT_EQ(TwoLetterLanguage(tag), two) << tag;
    EXPECT_EQ(TesseractLanguage("zh"), "chi_sim");
    EXPECT_EQ(TesseractPackage("chi_sim"), "tesseract-ocr-chi-sim");
}

TEST(TrackSubtitles, TextTracksGiveTimedCuesWithSpeakersAndTurns) {
    const TFilms& films = Films();
    ASSERT_TRUE(films.Ok);
    TOcrReport report;
    int calls = 0;
    const TSubtitleFile srt = ReadSubtitleTrack(films.Mkv, 2, {}, report, [&](double) { return ++calls > 0; });
    EXPECT_EQ(report.Error, "");
    EXPECT_GT(calls, 0);
    EXPECT_EQ(srt.Format, "SRT");
    ASSERT_EQ(srt.Cues.size(), 4u) << (srt.Problems.empty() ? "" : srt.Problems[0].Text);
    EXPECT_EQ(srt.Cues[0].Text, "Où est la gare ?");
    EXPECT_NEAR(srt.Cues[0].StartMs, 500, 10);
    EXPECT_NEAR(srt.Cues[0].EndMs, 1250, 10);
    EXPECT_EQ(srt.Cues[1].Text, "Tu viens ?");
    EXPECT_TRUE(srt.Cues[1].NewTurn);
    EXPECT_NEAR(srt.Cues[1].StartMs, 1600, 10);
    EXPECT_EQ(srt.Cues[2].Text, "Oui, j'arrive.");
    EXPECT_NEAR(srt.Cues[2].EndMs, 2900, 10);
    EXPECT_EQ(srt.Cues[3].Text, "Bon voyage !");
    EXPECT_EQ(srt.Cues[3].Speaker, "MARIE");
    EXPECT_EQ(srt.Cues[3].SourceLine, 3); // the track's third event
    EXPECT_NEAR(srt.Cues[3].StartMs, 3000, 10);
    EXPECT_NEAR(srt.Cues[3].EndMs, 3700, 10);

    const TSubtitleFile ass = ReadSubtitleTrack(films.Mkv, 3, {}, report);
    EXPECT_EQ(report.Error, "");
    EXPECT_EQ(ass.Format, "ASS");
    ASSERT_EQ(ass.Cues.size(), 3u);
    EXPECT_EQ(ass.Cues[0].Text, "こんにちは、元気？");
    EXPECT_EQ(ass.Cues[0].Speaker, "Kenji");
    EXPECT_NEAR(ass.Cues[0].StartMs, 400, 10);
    EXPECT_NEAR(ass.Cues[0].EndMs, 1500, 10);
    EXPECT_EQ(ass.Cues[1].Text, "うん、元気だよ。 ありがとう <3> & <3");
    EXPECT_EQ(ass.Cues[1].Speaker, "Yumi");
    EXPECT_NEAR(ass.Cues[1].EndMs, 3200, 10);
    EXPECT_EQ(ass.Cues[2].Text, "[音楽]"); // the drawing is left out
    EXPECT_TRUE(ass.Cues[2].Sound);

    // The same cues as the subtitle file reader gives for the files muxed in
    // (but for the ASS drawing, which the track reader leaves out).
    for (const auto& [track, file] : {std::pair{&srt, ReadSubtitles(kSrt, "a.srt")}, {&ass, ReadSubtitles(kAss, "b.ass")}}) {
        ASSERT_EQ(track->Cues.size(), file.Cues.size());
        for (size_t i = 0; i < file.Cues.size() - (track == &ass); ++i) {
            EXPECT_EQ(track->Cues[i].Text, file.Cues[i].Text);
            EXPECT_EQ(track->Cues[i].Speaker, file.Cues[i].Speaker);
            EXPECT_EQ(track->Cues[i].NewTurn, file.Cues[i].NewTurn);
            EXPECT_EQ(track->Cues[i].Sound, file.Cues[i].Sound);
            EXPECT_NEAR(track->Cues[i].StartMs, file.Cues[i].StartMs, 10);
            EXPECT_NEAR(track->Cues[i].EndMs, file.Cues[i].EndMs, 10);
        }
    }

    const TSubtitleFile vtt = ReadSubtitleTrack(films.Mkv, 4, {}, report);
    EXPECT_EQ(report.Error, "");
    EXPECT_EQ(vtt.Format, "WebVTT");
    ASSERT_EQ(vtt.Cues.size(), 3u);
    EXPECT_EQ(vtt.Cues[0].Text, "Hello there & welcome");
    EXPECT_NEAR(vtt.Cues[0].StartMs, 700, 10);
    EXPECT_NEAR(vtt.Cues[0].EndMs, 1800, 10);
    EXPECT_EQ(vtt.Cues[1].Text, "Who is it?");
    EXPECT_EQ(vtt.Cues[2].Text, "It is me.");
    EXPECT_TRUE(vtt.Cues[2].NewTurn);
    EXPECT_NEAR(vtt.Cues[2].EndMs, 3400, 10);

    const TSubtitleFile mp4 = ReadSubtitleTrack(films.Mp4, 2, {}, report);
    EXPECT_EQ(report.Error, "");
    ASSERT_EQ(mp4.Cues.size(), 4u);
    EXPECT_EQ(mp4.Cues[0].Text, "Où est la gare ?");
    EXPECT_NEAR(mp4.Cues[0].StartMs, 500, 10);
    EXPECT_NEAR(mp4.Cues[0].EndMs, 1250, 10);
    EXPECT_EQ(mp4.Cues[3].Speaker, "MARIE");
    EXPECT_NEAR(mp4.Cues[3].StartMs, 3000, 10);
    EXPECT_NEAR(mp4.Cues[3].EndMs, 3700, 10);
}

TEST(TrackSubtitles, PictureTrackIsReadWithOcrAndAPoorReadingIsLeftOutAndListed) {
    const TFilms& films = Films();
    ASSERT_TRUE(films.Ok);
    TOcrReport report;
    const TSubtitleFile f = ReadSubtitleTrack(films.Pictures, 1, {}, report);
    ASSERT_EQ(report.Error, "");
    EXPECT_EQ(f.Format, "OCR (dvd_subtitle)");
    EXPECT_EQ(report.Language, "fra"); // from the track's "fre"
    EXPECT_EQ(report.Pictures, 4);
    EXPECT_EQ(report.Kept, 3);
    ASSERT_EQ(f.Cues.size(), 4u);
    EXPECT_EQ(f.Cues[0].Text, "BONJOUR MADAME");
    EXPECT_NEAR(f.Cues[0].StartMs, 300, 10);
    EXPECT_NEAR(f.Cues[0].EndMs, 1100, 10);
    EXPECT_EQ(f.Cues[1].Text, "MERCI BEAUCOUP");
    EXPECT_NEAR(f.Cues[1].StartMs, 1200, 10);
    EXPECT_NEAR(f.Cues[1].EndMs, 2000, 10);
    // Two lines of small letters with accents and dialogue dashes: two turns.
    EXPECT_EQ(f.Cues[2].Text, "Où est la gare ?");
    EXPECT_NEAR(f.Cues[2].StartMs, 3000, 10);
    EXPECT_TRUE(f.Cues[2].NewTurn);
    EXPECT_EQ(f.Cues[3].Text, "À droite, là-bas.");
    EXPECT_TRUE(f.Cues[3].NewTurn);
    EXPECT_EQ(f.Cues[2].EndMs, f.Cues[3].StartMs);
    EXPECT_NEAR(f.Cues[3].EndMs, 3900, 10);
    ASSERT_EQ(report.Dropped.size(), 1u);
    EXPECT_NEAR(report.Dropped[0].StartMs, 2100, 10);
    EXPECT_NEAR(report.Dropped[0].EndMs, 2900, 10);
    EXPECT_LE(report.Dropped[0].Text.size(), 163u);
    EXPECT_LT(report.Dropped[0].Confidence, 60);
    EXPECT_GT(report.MeanConfidence, 0);
    std::printf("OCR confidence: mean %.0f, noisy cue %d (\"%s\")\n", report.MeanConfidence,
                report.Dropped[0].Confidence, report.Dropped[0].Text.c_str());

    // Blu-ray pictures without durations: the empty display set after each ends it.
    const TSubtitleFile pgs = ReadSubtitleTrack(films.Pgs, 1, {}, report);
    ASSERT_EQ(report.Error, "");
    EXPECT_EQ(pgs.Format, "OCR (hdmv_pgs_subtitle)");
    EXPECT_EQ(report.Language, "eng");
    ASSERT_EQ(pgs.Cues.size(), 2u);
    EXPECT_EQ(pgs.Cues[0].Text, "HELLO WORLD");
    EXPECT_NEAR(pgs.Cues[0].StartMs, 300, 10);
    EXPECT_NEAR(pgs.Cues[0].EndMs, 1300, 10);
    EXPECT_EQ(pgs.Cues[1].Text, "SEE YOU SOON");
    EXPECT_NEAR(pgs.Cues[1].StartMs, 2000, 10);
    EXPECT_NEAR(pgs.Cues[1].EndMs, 3500, 10);
    EXPECT_TRUE(report.Dropped.empty());
    std::printf("PGS OCR confidence: mean %.0f\n", report.MeanConfidence);

    // DVB pages, each cleared by an empty page, read in German.
    const TSubtitleFile dvb = ReadSubtitleTrack(films.Dvb, 1, {}, report);
    ASSERT_EQ(report.Error, "");
    EXPECT_EQ(dvb.Format, "OCR (dvb_subtitle)");
    EXPECT_EQ(report.Language, "deu");
    ASSERT_EQ(dvb.Cues.size(), 2u);
    EXPECT_EQ(dvb.Cues[0].Text, "GUTEN TAG");
    EXPECT_NEAR(dvb.Cues[0].StartMs, 500, 10);
    EXPECT_NEAR(dvb.Cues[0].EndMs, 1500, 10);
    EXPECT_EQ(dvb.Cues[1].Text, "BIS MORGEN");
    EXPECT_NEAR(dvb.Cues[1].StartMs, 2200, 10);
    EXPECT_NEAR(dvb.Cues[1].EndMs, 3300, 10);
    std::printf("DVB OCR confidence: mean %.0f\n", report.MeanConfidence);

    // Japanese in PGS pictures, read with Tesseract's Japanese data.
    const TSubtitleFile ja = ReadSubtitleTrack(films.Japanese, 1, {}, report);
    ASSERT_EQ(report.Error, "");
    EXPECT_EQ(report.Language, "jpn");
    ASSERT_EQ(ja.Cues.size(), 2u);
    EXPECT_EQ(ja.Cues[0].Text, "こんにちは、元気？"); // no spaces between the characters, a full-width ?
    EXPECT_NEAR(ja.Cues[0].StartMs, 200, 10);
    EXPECT_NEAR(ja.Cues[0].EndMs, 1500, 10);
    EXPECT_EQ(ja.Cues[1].Text, "うん、元気だよ。 ありがとう。"); // lines joined as the file reader joins them
    std::printf("Japanese OCR confidence: mean %.0f\n", report.MeanConfidence);

    // A picture wider than any film (9000 pixels) is refused before it is
    // composed; the track then holds nothing else.
    {
        const std::string wide = films.Path("wide.sup");
        std::vector<uint8_t> index(9000 * 8, 0);
        index[0] = 1;
        std::string sup;
        auto add = [&](const std::vector<uint8_t>& set, int ms) { // "PG", times in 90 kHz, then the segments
            for (size_t at = 0; at < set.size();) {
                const size_t size = 3 + (size_t(set[at + 1]) << 8 | set[at + 2]);
                const uint32_t pts = uint32_t(ms * 90);
                sup += "PG";
                for (int shift = 24; shift >= 0; shift -= 8) sup += char(pts >> shift);
                sup += std::string(4, '\0');
                sup.append(reinterpret_cast<const char*>(&set[at]), size);
                at += size;
            }
        };
        add(PgsDisplaySet(&index, 9000, 8, 0, 9200), 500);
        add(PgsDisplaySet(nullptr, 9000, 8, 1, 9200), 1500);
        Write(wide, sup);
        const TSubtitleFile refused = ReadSubtitleTrack(wide, 0, {}, report);
        EXPECT_TRUE(refused.Cues.empty());
        EXPECT_NE(report.Error, "");
        bool told = false;
        for (const TSubtitleProblem& p : refused.Problems) told = told || p.Text.find("9000 x 8") != std::string::npos;
        EXPECT_TRUE(told) << report.Error;
    }

    // A stricter threshold than any reading: nothing is kept, and the error says why.
    TOcrOptions strict;
    strict.MinConfidence = 101;
    const TSubtitleFile none = ReadSubtitleTrack(films.Pictures, 1, strict, report);
    EXPECT_TRUE(none.Cues.empty());
    EXPECT_NE(report.Error.find("confidence"), std::string::npos) << report.Error;
    EXPECT_EQ(report.Dropped.size(), 4u);
}

TEST(TrackSubtitles, WrongOrDamagedInputGivesAPlainErrorAndNoCues) {
    const TFilms& films = Films();
    ASSERT_TRUE(films.Ok);
    auto error = [](const std::string& film, int index, const TOcrOptions& options = {},
                    const TTrackProgressFn& progress = {}) {
        TOcrReport report;
        const TSubtitleFile f = ReadSubtitleTrack(film, index, options, report, progress);
        EXPECT_TRUE(f.Cues.empty());
        EXPECT_FALSE(f.Problems.empty());
        if (!f.Problems.empty()) {
            EXPECT_EQ(f.Problems[0].Text, report.Error);
        }
        return report.Error;
    };
    EXPECT_NE(error(films.Mkv, 0).find("video"), std::string::npos);
    EXPECT_NE(error(films.Mkv, 1).find("audio"), std::string::npos);
    EXPECT_NE(error(films.Mkv, 9).find("no track 9"), std::string::npos);
    EXPECT_NE(error(films.Path("absent.mkv"), 2).find("does not exist"), std::string::npos);
    EXPECT_NE(error(films.Noise, 0).find("damaged"), std::string::npos);
    EXPECT_EQ(error(films.Mkv, 2, {}, [](double) { return false; }), "stopped");
    TOcrOptions noData;
    noData.DataPath = films.Dir.path().toStdString(); // no .traineddata there
    EXPECT_NE(error(films.Pictures, 1, noData).find("tesseract-ocr-fra"), std::string::npos);
    noData.Language = "ja";
    EXPECT_NE(error(films.Pictures, 1, noData).find("tesseract-ocr-jpn"), std::string::npos);
    EXPECT_NE(ListFilmTracks(films.Noise).Error.find("damaged"), std::string::npos);
    EXPECT_NE(ListFilmTracks(films.Path("absent.mkv")).Error.find("does not exist"), std::string::npos);

    // The first part of a film: what is there is read, nothing more, no crash.
    TOcrReport report;
    const TSubtitleFile cut = ReadSubtitleTrack(films.Truncated, 2, {}, report);
    EXPECT_LE(cut.Cues.size(), 4u);
    if (cut.Cues.empty()) {
        EXPECT_FALSE(report.Error.empty());
    }
    const TFilmTracks tracks = ListFilmTracks(films.Truncated);
    EXPECT_TRUE(!tracks.Error.empty() || tracks.Tracks.size() == 4u);

    // Films with bytes changed at random: every track reads to cues or to an
    // error, with no crash and no hang.
    std::mt19937 random(11);
    for (const std::string& film : {films.Mkv, films.Pictures, films.Pgs, films.Dvb}) {
        QFile whole(QString::fromStdString(film));
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        for (int round = 0; round < 4; ++round) {
            QByteArray damaged = bytes;
            for (int k = 0; k < 60; ++k) damaged[qsizetype(random() % damaged.size())] = char(random());
            const std::string path = films.Path("damaged.mkv");
            Write(path, damaged.toStdString());
            const TFilmTracks list = ListFilmTracks(path);
            for (int index = 0; index < 5; ++index) {
                TOcrReport r;
                TOcrOptions quick;
                quick.DeadlineMs = 1000;
                const TSubtitleFile f = ReadSubtitleTrack(path, index, quick, r);
                EXPECT_TRUE(!f.Cues.empty() || !r.Error.empty()) << film << " track " << index;
                for (const TSubtitleCue& c : f.Cues) EXPECT_LT(c.StartMs, c.EndMs);
            }
        }
    }
}

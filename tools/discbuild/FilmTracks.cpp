#include "FilmTracks.h"

#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cctype>
#include <new>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

namespace discbuild {

namespace {

struct TLangName {
    const char* Two;
    const char* Bib;   // ISO 639-2/B
    const char* Term;  // ISO 639-2/T (the same as /B for most)
    const char* English;
};

// The languages whose bibliographic and terminology codes differ, and the
// others a film's tracks are likely to carry.
const TLangName kLanguages[] = {
    {"sq", "alb", "sqi", "Albanian"},  {"hy", "arm", "hye", "Armenian"}, {"eu", "baq", "eus", "Basque"},
    {"my", "bur", "mya", "Burmese"},   {"zh", "chi", "zho", "Chinese"},  {"cs", "cze", "ces", "Czech"},
    {"nl", "dut", "nld", "Dutch"},     {"fr", "fre", "fra", "French"},   {"ka", "geo", "kat", "Georgian"},
    {"de", "ger", "deu", "German"},    {"el", "gre", "ell", "Greek"},    {"is", "ice", "isl", "Icelandic"},
    {"mk", "mac", "mkd", "Macedonian"}, {"mi", "mao", "mri", "Maori"},   {"ms", "may", "msa", "Malay"},
    {"fa", "per", "fas", "Persian"},   {"ro", "rum", "ron", "Romanian"}, {"sk", "slo", "slk", "Slovak"},
    {"bo", "tib", "bod", "Tibetan"},   {"cy", "wel", "cym", "Welsh"},    {"en", "eng", "eng", "English"},
    {"es", "spa", "spa", "Spanish"},   {"it", "ita", "ita", "Italian"},  {"pt", "por", "por", "Portuguese"},
    {"ru", "rus", "rus", "Russian"},   {"ja", "jpn", "jpn", "Japanese"}, {"ko", "kor", "kor", "Korean"},
    {"pl", "pol", "pol", "Polish"},    {"tr", "tur", "tur", "Turkish"},  {"sv", "swe", "swe", "Swedish"},
    {"da", "dan", "dan", "Danish"},    {"fi", "fin", "fin", "Finnish"},  {"nb", "nob", "nob", "Norwegian"},
    {"no", "nor", "nor", "Norwegian"}, {"nn", "nno", "nno", "Norwegian Nynorsk"},
    {"hu", "hun", "hun", "Hungarian"}, {"uk", "ukr", "ukr", "Ukrainian"}, {"bg", "bul", "bul", "Bulgarian"},
    {"hr", "hrv", "hrv", "Croatian"},  {"sr", "srp", "srp", "Serbian"},  {"sl", "slv", "slv", "Slovenian"},
    {"et", "est", "est", "Estonian"},  {"lv", "lav", "lav", "Latvian"},  {"lt", "lit", "lit", "Lithuanian"},
    {"he", "heb", "heb", "Hebrew"},    {"ar", "ara", "ara", "Arabic"},   {"hi", "hin", "hin", "Hindi"},
    {"th", "tha", "tha", "Thai"},      {"vi", "vie", "vie", "Vietnamese"}, {"id", "ind", "ind", "Indonesian"},
    {"ca", "cat", "cat", "Catalan"},   {"gl", "glg", "glg", "Galician"}, {"ga", "gle", "gle", "Irish"},
    {"la", "lat", "lat", "Latin"},     {"af", "afr", "afr", "Afrikaans"}, {"sw", "swa", "swa", "Swahili"},
    {"ur", "urd", "urd", "Urdu"},      {"bn", "ben", "ben", "Bengali"},  {"ta", "tam", "tam", "Tamil"},
    {"tl", "tgl", "tgl", "Tagalog"},   {"yi", "yid", "yid", "Yiddish"},  {"lb", "ltz", "ltz", "Luxembourgish"},
    {"gd", "gla", "gla", "Scottish Gaelic"}, {"ht", "hat", "hat", "Haitian Creole"},
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string Tag(AVDictionary* metadata, const char* key) {
    const AVDictionaryEntry* e = av_dict_get(metadata, key, nullptr, 0);
    return e && e->value ? std::string(e->value) : std::string();
}

std::string AvError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

} // namespace

std::string TwoLetterLanguage(const std::string& raw) {
    std::string tag = Lower(raw);
    const size_t cut = tag.find_first_of("-_ ");
    if (cut != std::string::npos) tag = tag.substr(0, cut);
    if (tag.size() != 2 && tag.size() != 3) return {};
    for (const TLangName& l : kLanguages)
        if (tag == l.Two || tag == l.Bib || tag == l.Term) return l.Two;
    return {};
}

std::string DescribeFilmTrack(const TFilmTrack& t) {
    std::string name;
    const std::string two = TwoLetterLanguage(t.Language);
    for (const TLangName& l : kLanguages)
        if (!two.empty() && two == l.Two) { name = l.English; break; }
    if (name.empty()) name = t.Language.empty() ? "language not given" : t.Language;
    std::string s = name + " (" + t.Codec + ")";
    if (!t.Title.empty()) s += " \"" + t.Title + "\"";
    if (t.Default) s += ", default";
    if (t.Forced) s += ", forced";
    return s;
}

TFilmTracks ListFilmTracks(const std::string& path) {
    TFilmTracks out;
    try {
        const QFileInfo info(QString::fromStdString(path));
        if (!info.exists()) {
            out.Error = "the film " + path + " does not exist";
            return out;
        }
        if (!info.isFile() || !info.isReadable()) {
            out.Error = "the film " + path + " is not a file that can be read";
            return out;
        }
        AVFormatContext* fmt = nullptr;
        int rc = avformat_open_input(&fmt, path.c_str(), nullptr, nullptr);
        if (rc < 0) {
            out.Error = rc == AVERROR_INVALIDDATA
                            ? "the film " + path + " is damaged or in a format ffmpeg does not know"
                            : "the film " + path + " cannot be opened: " + AvError(rc);
            return out;
        }
        rc = avformat_find_stream_info(fmt, nullptr);
        if (rc < 0) {
            out.Error = "the film " + path + " is damaged: its tracks cannot be read (" + AvError(rc) + ")";
            avformat_close_input(&fmt);
            return out;
        }
        out.Title = Tag(fmt->metadata, "title");
        if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
            out.DurationMs = int(std::min<int64_t>(fmt->duration / 1000, INT32_MAX));
        int counts[3] = {0, 0, 0};
        for (unsigned i = 0; i < fmt->nb_streams; ++i) {
            const AVStream* st = fmt->streams[i];
            TFilmTrack t;
            t.Index = int(i);
            if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
                t.kind = TFilmTrack::Audio;
            } else if (st->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE) {
                const AVCodecDescriptor* d = avcodec_descriptor_get(st->codecpar->codec_id);
                t.kind = d && (d->props & AV_CODEC_PROP_BITMAP_SUB) ? TFilmTrack::PictureSubtitle
                                                                    : TFilmTrack::TextSubtitle;
            } else {
                continue;
            }
            t.Number = counts[t.kind]++;
            t.Codec = avcodec_get_name(st->codecpar->codec_id);
            t.Language = Tag(st->metadata, "language");
            t.Title = Tag(st->metadata, "title");
            t.Default = st->disposition & AV_DISPOSITION_DEFAULT;
            t.Forced = st->disposition & AV_DISPOSITION_FORCED;
            out.Tracks.push_back(std::move(t));
        }
        avformat_close_input(&fmt);
    } catch (const std::bad_alloc&) {
        out.Tracks.clear();
        out.Error = "not enough memory to read the tracks of " + path;
    }
    return out;
}

} // namespace discbuild

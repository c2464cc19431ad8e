#pragma once
// The tracks of a film file (MKV, MP4 ...) as libavformat sees them: sound
// tracks and subtitle tracks, text or pictures, with their language tags, so
// that the builder and the program can offer a learner the film's own
// subtitles.
#include <string>
#include <vector>

namespace discbuild {

struct TFilmTrack {
    int Index = -1;  // stream index in the file
    int Number = 0;  // 0-based among the file's tracks of the same kind
    enum Kind { Audio, TextSubtitle, PictureSubtitle } kind = Audio;
    // libavcodec's codec name: "subrip", "ass", "webvtt", "mov_text",
    // "hdmv_pgs_subtitle", "dvd_subtitle", "dvb_subtitle", "aac", "ac3" ...
    std::string Codec;
    std::string Language; // the language tag as written in the file ("fre", "jpn"), or ""
    std::string Title;    // the track's own title, UTF-8, or ""
    bool Default = false, Forced = false;
};

struct TFilmTracks {
    std::vector<TFilmTrack> Tracks; // in stream order; video and data streams are left out
    std::string Title;              // the file's title, UTF-8, or ""
    int DurationMs = 0;             // 0 when the file does not say
    std::string Error;              // why the file could not be read; empty when it could
};

// Never throws; a file that cannot be opened gives an Error in plain words.
TFilmTracks ListFilmTracks(const std::string& path);

// A language tag ("fre", "fra", "ger", "deu", "jpn", "chi", "zho", "fr",
// "fr-FR", "pt_BR", any case) as a two-letter code ("fr"); "" when the tag
// is empty, undetermined ("und") or not known.
std::string TwoLetterLanguage(const std::string& tag);

// Words for a track in a list: "French (subrip) \"Forced\", default".
std::string DescribeFilmTrack(const TFilmTrack& track);

} // namespace discbuild

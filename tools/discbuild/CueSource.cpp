#include "CueSource.h"

#include <QFile>

#include <cstdio>
#include <stdexcept>

#include "TrackSubtitles.h"

namespace discbuild {

namespace {

std::string ReadFileBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path);
    const QByteArray b = f.readAll();
    return std::string(b.constData(), size_t(b.size()));
}

bool IsSubtitle(const TFilmTrack& t) { return t.kind != TFilmTrack::Audio; }

std::string Seconds(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%d", ms / 60000, ms / 1000 % 60, ms / 100 % 10);
    return text;
}

} // namespace

int ChooseSubtitleTrack(const TFilmTracks& tracks, const TCueSource& source, std::string& why) {
    std::vector<const TFilmTrack*> subtitles;
    for (const TFilmTrack& t : tracks.Tracks)
        if (IsSubtitle(t)) subtitles.push_back(&t);
    if (subtitles.empty()) {
        why = source.Film + " holds no subtitle track: give a subtitle file";
        return -1;
    }
    if (source.Track >= 0) {
        if (source.Track < int(subtitles.size())) return subtitles[size_t(source.Track)]->Index;
        why = source.Film + " has " + std::to_string(subtitles.size()) + " subtitle track(s); there is no track " +
              std::to_string(source.Track) + " (tracks count from 0)";
        return -1;
    }
    // The best of the language's tracks: text, not forced (forced tracks hold
    // only the foreign-language signs), the default.
    const TFilmTrack* best = nullptr;
    auto rank = [](const TFilmTrack& t) {
        return (t.kind == TFilmTrack::TextSubtitle ? 4 : 0) + (t.Forced ? 0 : 2) + (t.Default ? 1 : 0);
    };
    for (const TFilmTrack* t : subtitles)
        if (TwoLetterLanguage(t->Language) == source.Language && (!best || rank(*t) > rank(*best))) best = t;
    if (best) return best->Index;
    std::string offered;
    for (const TFilmTrack* t : subtitles) {
        const std::string lang = TwoLetterLanguage(t->Language);
        offered += (offered.empty() ? "" : ", ") + (lang.empty() ? std::string("untagged") : lang);
    }
    why = source.Film + " has no subtitle track in \"" + source.Language + "\" (its tracks: " + offered +
          "); choose one with --subtitle-track N";
    return -1;
}

TSubtitleFile ReadCueSource(const TCueSource& source, std::string& name, std::vector<std::string>& notes,
                            const std::function<bool(double)>& progress) {
    if (!source.File.empty()) {
        name = source.File;
        return ReadSubtitles(ReadFileBytes(source.File), source.File);
    }
    const TFilmTracks tracks = ListFilmTracks(source.Film);
    if (!tracks.Error.empty()) throw std::runtime_error(tracks.Error);
    std::string why;
    const int index = ChooseSubtitleTrack(tracks, source, why);
    if (index < 0) throw std::runtime_error(why);
    int number = 0;
    for (const TFilmTrack& t : tracks.Tracks) {
        if (t.Index == index) {
            name = source.Film + " track " + std::to_string(number) + " (" + DescribeFilmTrack(t) + ")";
            break;
        }
        number += IsSubtitle(t);
    }
    TOcrOptions ocr;
    ocr.Language = source.Language;
    TOcrReport report;
    TSubtitleFile file = ReadSubtitleTrack(source.Film, index, ocr, report, progress);
    if (!report.Error.empty()) throw std::runtime_error(name + ": " + report.Error);
    if (report.Pictures > 0) {
        char mean[16];
        std::snprintf(mean, sizeof mean, "%.0f", report.MeanConfidence);
        notes.push_back(name + ": " + std::to_string(report.Pictures) + " pictures read with OCR (" + report.Language +
                        "), mean confidence " + mean + ", " + std::to_string(report.Kept) + " kept");
        for (const TOcrCue& c : report.Dropped)
            notes.push_back(name + ": left out at " + Seconds(c.StartMs) + " (confidence " +
                            std::to_string(c.Confidence) + "): \"" + c.Text + "\"");
    }
    return file;
}

} // namespace discbuild

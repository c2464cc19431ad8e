#include "Film.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <stdexcept>

#include "CodeIdentity.h"
#include "content/LineTranslations.h"
#include "DiscFiles.h"
#include "Pictures.h"
#include "MacText.h"
#include "Style.h"

namespace demodisc {

TVoice VoiceOf(const TCharacter& c) { return {c.Voice, c.Pitch, c.Speed}; }

bool IsActivityLine(const TStoryLine& line) {
    if (line.Cue != TCue::Speech) return false;
    int words = 1;
    for (char ch : line.Text) words += ch == ' ';
    return words >= 3;
}

TFilm MakeFilm(const TStory& story, TSpeechCache& speech) {
    std::vector<TSpeechRequest> requests;
    for (const TStoryLine& l : story.Lines)
        if (l.Cue == TCue::Speech) requests.push_back({VoiceOf(story.Characters[size_t(l.Speaker)]), l.Text});
    std::vector<TSound> spoken = speech.SpeakAll(requests);
    std::vector<TSound> audio;
    size_t next = 0;
    int cue = 0;
    for (const TStoryLine& l : story.Lines) {
        switch (l.Cue) {
        case TCue::Speech: audio.push_back(std::move(spoken[next++])); break;
        case TCue::Bark: audio.push_back(Bark(77u + uint32_t(cue))); break;
        case TCue::Music: audio.push_back(TitleMusic(cue)); break;
        case TCue::Train: audio.push_back(TrainSound(2600, 31u + uint32_t(cue))); break;
        }
        ++cue;
    }
    return {story, LayOut(story, std::move(audio))};
}

namespace {

// Characters who speak in the run of lines around line i that shares its part
// and place, in order of their first line there.
std::vector<int> SegmentCast(const TStory& story, int i) {
    const TStoryLine& at = story.Lines[size_t(i)];
    int a = i, b = i;
    while (a > 0 && story.Lines[size_t(a - 1)].Part == at.Part && story.Lines[size_t(a - 1)].Setting == at.Setting) --a;
    while (b + 1 < int(story.Lines.size()) && story.Lines[size_t(b + 1)].Part == at.Part &&
           story.Lines[size_t(b + 1)].Setting == at.Setting)
        ++b;
    std::vector<int> cast;
    for (int k = a; k <= b; ++k) {
        const int who = story.Lines[size_t(k)].Speaker;
        if (who >= 0 && std::find(cast.begin(), cast.end(), who) == cast.end()) cast.push_back(who);
    }
    return cast;
}

std::string Shorten(const std::string& utf8, int maxChars) {
    QString s = U(utf8);
    if (s.size() > maxChars) s = s.left(maxChars - 3).trimmed() + "...";
    return s.toStdString();
}

} // namespace

TFrameState StateAt(const TFilm& film, int filmMs) {
    const TTimeline& tl = film.Timeline;
    const TStory& story = film.Story;
    const int part = tl.PartAt(filmMs);
    const int partStart = tl.Parts[size_t(part)].StartMs;
    int current = -1;
    for (size_t i = 0; i < tl.Lines.size(); ++i) {
        if (story.Lines[i].Part != part + 1) continue;
        if (current < 0 || tl.Lines[i].StartMs <= filmMs) current = int(i);
        if (tl.Lines[i].StartMs > filmMs) break;
    }
    TFrameState s;
    s.Seconds = filmMs / 1000.0;
    if (current < 0) return s;
    // In the pause before a new place, the new place is already on screen.
    const size_t next = size_t(current) + 1;
    if (next < story.Lines.size() && story.Lines[next].Part == story.Lines[size_t(current)].Part &&
        story.Lines[next].Setting != story.Lines[size_t(current)].Setting && filmMs >= tl.Lines[next].StartMs - 1300)
        current = int(next);
    const TStoryLine& line = story.Lines[size_t(current)];
    const TTimedLine& timed = tl.Lines[size_t(current)];
    s.Setting = line.Setting;
    s.Cast = SegmentCast(story, current);
    int first = current; // the scene's first line
    while (first > 0 && story.Lines[size_t(first - 1)].Part == line.Part &&
           story.Lines[size_t(first - 1)].Setting == line.Setting)
        --first;
    s.Arrival = (filmMs - (tl.Lines[size_t(first)].StartMs - 1100)) / 900.0;
    const bool inside = filmMs >= timed.StartMs && filmMs < timed.EndMs;
    if (inside && line.Cue == TCue::Speech) {
        s.Speaker = line.Speaker;
        const size_t f = size_t((filmMs - timed.StartMs) / kUnitMs);
        s.Mouth = f < timed.Loudness.size() ? timed.Loudness[f] : 0.f;
    }
    s.Dog = story.DogLeaves < 0 || current < story.DogLeaves || current >= story.DogReturns;
    s.DogBarking = inside && line.Cue == TCue::Bark;
    if (line.Cue == TCue::Train && filmMs >= timed.StartMs && filmMs < timed.EndMs + 2000)
        s.Train = double(filmMs - timed.StartMs) / double(timed.EndMs + 2000 - timed.StartMs);
    s.Cake = story.PartCount > 1 && line.Part == story.PartCount && line.Setting == "maison";
    const int intoPart = filmMs - partStart;
    if (intoPart < 2200) {
        s.Title = story.Title + " \xE2\x80\x93 " + std::to_string(part + 1) + "/" + std::to_string(story.PartCount);
        s.TitleAlpha = intoPart < 1500 ? 1.0 : 1.0 - (intoPart - 1500) / 700.0;
    }
    return s;
}

std::vector<TActorScenes> ChooseRecordingScenes(const TFilm& film, int maxActors) {
    const TStory& story = film.Story;
    std::vector<TActorScenes> actors;
    for (int who = 0; who < int(story.Characters.size()); ++who) {
        TActorScenes a{who, {}};
        std::vector<int> group;
        int lastIndex = -100;
        auto close = [&] {
            if (group.size() >= 3 && a.Scenes.size() < 9) a.Scenes.push_back(group);
            group.clear();
        };
        for (int i = 1; i < int(story.Lines.size()); ++i) { // never the film's first entry
            const TStoryLine& l = story.Lines[size_t(i)];
            if (l.Speaker != who) continue;
            if (!group.empty()) {
                const TStoryLine& prev = story.Lines[size_t(lastIndex)];
                if (l.Part != prev.Part || l.Setting != prev.Setting || i - lastIndex > 6 || group.size() == 5) close();
            }
            group.push_back(i + 1);
            lastIndex = i;
        }
        close();
        if (a.Scenes.size() >= 2) actors.push_back(std::move(a));
    }
    std::stable_sort(actors.begin(), actors.end(),
                     [](const TActorScenes& x, const TActorScenes& y) { return x.Scenes.size() > y.Scenes.size(); });
    if (int(actors.size()) > maxActors) actors.resize(size_t(maxActors));
    return actors;
}

std::vector<int> NextLineStarts(const TFilm& film) {
    const auto& lines = film.Story.Lines;
    std::vector<int> starts;
    for (int i = 0; i < int(lines.size()); ++i) {
        if (lines[size_t(i)].Cue != TCue::Speech) continue;
        int following = 0;
        for (int k = i + 1; k < int(lines.size()); ++k) following += lines[size_t(k)].Cue == TCue::Speech;
        if (following < 4) continue;
        if (lines.size() < 40 || i % 6 == 1) starts.push_back(i + 1);
    }
    return starts;
}

std::vector<int> StripPositions(const TFilm& film) {
    std::vector<int> pos;
    const int units = film.Timeline.FilmMs() / kUnitMs;
    for (int k = 0; k < 24; ++k) pos.push_back(int((long long)units * (2 * k + 1) / 48));
    return pos;
}

void WriteFilmIndexes(const TFilm& film, const std::string& targetDir, int maxActors) {
    const TStory& story = film.Story;
    std::vector<TIndexLine> movieinf;
    for (size_t i = 0; i < story.Lines.size(); ++i) {
        const TStoryLine& l = story.Lines[i];
        const TTimedLine& t = film.Timeline.Lines[i];
        const bool speech = l.Cue == TCue::Speech;
        // A continuation of the same speaker in the same scene gets no heading.
        const bool same = speech && i > 0 && story.Lines[i - 1].Cue == TCue::Speech &&
                          story.Lines[i - 1].Speaker == l.Speaker && story.Lines[i - 1].Part == l.Part &&
                          story.Lines[i - 1].Setting == l.Setting;
        movieinf.push_back({int(i + 1), t.StartMs / kUnitMs, t.EndMs / kUnitMs, l.Text,
                            speech ? story.Characters[size_t(l.Speaker)].Name : "", same, IsActivityLine(l)});
    }
    WriteMovieIndex(targetDir + "/movieinf.txt", movieinf);

    // The lines in the help languages, English (2) and Spanish (5), by line number.
    std::map<int, std::string> english, spanish;
    for (size_t i = 0; i < story.Lines.size(); ++i) {
        if (!story.Lines[i].English.empty()) english[int(i + 1)] = ToMac(story.Lines[i].English);
        if (!story.Lines[i].Spanish.empty()) spanish[int(i + 1)] = ToMac(story.Lines[i].Spanish);
    }
    if (!tav::WriteLineTranslations(targetDir + "/movietr2.txt", english) ||
        !tav::WriteLineTranslations(targetDir + "/movietr5.txt", spanish))
        throw std::runtime_error("cannot write the line translations in " + targetDir);

    std::vector<TActorRecord> actors;
    for (const TActorScenes& a : ChooseRecordingScenes(film, maxActors))
        actors.push_back({story.Characters[size_t(a.Character)].Name, a.Scenes});
    WriteRecordIndex(targetDir + "/record.txt", actors);

    std::vector<std::pair<int, std::string>> strip;
    for (int units : StripPositions(film)) {
        // The hint names the line spoken at or last before the thumbnail (the
        // first spoken line for a thumbnail before anyone speaks).
        int near = -1;
        for (size_t i = 0; i < story.Lines.size(); ++i)
            if (story.Lines[i].Cue == TCue::Speech && (near < 0 || film.Timeline.Lines[i].StartMs <= units * kUnitMs))
                near = int(i);
        const TStoryLine& l = story.Lines[size_t(near)];
        strip.push_back({units, story.Characters[size_t(l.Speaker)].Name + " : " + Shorten(l.Text, 48)});
    }
    WriteStripIndex(targetDir + "/strip.txt", strip);

    std::vector<std::string> parts;
    for (const TFilmPart& p : film.Timeline.Parts) parts.push_back(p.FileName);
    WriteTargetSettings(targetDir + "/settings.txt", "Tavolin \xE2\x80\x93 " + story.Title, 3, parts,
                        NextLineStarts(film));
}

void WriteFilmStripPicture(const TFilm& film, const std::string& targetDir) {
    TScenePainter painter(film.Story);
    std::vector<QImage> frames;
    for (int units : StripPositions(film)) frames.push_back(painter.Paint(StateAt(film, units * kUnitMs)));
    WriteFilmStrip(frames, targetDir + "/minis.jpg");
}

namespace {

std::string PartKey(const TFilm& film, int part) {
    QCryptographicHash h(QCryptographicHash::Sha1);
    h.addData(CodeIdentity());
    const TFilmPart& fp = film.Timeline.Parts[size_t(part)];
    h.addData(QByteArray::number(fp.StartMs) + "/" + QByteArray::number(fp.LengthMs));
    for (const TCharacter& c : film.Story.Characters) h.addData(QByteArray::fromStdString(c.Name + c.Voice));
    for (size_t i = 0; i < film.Story.Lines.size(); ++i) {
        const TStoryLine& l = film.Story.Lines[i];
        if (l.Part != part + 1) continue;
        const TTimedLine& t = film.Timeline.Lines[i];
        h.addData(QByteArray::fromStdString(l.Setting + "|" + l.Text + "|" + std::to_string(l.Speaker) + "|" +
                                            std::to_string(t.StartMs) + "|" + std::to_string(t.EndMs)));
        h.addData(QByteArray(reinterpret_cast<const char*>(t.Audio.Samples.data()),
                             qsizetype(t.Audio.Samples.size() * sizeof(float))));
    }
    return h.result().toHex().toStdString();
}

void EncodePart(const TFilm& film, int part, const std::string& out, const std::string& tempDir) {
    const TFilmPart& fp = film.Timeline.Parts[size_t(part)];
    TSound audio = RoomTone(fp.LengthMs, 1000u + uint32_t(part), 0.006f);
    for (size_t i = 0; i < film.Story.Lines.size(); ++i) {
        if (film.Story.Lines[i].Part != part + 1) continue;
        const TTimedLine& t = film.Timeline.Lines[i];
        const float gain = film.Story.Lines[i].Cue == TCue::Speech ? 1.f : 0.7f;
        audio.MixIn(t.Audio, t.StartMs - fp.StartMs, gain);
    }
    audio.Samples.resize(size_t(fp.LengthMs) * kRate / 1000);
    const std::string wav = tempDir + "/part.wav";
    WriteWav(wav, audio);

    const std::string cmd = "nice -n 10 ffmpeg -nostdin -y -loglevel error -f rawvideo -pix_fmt rgb24 -s 352x288 "
                            "-r 25 -i - -i '" + wav + "' -threads 2 -c:v mpeg1video -q:v 4 -g 12 -bf 2 "
                            "-c:a mp2 -b:a 128k -ar 44100 -ac 1 -f mpeg '" + out + "'";
    FILE* pipe = popen(cmd.c_str(), "w");
    if (!pipe) throw std::runtime_error("cannot start ffmpeg");
    TScenePainter painter(film.Story);
    const int frames = fp.LengthMs / kUnitMs;
    for (int f = 0; f < frames; ++f) {
        const QImage img = painter.Paint(StateAt(film, fp.StartMs + f * kUnitMs)).convertToFormat(QImage::Format_RGB888);
        for (int y = 0; y < kFilmHeight; ++y)
            if (fwrite(img.constScanLine(y), 1, size_t(kFilmWidth) * 3, pipe) != size_t(kFilmWidth) * 3) {
                pclose(pipe);
                throw std::runtime_error("ffmpeg stopped while encoding " + out);
            }
    }
    if (pclose(pipe) != 0) throw std::runtime_error("ffmpeg failed on " + out);
    QFile::remove(QString::fromStdString(wav));
}

} // namespace

void WriteFilmParts(const TFilm& film, const std::string& targetDir, const std::string& cacheDir) {
    const std::string filmCache = cacheDir + "/film";
    QDir().mkpath(QString::fromStdString(filmCache));
    for (int k = 0; k < int(film.Timeline.Parts.size()); ++k) {
        const std::string cached = filmCache + "/" + PartKey(film, k) + ".mpg";
        if (!QFile::exists(QString::fromStdString(cached))) {
            EncodePart(film, k, cached + ".part", filmCache);
            QFile::rename(QString::fromStdString(cached + ".part"), QString::fromStdString(cached));
        }
        const QString dest = QString::fromStdString(targetDir + "/" + film.Timeline.Parts[size_t(k)].FileName);
        QFile::remove(dest);
        if (!QFile::copy(QString::fromStdString(cached), dest))
            throw std::runtime_error("cannot copy film part to " + dest.toStdString());
    }
}

} // namespace demodisc

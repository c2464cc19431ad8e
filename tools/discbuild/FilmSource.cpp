#include "FilmSource.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace discbuild {

namespace {

QStringList Args(const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    return list;
}

std::string Seconds(int units) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", units * 0.04);
    return buf;
}

} // namespace

void RunTool(const std::string& program, const std::vector<std::string>& args, double totalSeconds,
             const TProgressFn& progress, const std::string& workDir) {
    QProcess p;
    if (!workDir.empty()) p.setWorkingDirectory(QString::fromStdString(workDir));
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(QString::fromStdString(program), Args(args));
    if (!p.waitForStarted(10000)) throw std::runtime_error("cannot start " + program + " (is it installed?)");
    QByteArray pending, errors;
    bool stopped = false;
    while (p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(200);
        pending += p.readAllStandardOutput();
        errors += p.readAllStandardError();
        if (errors.size() > 8000) errors = errors.right(4000);
        double done = -1;
        for (qsizetype nl; (nl = pending.indexOf('\n')) >= 0; pending.remove(0, nl + 1)) {
            const QByteArray line = pending.left(nl).trimmed();
            if (line.startsWith("out_time_us=") || line.startsWith("out_time_ms=")) // both count microseconds
                done = line.mid(12).toDouble() / 1e6;
        }
        const double fraction = totalSeconds > 0 && done >= 0 ? std::clamp(done / totalSeconds, 0.0, 1.0) : -1;
        if (progress && !progress(fraction)) {
            p.kill();
            p.waitForFinished(5000);
            stopped = true;
            break;
        }
    }
    errors += p.readAllStandardError();
    if (stopped) throw std::runtime_error("stopped");
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        const QString last = QString::fromUtf8(errors).trimmed().split('\n').last();
        throw std::runtime_error(program + " failed: " + last.toStdString());
    }
}

TFilmInfo ProbeFilm(const std::string& path) {
    if (!QFile::exists(QString::fromStdString(path))) throw std::runtime_error("the film " + path + " does not exist");
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-show_entries", "format=duration:stream=codec_type,width,height,sample_aspect_ratio",
                        "-of", "default=noprint_wrappers=1", QString::fromStdString(path)});
    if (!p.waitForStarted(10000)) throw std::runtime_error("cannot start ffprobe (Debian package ffmpeg)");
    p.waitForFinished(60000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (p.exitCode() != 0)
        throw std::runtime_error("ffmpeg cannot read the film " + path + ": " +
                                 QString::fromUtf8(p.readAllStandardError()).trimmed().toStdString());
    TFilmInfo info;
    bool video = false, sarRead = false;
    for (const QString& line : out.split('\n')) {
        const QString key = line.section('=', 0, 0), value = line.section('=', 1).trimmed();
        if (key == "codec_type") {
            video = video || value == "video";
            info.HasAudio = info.HasAudio || value == "audio";
        } else if (key == "width" && info.Width == 0) info.Width = value.toInt();
        else if (key == "height" && info.Height == 0) info.Height = value.toInt();
        else if (key == "sample_aspect_ratio" && !sarRead) {
            // "N/A" or "0:1" when the film does not say: square pixels.
            sarRead = true;
            const int num = value.section(':', 0, 0).toInt(), den = value.section(':', 1).toInt();
            if (num > 0 && den > 0 && num <= 10 * den && den <= 10 * num) info.SarNum = num, info.SarDen = den;
        } else if (key == "duration") info.DurationMs = int(std::lround(value.toDouble() * 1000));
    }
    if (!video || info.Width <= 0 || info.Height <= 0)
        throw std::runtime_error("the film " + path + " holds no picture ffmpeg can read");
    if (info.DurationMs <= 0) throw std::runtime_error("the film " + path + " has no known length");
    return info;
}

namespace {

// w x h scaled down (never up) to fit in maxW x maxH, sides made even.
QSize FitEven(double w, double h, int maxW, int maxH) {
    const double scale = std::min({1.0, maxW / w, maxH / h});
    return QSize(std::max(2, int(w * scale) & ~1), std::max(2, int(h * scale) & ~1));
}

std::string Size(QSize s) { return std::to_string(s.width()) + ":" + std::to_string(s.height()); }

std::vector<int> ReadScenes(const std::string& file, int offsetUnits) {
    std::vector<int> units;
    QFile f(QString::fromStdString(file));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n')) {
            const qsizetype at = line.indexOf("pts_time:");
            if (at >= 0) units.push_back(offsetUnits + int(std::lround(line.mid(at + 9).trimmed().toDouble() * 25)));
        }
    f.remove();
    return units;
}

// The scene filter on 88 x 72 pictures, its finds printed into file (a
// name relative to ffmpeg's folder: the filter graph would misread ':' and
// ',' in a path).
std::string SceneFilter(const std::string& file) {
    return "scale=88:72,select='gt(scene\\,0.3)',metadata=print:file=" + file;
}

} // namespace

QSize PartSize(const TFilmInfo& info) {
    return FitEven(double(info.Width) * info.SarNum / info.SarDen, info.Height, kPartMaxWidth, kPartMaxHeight);
}

QSize WorkSize(const TFilmInfo& info) {
    const QSize part = PartSize(info);
    return FitEven(part.width(), part.height(), kWorkMaxWidth, kWorkMaxHeight);
}

std::vector<int> ScenesNear(const std::string& film, const std::vector<int>& placeUnits, int windowUnits,
                            const std::string& workDir, const TProgressFn& progress) {
    std::vector<int> units;
    for (size_t k = 0; k < placeUnits.size(); ++k) {
        const int from = std::max(0, placeUnits[k] - windowUnits);
        const double before = double(k) / placeUnits.size();
        RunTool("ffmpeg",
                {"-nostdin", "-y", "-v", "error", "-nostats", "-progress", "pipe:1", "-ss", Seconds(from), "-t",
                 Seconds(2 * windowUnits), "-i", film, "-map", "0:v:0", "-vf", "fps=25," + SceneFilter("near.txt"), "-f",
                 "null", "-"},
                2 * windowUnits * 0.04,
                [&](double f) { return !progress || progress(before + std::max(f, 0.0) / placeUnits.size()); }, workDir);
        for (int u : ReadScenes(workDir + "/near.txt", from)) units.push_back(u);
    }
    std::sort(units.begin(), units.end());
    units.erase(std::unique(units.begin(), units.end()), units.end());
    return units;
}

std::vector<int> EncodeFilm(const std::string& film, const TFilmInfo& info, const std::vector<int>& partStarts,
                            const std::vector<int>& keyUnits, const std::string& workDir, const TProgressFn& progress) {
    const int filmUnits = info.DurationMs / 40;
    std::vector<int> keys{0};
    for (int k : keyUnits)
        if (k > 0 && k < filmUnits) keys.push_back(k);
    for (int k : partStarts)
        if (k > 0 && k < filmUnits) keys.push_back(k);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::string keyTimes, cutTimes;
    for (int k : keys) keyTimes += (keyTimes.empty() ? "" : ",") + Seconds(k);
    for (size_t i = 1; i < partStarts.size(); ++i) cutTimes += (cutTimes.empty() ? "" : ",") + Seconds(partStarts[i]);
    auto partFile = [&](size_t i) { return QString::fromStdString(workDir + "/part" + std::to_string(i) + ".mp4"); };
    for (size_t i = 1; i <= partStarts.size(); ++i) QFile::remove(partFile(i));

    const std::string duration = std::to_string(info.DurationMs / 1000.0);
    std::vector<std::string> args{"-nostdin", "-y", "-v", "error", "-nostats", "-progress", "pipe:1", "-i", film};
    if (!info.HasAudio) args.insert(args.end(), {"-f", "lavfi", "-i", "anullsrc=r=44100:cl=stereo"});
    // One decoding feeds three branches: the parts at their size, the small
    // working copy made from them, and the scene search on tiny pictures.
    args.insert(args.end(),
                {"-filter_complex",
                 "[0:v:0]fps=25,scale=" + Size(PartSize(info)) + ":flags=bicubic,setsar=1,split=3[p][w][s];[w]scale=" +
                     Size(WorkSize(info)) + ":flags=area,setsar=1[c];[s]" + SceneFilter("scenes.txt") + ",nullsink",
                 "-map", "[p]", "-map", info.HasAudio ? "0:a:" + std::to_string(info.AudioTrack) : std::string("1:a:0"), "-t", duration,
                 // veryfast at quality 23 with the quickest motion search: a
                 // 1080p film is built over four times faster than it plays on
                 // two cores, for a fifth more bytes than veryfast's own search.
                 // The forced key frames are IDR frames (x264's groups are
                 // closed), so a seek to a line's start decodes nothing before it.
                 "-c:v", "libx264", "-preset", "veryfast", "-crf", "23", "-x264-params",
                 "me=dia:subme=1:partitions=i8x8,i4x4", "-pix_fmt", "yuv420p", "-force_key_frames", keyTimes, "-c:a",
                 "aac", "-b:a", "128k", "-ar", "44100", "-ac", "2"});
    if (partStarts.size() > 1)
        // Cut at the forced key frames of the part starts (within half a frame).
        args.insert(args.end(), {"-f", "segment", "-segment_times", cutTimes, "-segment_time_delta", "0.02",
                                 "-reset_timestamps", "1", "-segment_format", "mp4", "-segment_start_number", "1",
                                 "part%d.mp4"});
    else
        args.insert(args.end(), {"-f", "mp4", "part1.mp4"});
    args.insert(args.end(), {"-map", "[c]", "-t", duration, "-c:v", "mjpeg", "-q:v", "3", "film.mkv"});
    RunTool("ffmpeg", args, info.DurationMs / 1000.0, progress, workDir);
    for (size_t i = 1; i <= std::max<size_t>(partStarts.size(), 1); ++i)
        if (!QFile::exists(partFile(i)))
            throw std::runtime_error("ffmpeg made fewer film parts than the " + std::to_string(partStarts.size()) +
                                     " asked for (part " + std::to_string(i) + " is missing)");
    return ReadScenes(workDir + "/scenes.txt", 0);
}

std::vector<QImage> GrabFrames(const std::string& workFile, const std::vector<int>& units, const std::string& tempDir) {
    // One ffmpeg run grabs a batch of frames: each frame is its own input
    // seeked to its place, so nothing between them is decoded, and the cost of
    // starting ffmpeg is paid once per batch instead of once per frame.
    constexpr size_t kBatch = 24;
    auto pngOf = [&](size_t k) { return tempDir + "/grab" + std::to_string(k) + ".png"; };
    auto grab = [&](size_t from, size_t to) {
        std::vector<std::string> args{"-nostdin", "-y", "-v", "error"};
        for (size_t k = from; k < to; ++k) args.insert(args.end(), {"-ss", Seconds(std::max(units[k], 0)), "-i", workFile});
        for (size_t k = from; k < to; ++k)
            args.insert(args.end(), {"-map", std::to_string(k - from) + ":v:0", "-frames:v", "1", pngOf(k)});
        RunTool("ffmpeg", args, 0, nullptr);
    };
    std::vector<QImage> out(units.size());
    for (size_t from = 0; from < units.size(); from += kBatch) {
        const size_t to = std::min(units.size(), from + kBatch);
        try {
            grab(from, to);
        } catch (const std::exception&) {
            // A frame ffmpeg cannot give (past the end, a broken spot) fails the
            // whole batch: grab those frames one by one so only that one is lost.
            for (size_t k = from; k < to; ++k) try {
                    grab(k, k + 1);
                } catch (const std::exception&) {
                }
        }
        for (size_t k = from; k < to; ++k) {
            const QString png = QString::fromStdString(pngOf(k));
            out[k].load(png);
            QFile::remove(png);
        }
    }
    return out;
}

} // namespace discbuild

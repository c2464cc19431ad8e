#include "FilmSource.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cmath>
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
    p.start("ffprobe", {"-v", "error", "-show_entries", "format=duration:stream=codec_type,width,height", "-of",
                        "default=noprint_wrappers=1", QString::fromStdString(path)});
    if (!p.waitForStarted(10000)) throw std::runtime_error("cannot start ffprobe (Debian package ffmpeg)");
    p.waitForFinished(60000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (p.exitCode() != 0)
        throw std::runtime_error("ffmpeg cannot read the film " + path + ": " +
                                 QString::fromUtf8(p.readAllStandardError()).trimmed().toStdString());
    TFilmInfo info;
    bool video = false;
    for (const QString& line : out.split('\n')) {
        const QString key = line.section('=', 0, 0), value = line.section('=', 1).trimmed();
        if (key == "codec_type") {
            video = video || value == "video";
            info.HasAudio = info.HasAudio || value == "audio";
        } else if (key == "width" && info.Width == 0) info.Width = value.toInt();
        else if (key == "height" && info.Height == 0) info.Height = value.toInt();
        else if (key == "duration") info.DurationMs = int(std::lround(value.toDouble() * 1000));
    }
    if (!video || info.Width <= 0) throw std::runtime_error("the film " + path + " holds no picture ffmpeg can read");
    if (info.DurationMs <= 0) throw std::runtime_error("the film " + path + " has no known length");
    return info;
}

std::vector<int> PrepareWorkingCopy(const std::string& film, const TFilmInfo& info, const std::string& workFile,
                                    const TProgressFn& progress) {
    const std::string folder = workFile.substr(0, workFile.find_last_of('/'));
    const std::string scenes = "scenes.txt"; // relative: the filter graph would misread ':' and ',' in a path
    const std::string fit = "scale=" + std::to_string(kPartWidth) + ":" + std::to_string(kPartHeight) +
                            ":force_original_aspect_ratio=decrease,pad=" + std::to_string(kPartWidth) + ":" +
                            std::to_string(kPartHeight) + ":(ow-iw)/2:(oh-ih)/2,setsar=1,fps=25";
    std::vector<std::string> args{"-nostdin", "-y", "-v", "error", "-nostats", "-progress", "pipe:1", "-threads", "2",
                                  "-i", film};
    if (!info.HasAudio) args.insert(args.end(), {"-f", "lavfi", "-i", "anullsrc=r=44100:cl=mono"});
    args.insert(args.end(),
                {"-filter_complex",
                 "[0:v:0]" + fit + ",split[o][s];[s]scale=88:72,select='gt(scene\\,0.3)',metadata=print:file=" + scenes +
                     ",nullsink",
                 "-map", "[o]", "-map", info.HasAudio ? "0:a:0" : "1:a:0", "-t",
                 std::to_string(info.DurationMs / 1000.0), "-c:v", "mjpeg", "-q:v", "3", "-c:a", "pcm_s16le",
                 "-ar", "44100", "-ac", "1", workFile});
    RunTool("ffmpeg", args, info.DurationMs / 1000.0, progress, folder);
    std::vector<int> units;
    QFile f(QString::fromStdString(folder + "/" + scenes));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n')) {
            const qsizetype at = line.indexOf("pts_time:");
            if (at >= 0) units.push_back(int(std::lround(line.mid(at + 9).trimmed().toDouble() * 25)));
        }
    return units;
}

void EncodePart(const std::string& workFile, int startUnits, int units, const std::vector<int>& keyUnits,
                const std::string& out, const TProgressFn& progress) {
    std::string keys = "0";
    for (int k : keyUnits)
        if (k > 0 && k < units) keys += "," + Seconds(k);
    RunTool("ffmpeg",
            {"-nostdin", "-y", "-v", "error", "-nostats", "-progress", "pipe:1", "-ss", Seconds(startUnits), "-i",
             workFile, "-t", Seconds(units), "-frames:v", std::to_string(units), "-threads", "2", "-c:v",
             "mpeg1video", "-q:v", "4", "-g", "50", "-bf", "2", "-flags", "+cgop", "-sc_threshold", "1000000000", "-pix_fmt", "yuv420p",
             "-force_key_frames", keys,
             "-c:a", "mp2", "-b:a", "128k", "-ar", "44100", "-ac", "1", "-f", "mpeg", out},
            units * 0.04, progress);
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

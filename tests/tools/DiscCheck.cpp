#include "DiscCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStringDecoder>
#include <cmath>

#include "content/KeyFiles.h"
#include "content/OurUtils.h"

namespace disccheck {

std::vector<std::string> RawLines(const std::string& path) { return tav::ReadTextLines(path); }

std::vector<QString> MacLines(const std::string& path) {
    std::vector<QString> out;
    for (const std::string& line : tav::ReadTextLines(path)) {
        const std::string ansi = tav::MacToAnsi(line);
        QStringDecoder dec("windows-1252");
        out.push_back(dec.decode(QByteArray::fromStdString(ansi)));
    }
    return out;
}

std::vector<std::string> Fields(std::string line, char sep) {
    std::vector<std::string> out;
    while (!line.empty()) out.push_back(tav::NextToken(line, sep));
    return out;
}

int TimecodeToUnits(std::string text) {
    int fields[4];
    int n = 0;
    while (n < 4) {
        const std::string f = tav::NextToken(text, ':');
        int v = 0;
        if (f.empty() || !tav::TryStrToInt(f, v)) break;
        fields[n++] = v;
    }
    static const int weight[4] = {1, 30, 1800, 108000};
    long long total = 0;
    for (int i = 0; i < n; ++i) total += (long long)fields[n - 1 - i] * weight[i];
    return int(total * 25 / 30);
}

bool Exists(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }

QSize PictureSize(const std::string& path) {
    QImageReader r(QString::fromStdString(path));
    return r.size();
}

TAiffInfo ReadAiffHeader(const std::string& path) {
    TAiffInfo info;
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return info;
    const QByteArray b = f.readAll();
    auto be32 = [&](int at) {
        return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) |
               (uint32_t(uint8_t(b[at + 2])) << 8) | uint32_t(uint8_t(b[at + 3]));
    };
    if (b.size() < 12 || b.left(4) != "FORM" || b.mid(8, 4) != "AIFF") return info;
    if (int(be32(4)) + 8 != b.size()) return info;
    int pos = 12;
    bool sound = false;
    while (pos + 8 <= b.size()) {
        const QByteArray id = b.mid(pos, 4);
        const int size = int(be32(pos + 4));
        if (id == "COMM" && size >= 18) {
            info.Channels = (uint8_t(b[pos + 8]) << 8) | uint8_t(b[pos + 9]);
            info.Frames = long(be32(pos + 10));
            const int exponent = ((uint8_t(b[pos + 16]) & 0x7F) << 8 | uint8_t(b[pos + 17])) - 16383;
            const double mant = double(be32(pos + 18)) * 4294967296.0 + double(be32(pos + 22));
            info.Rate = std::ldexp(mant, exponent - 63);
        }
        if (id == "SSND") sound = size >= 8 + info.Frames * info.Channels * 2;
        pos += 8 + size + (size & 1);
    }
    info.Valid = sound && info.Channels > 0 && info.Frames > 0;
    return info;
}

TStreamInfo ProbeFilm(const std::string& path) {
    TStreamInfo info;
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                        "stream=codec_type,codec_name,width,height,r_frame_rate,nb_read_frames:format=duration",
                        "-of", "default=noprint_wrappers=1", QString::fromStdString(path)});
    if (!p.waitForFinished(30000)) return info;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const int eq = line.indexOf('=');
        if (eq < 0) continue;
        const QByteArray key = line.left(eq), value = line.mid(eq + 1).trimmed();
        if (key == "codec_type" && value == "video") info.HasVideo = true;
        if (key == "codec_type" && value == "audio") info.HasAudio = true;
        if (key == "codec_name" && info.VideoCodec.empty() && value.startsWith("mpeg")) info.VideoCodec = value.toStdString();
        if (key == "width") info.Width = value.toInt();
        if (key == "height") info.Height = value.toInt();
        if (key == "r_frame_rate" && value.contains('/') && value != "0/0")
            info.Fps = value.split('/')[0].toDouble() / value.split('/')[1].toDouble();
        if (key == "duration") info.Seconds = value.toDouble();
        if (key == "nb_read_frames" && info.Frames == 0 && value != "N/A") info.Frames = value.toInt();
    }
    return info;
}

} // namespace disccheck

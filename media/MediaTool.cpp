// tavolin-media: diagnostics on the program's media engine.
//   probe FILE               has video, natural size, length (ms and film units)
//   frame FILE UNITS OUT.png the exact frame at a film position
//   play FILE FROM TO        plays a range in film units, reports the outcome
//   record MS OUT.wav        records from the default input
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>

#include <cstdio>
#include <string>

#include "content/OurUtils.h"
#include "media/AudioOutput.h"
#include "media/MCIControl.h"
#include "media/MediaDecoder.h"
#include "platform/Messages.h"
#include "platform/VersionOption.h"

namespace {

int Usage(FILE* to = stderr) {
    std::fprintf(to,
                 "usage: tavolin-media probe FILE\n"
                 "       tavolin-media frame FILE UNITS OUT.png\n"
                 "       tavolin-media play FILE FROM TO\n"
                 "       tavolin-media record MS OUT.wav\n");
    return to == stderr ? 2 : 0;
}

// Catches the completion message of a play or recording.
class TNotifySink : public QObject {
public:
    int Outcome = 0;
    bool event(QEvent* e) override {
        if (auto* m = tav::AsMessage(e, tav::MM_MCINOTIFY)) {
            Outcome = static_cast<int>(m->WParam());
            return true;
        }
        return QObject::event(e);
    }
};

// The frame command decodes directly: no window, no sound output needed.
int Frame(const std::string& file, int units, const std::string& out) {
    tav::TMediaDecoder decoder(file, 48000);
    tav::TVideoFrame frame;
    if (!decoder.HasVideo() || !decoder.SeekExact(int64_t(units) * 40000, &frame)) {
        std::fprintf(stderr, "no picture at %d\n", units);
        return 1;
    }
    // Light compression: the picture is for looking at, and saving stays fast.
    if (!frame.Image.save(QString::fromStdString(out), "PNG", 90)) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (tav::AnswerVersionOption(argc, argv, "tavolin-media")) return 0;
    if (tav::IsOption(argc, argv, "--help")) return Usage(stdout);
    if (argc < 3) return Usage();
    const std::string cmd = argv[1];
    try {
        if (cmd == "frame") {
            if (argc != 5) return Usage();
            return Frame(argv[2], std::atoi(argv[3]), argv[4]);
        }
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        if (cmd == "probe") {
            tav::TMCIPlayer player;
            player.Open(argv[2], nullptr, tav::ooFilmUnits);
            const int units = player.GetLength();
            player.Close();
            player.Open(argv[2], nullptr, 0);
            std::printf("has video: %s\nnatural size: %d x %d\nlength: %d ms, %d film units\n",
                        player.HasVideo ? "yes" : "no", player.NaturalRect.Width, player.NaturalRect.Height,
                        player.GetLength(), units);
            return 0;
        }
        if (cmd == "play") {
            if (argc != 5) return Usage();
            tav::TMCIPlayer player;
            player.Open(argv[2], nullptr, tav::ooFilmUnits);
            TNotifySink sink;
            QElapsedTimer t;
            t.start();
            player.Play(std::atoi(argv[3]), std::atoi(argv[4]), true, &sink);
            QCoreApplication::processEvents();
            std::printf("output: %s\ncompleted after %lld ms with outcome %d at position %d\n",
                        tav::TAudioOutput::Instance().IsNull() ? "null" : tav::TAudioOutput::Instance().DriverName().c_str(),
                        static_cast<long long>(t.elapsed()), sink.Outcome, player.GetPosition());
            if (player.HasVideo) {
                const int64_t ms = player.CurrentFrameMs();
                std::printf("last frame shown: %lld ms (film unit %lld)\n", static_cast<long long>(ms),
                            static_cast<long long>(ms / 40));
            }
            return sink.Outcome == tav::MCI_NOTIFY_SUCCESSFUL ? 0 : 1;
        }
        if (cmd == "record") {
            if (argc != 4) return Usage();
            tav::TMCIRecorder recorder;
            recorder.Open(1, 2, 22050);
            recorder.Record(std::atoi(argv[2]), true, nullptr);
            recorder.SaveToFile(argv[3]);
            std::printf("recorded %s\n", argv[3]);
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return Usage();
}

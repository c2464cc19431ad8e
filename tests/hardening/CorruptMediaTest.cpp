// Corrupt media made at test time from small good clips: truncated, bit
// flipped, zero-length, under a wrong extension, with huge stated picture
// sizes, and a film part that stops in the middle of a group of pictures.
// Every film part and sound either fails to open with "MCI Error: ..." (or
// "Player reports zero length media") or
// plays to one completion (successful, or failure = 8), each step within 5 s;
// every picture loads or is refused with the loader's message.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "TestSupport.h"
#include "content/OurUtils.h"
#include "media/MCIControl.h"
#include "media/VideoPanel.h"
#include "platform/Messages.h"
#include "toolkit/PictureLoader.h"

using namespace tav;

namespace {

// No step with a damaged file may take longer (more under a sanitizer). A
// guard against hangs, not a speed target: a film part whose header states a
// 4095 x 4095 picture decodes pictures of 16 million pixels, about 1.5 s to
// open and as long to play here, and a machine running other tests at the
// same time took over 3 s.
constexpr int kLimitMs = 5000 * tavtest::kSlowdown;

class TNotes : public QObject {
public:
    std::vector<int> Outcomes;
    bool event(QEvent* e) override {
        if (auto* m = AsMessage(e, MM_MCINOTIFY)) {
            Outcomes.push_back(int(m->WParam()));
            return true;
        }
        return QObject::event(e);
    }
};

int RunShell(const std::string& command) {
    const int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Spill(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The player's two refusals of a file: the device's error, or a file that
// holds nothing to play.
bool IsMediaRefusal(const std::string& text) {
    return text.rfind("MCI Error: ", 0) == 0 || text == "Player reports zero length media";
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

void PutBE32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char(v >> (24 - 8 * i));
}

// The variants every source gets: name suffix and bytes.
std::vector<std::pair<std::string, std::string>> Damaged(const std::string& good, unsigned seed) {
    std::vector<std::pair<std::string, std::string>> out;
    out.push_back({"zero", ""});
    for (int percent : {1, 5, 30, 60, 95}) out.push_back({"cut" + std::to_string(percent), good.substr(0, good.size() * size_t(percent) / 100)});
    std::mt19937 rng(seed);
    for (int n = 0; n < 3; ++n) {
        std::string s = good;
        const size_t head = std::min<size_t>(s.size(), 1024);
        for (int k = 0; k < 24; ++k) s[rng() % head] ^= char(1u << (rng() % 8));
        out.push_back({"headflip" + std::to_string(n), s});
    }
    for (int n = 0; n < 2; ++n) {
        std::string s = good;
        for (size_t k = 0; k < s.size() / 500 + 1; ++k) s[rng() % s.size()] = char(rng());
        out.push_back({"bodyflip" + std::to_string(n), s});
    }
    return out;
}

class CorruptMedia : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        const std::string d = dir_->path().toStdString();
        const std::string ff = "ffmpeg -v error -y ";
        const std::string video = "-f lavfi -i testsrc=s=352x288:r=25:d=1 -f lavfi -i sine=f=440:r=44100:d=1 ";
        ASSERT_EQ(RunShell(ff + video + "-c:v mpeg1video -g 12 -bf 2 -c:a mp2 -shortest " + d + "/film.mpg"), 0);
        ASSERT_EQ(RunShell(ff + video + "-c:v libx264 -preset veryfast -g 10 -pix_fmt yuv420p -c:a aac -shortest " + d + "/film.mp4"), 0);
        ASSERT_EQ(RunShell(ff + "-f lavfi -i sine=f=440:r=22050:d=0.5 -c:a pcm_s16be " + d + "/sound.aif"), 0);
        ASSERT_EQ(RunShell(ff + "-f lavfi -i sine=f=440:r=22050:d=0.5 -c:a pcm_s16le " + d + "/sound.wav"), 0);
        QImage img(120, 90, QImage::Format_RGB32);
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 120; ++x) img.setPixel(x, y, qRgb(x * 2, y * 2, (x ^ y) & 255));
        ASSERT_TRUE(img.save(QString::fromStdString(d + "/pic.jpg")));
        ASSERT_TRUE(img.save(QString::fromStdString(d + "/pic.png")));
        ASSERT_TRUE(img.save(QString::fromStdString(d + "/pic.bmp")));
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string Folder() { return dir_->path().toStdString(); }

    // The damaged files of one source, written beside it; returns their paths.
    static std::vector<std::string> MakeSet(const std::string& source, const std::string& ext, unsigned seed) {
        const std::string good = Slurp(Folder() + "/" + source);
        EXPECT_FALSE(good.empty()) << source;
        std::vector<std::string> files;
        for (const auto& [suffix, bytes] : Damaged(good, seed)) {
            files.push_back(Folder() + "/bad-" + source + "-" + suffix + "." + ext);
            Spill(files.back(), bytes);
        }
        return files;
    }
    static std::string Add(const std::string& name, const std::string& bytes) {
        Spill(Folder() + "/" + name, bytes);
        return Folder() + "/" + name;
    }

    // Opens and plays one file; any failure is recorded against its name.
    void TryMedia(const std::string& file) {
        SCOPED_TRACE(file);
        if (qEnvironmentVariableIsSet("TAVOLIN_TRACE_MEDIA")) std::fprintf(stderr, "trying %s\n", file.c_str());
        ++tried;
        TVideoPanel panel;
        panel.resize(320, 240);
        TMCIPlayer player;
        TNotes notes;
        QElapsedTimer t;
        t.start();
        try {
            player.Open(file, &panel, ooFilmUnits | ooFitPanel);
        } catch (const EProgramError& e) {
            EXPECT_TRUE(IsMediaRefusal(e.what())) << e.what();
            EXPECT_LT(t.elapsed(), kLimitMs) << "refusing took too long";
            ++refused;
            return;
        }
        EXPECT_LT(t.elapsed(), kLimitMs) << "opening took too long";
        try {
            // At most 1 s of it: a damaged header may state any length.
            const int length = player.GetLength();
            const int to = length > 25 ? 25 : -1;
            t.restart();
            player.Play(0, to, false, &notes);
            ASSERT_TRUE(tavtest::WaitUntil([&] { return !notes.Outcomes.empty(); }, 1000 + kLimitMs))
                << "no completion, length " << length;
            tavtest::Pump(50);
            ASSERT_EQ(notes.Outcomes.size(), 1u);
            EXPECT_TRUE(notes.Outcomes[0] == MCI_NOTIFY_SUCCESSFUL || notes.Outcomes[0] == MCI_NOTIFY_FAILURE)
                << "outcome " << notes.Outcomes[0];
            ++(notes.Outcomes[0] == MCI_NOTIFY_FAILURE ? failedPlays : played);
        } catch (const EProgramError& e) {
            EXPECT_TRUE(IsMediaRefusal(e.what())) << e.what();
            ++refused;
        }
        t.restart();
        player.Close();
        EXPECT_LT(t.elapsed(), kLimitMs) << "closing took too long";
    }

    void TryPicture(const std::string& file) {
        SCOPED_TRACE(file);
        ++tried;
        QElapsedTimer t;
        t.start();
        try {
            const QImage img = LoadPicture(file);
            EXPECT_FALSE(img.isNull());
            ++played;
        } catch (const EProgramError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Couldn't load ", 0), 0u) << e.what();
            ++refused;
        }
        EXPECT_LT(t.elapsed(), kLimitMs);
    }

    void TearDown() override {
        std::printf("%d files tried: %d refused, %d played or loaded, %d plays ended in failure\n", tried, refused,
                    played, failedPlays);
    }
    int tried = 0, refused = 0, played = 0, failedPlays = 0;
    static QTemporaryDir* dir_;
};

QTemporaryDir* CorruptMedia::dir_ = nullptr;

} // namespace

TEST_F(CorruptMedia, FilmPartsFailToOpenOrPlayToACompletion) {
    std::vector<std::string> files = MakeSet("film.mpg", "mpg", 1);
    for (const auto& f : MakeSet("film.mp4", "mp4", 2)) files.push_back(f);
    std::string mpg = Slurp(Folder() + "/film.mpg");
    // Huge stated picture size: the sequence header says 4095 x 4095.
    const size_t seq = mpg.find(std::string("\0\0\1\xB3", 4));
    ASSERT_NE(seq, std::string::npos);
    std::string huge = mpg;
    huge[seq + 4] = char(0xFF), huge[seq + 5] = char(0xFF), huge[seq + 6] = char(0xFF);
    files.push_back(Add("huge.mpg", huge));
    // A stream that stops in the middle of its second group of pictures.
    const size_t gop2 = mpg.find(std::string("\0\0\1\xB8", 4), mpg.find(std::string("\0\0\1\xB8", 4)) + 4);
    ASSERT_NE(gop2, std::string::npos);
    size_t pic = gop2;
    for (int k = 0; k < 3; ++k) pic = mpg.find(std::string("\0\0\1\0", 4), pic + 4);
    ASSERT_NE(pic, std::string::npos);
    files.push_back(Add("midgop.mpg", mpg.substr(0, pic + 200)));
    // Wrong extensions: a sound and a picture named as film parts.
    files.push_back(Add("sound-as.mpg", Slurp(Folder() + "/sound.wav")));
    files.push_back(Add("picture-as.mpg", Slurp(Folder() + "/pic.jpg")));
    files.push_back(Folder() + "/not-there.mpg");
    for (const auto& f : files) TryMedia(f);
    EXPECT_GT(refused, 0);
    EXPECT_GT(played + failedPlays, 0);
}

TEST_F(CorruptMedia, SoundsFailToOpenOrPlayToACompletion) {
    std::vector<std::string> files = MakeSet("sound.aif", "aif", 3);
    for (const auto& f : MakeSet("sound.wav", "wav", 4)) files.push_back(f);
    files.push_back(Add("film-as.aif", Slurp(Folder() + "/film.mpg")));
    files.push_back(Add("wave-as.aif", Slurp(Folder() + "/sound.wav")));
    files.push_back(Add("picture-as.wav", Slurp(Folder() + "/pic.png")));
    // A WAVE header stating far more data than there is.
    std::string wav = Slurp(Folder() + "/sound.wav");
    const size_t data = wav.find("data");
    ASSERT_NE(data, std::string::npos);
    for (int i = 0; i < 4; ++i) wav[data + 4 + size_t(i)] = char(0xFF);
    files.push_back(Add("huge.wav", wav));
    for (const auto& f : files) TryMedia(f);
    EXPECT_GT(refused, 0);
}

TEST_F(CorruptMedia, PicturesLoadOrAreRefused) {
    std::vector<std::string> files;
    unsigned seed = 10;
    for (const char* ext : {"jpg", "png", "bmp"})
        for (const auto& f : MakeSet(std::string("pic.") + ext, ext, seed++)) files.push_back(f);
    files.push_back(Add("png-as.jpg", Slurp(Folder() + "/pic.png")));
    files.push_back(Add("film-as.bmp", Slurp(Folder() + "/film.mpg")));
    // Huge stated sizes, with the headers otherwise valid.
    std::string bmp = Slurp(Folder() + "/pic.bmp");
    for (int i = 0; i < 4; ++i) bmp[18 + size_t(i)] = bmp[22 + size_t(i)] = char(i == 2 ? 0x01 : 0x00); // 65536 x 65536
    files.push_back(Add("huge.bmp", bmp));
    std::string png = Slurp(Folder() + "/pic.png");
    PutBE32(png, 16, 0x7FFFFFF0u);
    PutBE32(png, 20, 0x7FFFFFF0u);
    PutBE32(png, 29, Crc32(png.substr(12, 17))); // the header chunk's checksum stays right
    files.push_back(Add("huge.png", png));
    std::string jpg = Slurp(Folder() + "/pic.jpg");
    const size_t sof = jpg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    jpg[sof + 5] = jpg[sof + 6] = jpg[sof + 7] = jpg[sof + 8] = char(0xFF); // 65535 x 65535
    files.push_back(Add("huge.jpg", jpg));
    for (const auto& f : files) TryPicture(f);
    EXPECT_GT(refused, 0);
}

// Recording: the WAVE writer, the recorder's operations and completions, and
// (when run under SDL's disk driver) a known input recorded and read back.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cstring>
#include <fstream>

#include "NotifySink.h"
#include "TestSupport.h"
#include "content/OurUtils.h"
#include "media/MCIControl.h"
#include "media/MediaDecoder.h"
#include "media/WaveFile.h"

using namespace tav;
using tavtest::TNotifySink;

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Recording is exercised under SDL's disk driver (the media_tests_disk run),
// whose capture reads the file named by SDL_DISKAUDIOFILEIN when the device
// opens: here a rising ramp of the given length, 22,050 Hz mono.
bool UnderDiskDriver() { return qgetenv("SDL_AUDIODRIVER") == "disk"; }
void FeedCapture(const std::string& file, int ms) {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < 22050 * ms / 1000; ++i) {
        const int16_t s = static_cast<int16_t>((i * 37) % 30000 - 15000);
        out.put(static_cast<char>(s & 0xFF));
        out.put(static_cast<char>((s >> 8) & 0xFF));
    }
    qputenv("SDL_DISKAUDIOFILEIN", QByteArray::fromStdString(file));
}

} // namespace

TEST(WaveWriter, HeaderIsStandardPcm) {
    TWaveData w;
    w.Channels = 1;
    w.SampleRate = 22050;
    w.BitsPerSample = 16;
    for (int i = 0; i < 100; ++i) {
        w.Pcm.push_back(static_cast<uint8_t>(i));
        w.Pcm.push_back(static_cast<uint8_t>(i * 3));
    }
    auto b = EncodeWave(w);
    ASSERT_EQ(b.size(), 44u + 200u);
    EXPECT_EQ(std::memcmp(b.data(), "RIFF", 4), 0);
    EXPECT_EQ(U32(b, 4), 36u + 200u);
    EXPECT_EQ(std::memcmp(b.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(U32(b, 16), 16u);
    EXPECT_EQ(U16(b, 20), 1);          // PCM
    EXPECT_EQ(U16(b, 22), 1);          // mono
    EXPECT_EQ(U32(b, 24), 22050u);     // rate
    EXPECT_EQ(U32(b, 28), 44100u);     // bytes per second
    EXPECT_EQ(U16(b, 32), 2);          // block align
    EXPECT_EQ(U16(b, 34), 16);         // bits
    EXPECT_EQ(std::memcmp(b.data() + 36, "data", 4), 0);
    EXPECT_EQ(U32(b, 40), 200u);
    TWaveData back = DecodeWave(b);
    EXPECT_EQ(back.Pcm, w.Pcm);
    EXPECT_EQ(back.SampleRate, 22050);
}

TEST(WaveWriter, PartialSampleIsDroppedAndOddChunksPadded) {
    TWaveData w{1, 8000, 16, {1, 2, 3}}; // one and a half samples
    auto b = EncodeWave(w);
    EXPECT_EQ(U32(b, 40), 2u);
    TWaveData mono8{1, 8000, 8, {9, 8, 7}};
    auto c = EncodeWave(mono8);
    EXPECT_EQ(U32(c, 40), 3u);
    EXPECT_EQ(c.size(), 44u + 4u) << "odd data chunk gets a pad byte";
    EXPECT_EQ(DecodeWave(c).Pcm, mono8.Pcm);
}

TEST(WaveWriter, UnwritableFolderFailsWithoutLeftovers) {
    TWaveData w{1, 22050, 16, {0, 0}};
    EXPECT_THROW(WriteWaveFile("/nonexistent-folder/x.wav", w), EMediaError);
    tavtest::TempFolder dir;
    WriteWaveFile(dir.File("a.wav"), w);
    EXPECT_EQ(Bytes(dir.File("a.wav")).size(), 46u);
    std::ifstream part(dir.File("a.wav.part"));
    EXPECT_FALSE(part.good()) << "no temporary file is left";
}

TEST(WaveWriter, TheSavedFileOpensInThePlayer) {
    tavtest::TempFolder dir;
    TWaveData w{1, 22050, 16, std::vector<uint8_t>(22050 * 2, 0)}; // one second
    WriteWaveFile(dir.File("one.wav"), w);
    TMCIPlayer player;
    player.Open(dir.File("one.wav"), nullptr, 0);
    EXPECT_EQ(player.GetLength(), 1000);
    EXPECT_FALSE(player.HasVideo);
}

TEST(Recorder, ClosedRecorderRaisesAndEmptyNameOnlyStops) {
    TMCIRecorder recorder;
    try {
        recorder.Record(100, false, nullptr);
        FAIL() << "Record on a closed recorder must raise";
    } catch (const EProgramError& e) {
        EXPECT_STREQ(e.what(), "Media player not open");
    }
    EXPECT_THROW(recorder.Stop(), EProgramError);
    EXPECT_NO_THROW(recorder.Close());
}

TEST(RecorderDisk, RecordsTheAskedLengthAndSavesAWave) {
    if (!UnderDiskDriver()) GTEST_SKIP() << "runs under SDL's disk driver (media_tests_disk)";
    tavtest::TempFolder input;
    FeedCapture(input.File("in.raw"), 2000);
    TMCIRecorder recorder;
    recorder.Open(1, 2, 22050);
    EXPECT_TRUE(recorder.IsOpen);
    EXPECT_NE(recorder.DeviceID, 0);
    TNotifySink sink;
    QElapsedTimer t;
    t.start();
    recorder.Record(400, false, &sink);
    EXPECT_TRUE(recorder.IsRecording);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return !sink.Notes.empty(); }, 5000)) << "recording never hangs";
    EXPECT_GE(t.elapsed(), 300) << "capture runs in real time";
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(sink.Notes[0].Device, recorder.DeviceID);
    tavtest::TempFolder dir;
    recorder.SaveToFile(dir.File("take.wav"));
    EXPECT_FALSE(recorder.IsRecording);
    TWaveData w = ReadWaveFile(dir.File("take.wav"));
    EXPECT_EQ(w.Channels, 1);
    EXPECT_EQ(w.SampleRate, 22050);
    EXPECT_EQ(w.BitsPerSample, 16);
    EXPECT_EQ(w.Pcm.size(), 400u * 22050 / 1000 * 2);
    recorder.SaveToFile(""); // only stops
    recorder.Close();
    EXPECT_FALSE(recorder.IsOpen);
    EXPECT_EQ(recorder.DeviceID, 0);
}

TEST(RecorderDisk, StopCutsTheRecordingShortAndReportsIt) {
    if (!UnderDiskDriver()) GTEST_SKIP() << "runs under SDL's disk driver (media_tests_disk)";
    tavtest::TempFolder input;
    FeedCapture(input.File("in.raw"), 6000);
    TMCIRecorder recorder;
    recorder.Open(1, 2, 22050);
    TNotifySink sink;
    recorder.Record(5000, false, &sink);
    tavtest::Pump(250);
    recorder.Stop();
    EXPECT_FALSE(recorder.IsRecording);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return !sink.Notes.empty(); }, 2000));
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_ABORTED);
    tavtest::TempFolder dir;
    recorder.SaveToFile(dir.File("short.wav"));
    TWaveData w = ReadWaveFile(dir.File("short.wav"));
    EXPECT_GT(w.Pcm.size(), 0u);
    EXPECT_LT(w.Pcm.size(), 22050u * 2 * 2) << "well under the 5 s asked for";
    // Record again: a new take from position 0.
    sink.Notes.clear();
    recorder.Record(100, true, &sink);
    tavtest::Pump(50);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    recorder.SaveToFile(dir.File("again.wav"));
    EXPECT_EQ(ReadWaveFile(dir.File("again.wav")).Pcm.size(), 100u * 22050 / 1000 * 2);
}

TEST(RecorderDisk, UnsupportedFormatLeavesTheRecorderOpen) {
    if (!UnderDiskDriver()) GTEST_SKIP() << "runs under SDL's disk driver (media_tests_disk)";
    tavtest::TempFolder input;
    FeedCapture(input.File("in.raw"), 500);
    TMCIRecorder recorder;
    try {
        recorder.Open(1, 3, 22050);
        FAIL() << "three-byte samples are not supported";
    } catch (const EProgramError& e) {
        const std::string msg = e.what();
        EXPECT_EQ(msg.rfind("MCI Error: ", 0), 0u) << msg;
        EXPECT_EQ(msg.find("no sound input device"), std::string::npos) << msg;
        EXPECT_TRUE(recorder.IsOpen);
        EXPECT_THROW(recorder.Record(100, false, nullptr), EProgramError);
        recorder.Close();
        EXPECT_FALSE(recorder.IsOpen);
    }
}

// Run by CTest a second time under SDL's disk driver, which feeds capture
// from the file named by SDL_DISKAUDIOFILEIN (read when the device opens).
TEST(RecorderDisk, KnownInputIsRecordedAndReadBack) {
    if (qgetenv("SDL_AUDIODRIVER") != "disk") GTEST_SKIP() << "needs SDL's disk driver";
    tavtest::TempFolder dir;
    const std::string input = dir.File("input.raw");
    std::vector<uint8_t> expected;
    for (int i = 0; i < 22050; ++i) { // one second of a rising ramp
        const int16_t s = static_cast<int16_t>((i * 37) % 30000 - 15000);
        expected.push_back(static_cast<uint8_t>(s & 0xFF));
        expected.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
    }
    {
        std::ofstream out(input, std::ios::binary);
        out.write(reinterpret_cast<const char*>(expected.data()), static_cast<long>(expected.size()));
    }
    qputenv("SDL_DISKAUDIOFILEIN", QByteArray::fromStdString(input));
    TMCIRecorder recorder;
    recorder.Open(1, 2, 22050);
    TNotifySink sink;
    recorder.Record(500, true, &sink);
    tavtest::Pump(20);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    recorder.SaveToFile(dir.File("disk.wav"));
    TWaveData w = ReadWaveFile(dir.File("disk.wav"));
    EXPECT_EQ(w.SampleRate, 22050);
    EXPECT_EQ(w.Channels, 1);
    ASSERT_EQ(w.Pcm.size(), 500u * 22050 / 1000 * 2);
    EXPECT_TRUE(std::equal(w.Pcm.begin(), w.Pcm.end(), expected.begin())) << "recorded samples equal the input";
}

TEST(RecorderDisk, NoInputDeviceGivesAClearErrorAtOnce) {
    if (qgetenv("SDL_AUDIODRIVER") != "disk") GTEST_SKIP() << "needs SDL's disk driver";
    qputenv("SDL_DISKAUDIOFILEIN", "/nonexistent-folder/none.raw");
    TMCIRecorder recorder;
    QElapsedTimer t;
    t.start();
    try {
        recorder.Open(1, 2, 22050);
        FAIL() << "opening without an input must fail";
    } catch (const EProgramError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("MCI Error: no sound input device", 0), 0u) << e.what();
    }
    EXPECT_LT(t.elapsed(), 3000) << "fails rather than hangs";
    EXPECT_FALSE(recorder.IsOpen);
    EXPECT_EQ(recorder.DeviceID, 0);
    EXPECT_THROW(recorder.Record(100, false, nullptr), EProgramError);
}

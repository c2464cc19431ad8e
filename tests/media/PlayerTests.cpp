// The player's documented operations around the engine: opening and closing,
// failures with their messages, muting, volume and attenuation, aliases.
#include <gtest/gtest.h>

#include "MediaClips.h"
#include "NotifySink.h"
#include "TestSupport.h"
#include "content/OurUtils.h"
#include "media/MCIControl.h"
#include "media/MediaDecoder.h"

using namespace tav;
using tavtest::MediaClips;
using tavtest::TNotifySink;

namespace {

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EProgramError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(PlayerOpen, MissingFileFailsClearlyAndStaysClosed) {
    TMCIPlayer player;
    const std::string missing = MediaClips().Folder + "/nothere.mpg";
    EXPECT_EQ(MessageOf([&] { player.Open(missing, nullptr, ooFilmUnits); }),
              "MCI Error: cannot open '" + missing + "': no such file");
    EXPECT_FALSE(player.IsOpen);
    EXPECT_EQ(player.DeviceID, 0);
    EXPECT_TRUE(player.FileName.empty());
}

TEST(PlayerOpen, CorruptFileFailsWithAnMciError) {
    TMCIPlayer player;
    const std::string msg = MessageOf([&] { player.Open(MediaClips().Corrupt, nullptr, ooFilmUnits); });
    EXPECT_EQ(msg.rfind("MCI Error: cannot open '" + MediaClips().Corrupt + "': ", 0), 0u) << msg;
    EXPECT_FALSE(player.IsOpen);
}

TEST(PlayerOpen, EmptyMediaReportsZeroLength) {
    TMCIPlayer player;
    EXPECT_EQ(MessageOf([&] { player.Open(MediaClips().EmptyWave, nullptr, 0); }),
              "Player reports zero length media");
    EXPECT_FALSE(player.IsOpen) << "a failed open leaves the player closed";
    // Also as a film part, counted in film units.
    EXPECT_EQ(MessageOf([&] { player.Open(MediaClips().EmptyWave, nullptr, ooFilmUnits); }),
              "Player reports zero length media");
    EXPECT_FALSE(player.IsOpen);
}

TEST(PlayerOpen, TruncatedFilmPlaysToWhereTheDataEnds) {
    // The real last picture, found by decoding past the end.
    TMediaDecoder decoder(MediaClips().Truncated, 48000);
    TVideoFrame lastFrame;
    ASSERT_TRUE(decoder.SeekExact(int64_t(1) << 40, &lastFrame));
    const int last = tavtest::FrameNumberOf(lastFrame.Image);
    ASSERT_GT(last, 50);
    ASSERT_LT(last, 200);

    TMCIPlayer player;
    TNotifySink sink;
    TVideoPanel panel;
    player.Open(MediaClips().Truncated, &panel, ooFilmUnits);
    EXPECT_GT(player.GetLength(), 0);
    player.Play(last - 5, last + 30, false, &sink);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return !sink.Notes.empty(); }, 8000)) << "never hangs";
    tavtest::Pump(100);
    ASSERT_EQ(sink.Notes.size(), 1u);
    // The range ran past the data: it ends early, as a success only when the
    // file's own length ends there too.
    const bool lengthEndsThere = player.GetLength() <= last + 2;
    EXPECT_EQ(sink.Notes[0].Outcome, lengthEndsThere ? MCI_NOTIFY_SUCCESSFUL : MCI_NOTIFY_FAILURE);
    EXPECT_EQ(tavtest::FrameNumberOf(player.CurrentFrame()), last);
}

TEST(PlayerOpen, EmptyNameOnlyClosesThePreviousFile) {
    TMCIPlayer player;
    player.Open(MediaClips().Wave, nullptr, 0);
    ASSERT_TRUE(player.IsOpen);
    player.Open("", nullptr, 0);
    EXPECT_FALSE(player.IsOpen);
    EXPECT_EQ(player.DeviceID, 0);
    EXPECT_TRUE(player.FileName.empty());
}

TEST(PlayerOpen, ReopeningGivesANewDeviceAndResetsMute) {
    TMCIPlayer player;
    player.Open(MediaClips().Wave, nullptr, 0);
    const int first = player.DeviceID;
    player.SetMuted(true);
    EXPECT_TRUE(player.Muted);
    player.Close();
    EXPECT_TRUE(player.Muted) << "closing leaves Muted alone";
    player.Open(MediaClips().Aiff, nullptr, 0);
    EXPECT_FALSE(player.Muted);
    EXPECT_NE(player.DeviceID, first);
    EXPECT_NE(player.DeviceID, 0);
    EXPECT_EQ(player.FileName, MediaClips().Aiff);
}

TEST(PlayerOpen, ProgramPathsWithBackslashesAndOtherCase) {
    TMCIPlayer player;
    std::string path = MediaClips().Folder + "\\TONE.WAV";
    player.Open(path, nullptr, 0);
    EXPECT_TRUE(player.IsOpen);
    EXPECT_EQ(player.FileName, path);
}

TEST(PlayerClosed, OperationsNeedAnOpenPlayer) {
    TMCIPlayer player;
    EXPECT_EQ(MessageOf([&] { player.GetLength(); }), "Media player not open");
    EXPECT_EQ(MessageOf([&] { player.Seek(3); }), "Media player not open");
    EXPECT_EQ(MessageOf([&] { player.Play(0, 10, false, nullptr); }), "Media player not open");
    EXPECT_EQ(MessageOf([&] { player.Stop(false); }), "Media player not open");
    EXPECT_EQ(MessageOf([&] { player.GetTimeFormat(); }), "Media player not open");
    EXPECT_EQ(MessageOf([&] { player.GetPosition(); }).rfind("MCI Error: ", 0), 0u);
    // These never raise on a closed player.
    EXPECT_NO_THROW(player.SetMuted(true));
    EXPECT_FALSE(player.Muted);
    EXPECT_NO_THROW(player.SetVolume(500));
    EXPECT_NO_THROW(player.SetDisplayWindow(nullptr));
    EXPECT_NO_THROW(player.PutDestination({0, 0, 10, 10}));
    EXPECT_NO_THROW(player.SetTimeFormat(3));
    EXPECT_EQ(player.GetNaturalRect(), TMCIRect{});
    EXPECT_NO_THROW(player.Close());
}

TEST(PlayerFormats, OnlyMillisecondsAreCountedByTheDevice) {
    TMCIPlayer player;
    player.Open(MediaClips().Wave, nullptr, 0);
    EXPECT_EQ(player.GetTimeFormat(), MCI_FORMAT_MILLISECONDS);
    EXPECT_EQ(MessageOf([&] { player.SelectTimeFormat(MCI_FORMAT_FRAMES); }).rfind("MCI Error: ", 0), 0u);
    EXPECT_EQ(player.GetTimeFormat(), MCI_FORMAT_MILLISECONDS);
    EXPECT_NO_THROW(player.SelectTimeFormat(MCI_FORMAT_MILLISECONDS));
}

TEST(PlayerFormats, ShortSoundInFilmUnitsCannotOpen) {
    // 30 ms of sound is 0 film units: the open fails as empty media and
    // leaves the player closed.
    const std::string path = MediaClips().Folder + "/blip.wav";
    ASSERT_EQ(tavtest::RunShell("ffmpeg -v error -y -f lavfi -i sine=d=0.03:r=22050 " + path), 0);
    TMCIPlayer player;
    EXPECT_EQ(MessageOf([&] { player.Open(path, nullptr, ooFilmUnits); }), "Player reports zero length media");
    EXPECT_FALSE(player.IsOpen);
    player.Open(path, nullptr, 0);
    EXPECT_EQ(player.GetLength(), 30);
}

TEST(PlayerErrors, UnknownCodesHaveAText) {
    EXPECT_EQ(TMCIPlayer::ErrorText(77), "Unknown error code 77");
    EXPECT_EQ(TMCIPlayer::ErrorText(-5), "Unknown error code -5");
}

TEST(PlayerErrors, BackwardRangeIsAnError) {
    TMCIPlayer player;
    player.Open(MediaClips().Wave, nullptr, 0);
    TNotifySink sink;
    EXPECT_EQ(MessageOf([&] { player.Play(900, 100, false, &sink); }).rfind("MCI Error: ", 0), 0u);
    tavtest::Pump(50);
    EXPECT_TRUE(sink.Notes.empty());
}

TEST(PlayerAudio, MuteIsSentOnlyOnChange) {
    TMCIPlayer player;
    player.Open(MediaClips().Wave, nullptr, 0);
    player.SetMuted(true);
    player.SetMuted(true);
    EXPECT_EQ(player.MuteCommands(), 1);
    player.SetMuted(false);
    EXPECT_EQ(player.MuteCommands(), 2);
    EXPECT_FALSE(player.Muted);
}

TEST(PlayerAudio, AttenuationOfTheExtensionIsAskedAtOpen) {
    std::vector<std::string> asked;
    SetAttenuationProvider([&](const std::string& ext) {
        asked.push_back(ext);
        return ext == ".wav" ? 300 : -1;
    });
    TMCIPlayer player;
    player.Open(MediaClips().Wave, nullptr, 0);
    EXPECT_EQ(player.Volume(), 300);
    player.Open(MediaClips().Aiff, nullptr, 0);
    EXPECT_EQ(player.Volume(), 1000) << "a negative attenuation leaves the volume alone";
    player.Open(MediaClips().Mpeg1, nullptr, ooFilmUnits);
    SetAttenuationProvider(nullptr);
    EXPECT_EQ(asked, (std::vector<std::string>{".wav", ".aif", ".mpg"}));
    player.SetVolume(-4);
    EXPECT_EQ(player.Volume(), 1000);
    player.SetVolume(0);
    EXPECT_EQ(player.Volume(), 0);
}

TEST(PlayerAudio, AliasOptionCountsProgramWide) {
    const int before = AliasCounter;
    TMCIPlayer a, b;
    a.Open(MediaClips().Wave, nullptr, ooAlias);
    b.Open(MediaClips().Wave, nullptr, ooAlias);
    EXPECT_EQ(AliasCounter, before + 2);
    EXPECT_EQ(a.Alias, "alias" + std::to_string(before));
    EXPECT_EQ(b.Alias, "alias" + std::to_string(before + 1));
    TMCIPlayer c;
    c.Open(MediaClips().Wave, nullptr, 0);
    EXPECT_EQ(AliasCounter, before + 2);
}

// A film part is as long as its pictures, whether its sound ends a little
// before them or runs a padding frame past them: the parts of a film are laid
// end to end by their lengths, and a frame too many or too few shifts every
// later part.
TEST(PlayerLength, ProgramStreamIsAsLongAsItsPictures) {
    struct TCase {
        const char* Name;
        double SoundSeconds;
    };
    for (const TCase c : {TCase{"early", 9.93}, TCase{"even", 10.0}, TCase{"late", 10.02}}) {
        SCOPED_TRACE(c.Name);
        const std::string file = MediaClips().Folder + "/length-" + c.Name + ".mpg";
        ASSERT_EQ(tavtest::RunShell("ffmpeg -nostdin -v error -y -f lavfi -i color=c=black:s=352x288:r=25:d=10 "
                                    "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=" +
                                    std::to_string(c.SoundSeconds) +
                                    " -c:v mpeg1video -g 12 -bf 2 -q:v 3 -c:a mp2 -ac 1 -f mpeg '" + file + "'"),
                  0);
        TMCIPlayer player;
        player.Open(file, nullptr, ooFilmUnits);
        EXPECT_EQ(player.GetLength(), 250);
        TMediaDecoder decoder(file, 48000);
        EXPECT_EQ(decoder.DurationUs(), 10000000);
    }
}

TEST(PlayerLength, EveryTestClipIsAsLongAsItsPictures) {
    for (const std::string& file :
         {MediaClips().Mpeg1, MediaClips().Mpeg2, MediaClips().H264, MediaClips().Avi, MediaClips().Mov}) {
        TMediaDecoder decoder(file, 48000);
        EXPECT_EQ(decoder.DurationUs(), 10000000) << file;
    }
}

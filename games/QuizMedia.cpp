#include "games/QuizMedia.h"

#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "media/Movie.h"
#include "media/ZrMCIMedia.h"
#include "platform/Messages.h"
#include "platform/Paths.h"

namespace tav {

namespace {

class TPoolQuizMedia : public IQuizMedia {
public:
    void AttachDisplay(QWidget* panel) override {
        if (Form_Movie) Form_Movie->AttachDisplay(panel, false);
        else DebugLog("Quiz: no film clip pool, the film is not shown");
    }
    void DetachDisplay() override {
        if (Form_Movie) Form_Movie->DetachDisplay();
    }
    void PlayFilm(int from, int to, bool wait, QObject* notify) override {
        if (Form_Movie && Form_Movie->PartCount > 0) {
            Form_Movie->PlayFilm(from, to, wait, notify, false);
            return;
        }
        DebugLog(Form_Movie ? "Quiz: the clip pool has no film, the film is not shown"
                            : "Quiz: no film clip pool, the film is not shown");
        // Nothing can play: report the end at once so the question goes on.
        if (notify) PostMessage(notify, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 0);
    }
    void PrepareSound(const std::string& path) override {
        if (Form_Movie) Form_Movie->PrepareSound(path);
        else if (!FileExists(path)) throw EProgramError("Missing sound file " + path);
    }
    void PlaySound(const std::string& path, bool wait, QObject* notify) override {
        if (Form_Movie) {
            Form_Movie->PlaySound(path, wait, notify);
            return;
        }
        if (!FileExists(path)) throw EProgramError("Missing sound file " + path);
        DebugLog("Quiz: no film clip pool, sound not played: " + path);
        // Its end is reported at once so the game goes on.
        if (notify && !wait) PostMessage(notify, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
    }
    void StopSounds() override {
        if (Form_Movie) Form_Movie->StopSounds();
    }
    void CloseSounds() override {
        if (Form_Movie) Form_Movie->CloseSounds();
    }
    int ClassifyDevice(int deviceId) const override { return Form_Movie ? Form_Movie->ClassifyDevice(deviceId) : 0; }

    void OpenOpponent(TZrMCIMedia& panel, const std::string& file) override {
        panel.SetMediaFilename(file);
        panel.Open();
    }
    void PlayOpponent(TZrMCIMedia& panel, int startMs, int endMs) override {
        panel.SetMediaStart(startMs);
        panel.SetMediaEnd(endMs);
        panel.Play();
    }
    void StopOpponent(TZrMCIMedia& panel) override {
        if (panel.MediaIsOpen()) panel.Stop();
    }
    bool OpponentPlaying(TZrMCIMedia& panel) const override { return panel.MediaIsPlaying(); }
    void CloseOpponent(TZrMCIMedia& panel) override { panel.Close(); }
};

IQuizMedia* replacement = nullptr;

} // namespace

IQuizMedia& ClipPoolQuizMedia() {
    static TPoolQuizMedia pool;
    return pool;
}

IQuizMedia& QuizMedia() { return replacement ? *replacement : ClipPoolQuizMedia(); }

void SetQuizMedia(IQuizMedia* media) { replacement = media; }

} // namespace tav

#include "activities/ActivityMedia.h"

#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "media/Movie.h"
#include "platform/Messages.h"
#include "platform/Paths.h"

namespace tav {

namespace {

class TClipPoolMedia : public IActivityMedia {
public:
    void AttachDisplay(QWidget* panel) override {
        if (Form_Movie) Form_Movie->AttachDisplay(panel, false);
        else DebugLog("Activity: no film clip pool, the film is not shown");
    }
    void DetachDisplay() override {
        if (Form_Movie) Form_Movie->DetachDisplay();
    }
    void PlayFilm(int from, int to, bool wait, QObject* notify) override {
        if (Form_Movie && Form_Movie->PartCount > 0) {
            Form_Movie->PlayFilm(from, to, wait, notify, false);
            return;
        }
        // Nothing can play: report the end at once so the question goes on.
        if (notify) PostMessage(notify, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 0);
    }
    void StopFilm() override {
        if (Form_Movie) Form_Movie->StopFilm();
    }
    bool FilmPlaying() const override {
        if (!Form_Movie || Form_Movie->CurrentPart < 1 || Form_Movie->CurrentPart > Form_Movie->PartCount) return false;
        const auto& player = Form_Movie->PartPlayers[size_t(Form_Movie->CurrentPart)];
        return player && player->IsPlaying();
    }
    void PlaySound(const std::string& path, bool wait) override {
        if (Form_Movie) {
            Form_Movie->PlaySound(path, wait, nullptr);
            return;
        }
        if (!FileExists(path)) throw EProgramError("Missing sound file " + path);
        DebugLog("Activity: no film clip pool, sound not played: " + path);
    }
    void CloseSounds() override {
        if (Form_Movie) Form_Movie->CloseSounds();
    }
    void PlayNotifiedSound(const std::string& path, QObject* notify) override {
        if (Form_Movie) {
            Form_Movie->PlaySound(path, false, notify);
            return;
        }
        IActivityMedia::PlayNotifiedSound(path, notify);
    }
};

IActivityMedia* replacement = nullptr;

} // namespace

void IActivityMedia::PlayNotifiedSound(const std::string& path, QObject* notify) {
    PlaySound(path, false);
    if (notify) PostMessage(notify, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
}

IActivityMedia& ActivityMedia() {
    static TClipPoolMedia pool;
    return replacement ? *replacement : pool;
}

void SetActivityMedia(IActivityMedia* media) { replacement = media; }

} // namespace tav

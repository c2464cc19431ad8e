#include "components/WordCardHost.h"

#include <QWidget>

#include "app/Main.h"
#include "components/WordCard.h"
#include "components/ZrButton.h"
#include "content/LanguageCodes.h"
#include "content/UnicodeText.h"
#include "learners/MyWords.h"
#include "lookup/CourseLookup.h"
#include "lookup/WordCardText.h"
#include "media/Movie.h"
#include "media/WordSpeech.h"
#include "toolkit/ErrorHandler.h"

namespace tav {

std::unique_ptr<TMyWords> LearnerWords(TForm_Main& main) {
    TForm_Main* m = &main;
    return std::make_unique<TMyWords>(
        MyWordsSection(main.ResultsSection),
        [m](const std::string& section, const std::string& key) { return m->ReadProfileString(section, key, ""); },
        [m](const std::string& section, const std::string& key, const std::string& value) {
            m->WriteProfileString(section, key, value);
        });
}

bool CanKeepWords(const TForm_Main& main) {
    return !main.StudentName.empty() && !main.ResultsSection.empty() && (main.Remote || !main.ProfileFile.empty());
}

TWordCardHost::TWordCardHost(TForm_Main& main, QWidget* screen)
    : QObject(screen), Card(new TWordCard(screen)), main_(main), speech_(new TWordSpeech(this)) {
    Card->OnSay = [this] { Say(); };
    Card->OnReplay = [this] {
        if (line_ && OnPlayLine) OnPlayLine(line_);
    };
    Card->OnAdd = [this] { AddToMyWords(); };
    Card->OnPlayOtherLine = [this](int i) {
        if (i >= 0 && size_t(i) < others_.size() && OnPlayLine) OnPlayLine(others_[size_t(i)]);
    };
    Card->OnClosed = [this] {
        if (OnClosed) OnClosed();
    };
}

TWordCardHost::~TWordCardHost() = default;

bool TWordCardHost::IsOpen() const { return Card->isVisible(); }

void TWordCardHost::Close() { Card->Close(); }

bool TWordCardHost::OpenFor(const std::string& text, size_t at, const TMovieEntry* entry, const QPoint& anchor) {
    std::string noDictionary;
    TWordLookup& lookup = CourseLookup(IsoCodeOfLanguage(main_.TargetLanguage), IsoCodeOfLanguage(main_.HelpLanguage), noDictionary);
    const auto span = lookup.WordAt(text, at);
    if (!span) return false;
    const std::string word = text.substr(span->Begin, span->End - span->Begin);
    const TWordLookupResult result = lookup.Lookup(word);
    const TWordCardText card = WordCardTextOf(word, &result, noDictionary);
    line_ = entry;
    lineText_ = entry ? entry->LineText : text;
    others_ = OtherLinesWith(main_.MovieEntries, card, entry);
    std::vector<std::string> otherTexts;
    for (const TMovieEntry* e : others_) otherTexts.push_back(e->LineText);
    const bool canKeep = CanKeepWords(main_);
    Card->SetCard(card, otherTexts, canKeep);
    Card->ReplayButton->setEnabled(entry != nullptr);
    if (canKeep && LearnerWords(main_)->Contains(word, lineText_)) Card->MarkAdded();
    Card->OpenAt(anchor);
    return true;
}

void TWordCardHost::Say() {
    const std::string word = Card->Card().Word;
    speech_->Say(word, IsoCodeOfLanguage(main_.TargetLanguage), [this, word](const std::string& wav, const std::string& error) {
        // Closed, or showing another word by now: this word is not said.
        if (!Card->isVisible() || Card->Card().Word != word) return;
        if (wav.empty()) {
            Card->SetStatus(error);
            return;
        }
        if (!Form_Movie) {
            Card->SetStatus("no sound player");
            return;
        }
        try {
            Form_Movie->PlaySound(wav, false, nullptr);
        } catch (const std::exception& e) {
            Card->SetStatus(std::string("The word could not be played: ") + e.what());
        }
    });
}

void TWordCardHost::AddToMyWords() {
    const TWordCardText& card = Card->Card();
    TMyWord word;
    word.Word = card.Word;
    word.DictionaryForm = card.DictionaryForms.empty() ? card.Word : card.DictionaryForms.front();
    word.Reading = card.Reading;
    for (const TWordCardEntry& e : card.Entries)
        if (!e.Senses.empty()) {
            word.Sense = e.Senses.front();
            break;
        }
    word.Line = lineText_;
    if (line_) {
        word.SequenceNumber = line_->SequenceNumber;
        word.StartFrame = line_->StartFrame;
        word.EndFrame = line_->EndFrame;
    }
    word.Course = main_.TargetFolderName;
    std::string message;
    try {
        const std::unique_ptr<TMyWords> words = LearnerWords(main_);
        if (words->Add(word, &message)) {
            Card->MarkAdded();
            Card->SetStatus("Added to your words (" + std::to_string(words->Size()) + ")");
        } else {
            Card->SetStatus(message);
        }
    } catch (const std::exception& e) {
        // The classroom link or the profile file failed: said on the card.
        Card->SetStatus(std::string("Your words could not be saved: ") + e.what());
    }
}

} // namespace tav

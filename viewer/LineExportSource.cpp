#include "viewer/LineExportSource.h"

#include <QStandardPaths>

#include <algorithm>

#include "app/Main.h"
#include "content/KeyFiles.h"
#include "content/LineTranslations.h"
#include "content/OurUtils.h"
#include "media/Movie.h"
#include "platform/Paths.h"

namespace tav {

namespace {
constexpr int64_t kUnitUs = 40000;
}

std::string DocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
}

TLineExport LineExportFor(const TForm_Main& main, const TForm_Movie& movie, const TMovieEntry& entry,
                          const std::map<int, std::string>& translations, const std::string& deckFolder) {
    TLineExport line;
    int offset = 0;
    const int part = movie.PartOf(entry.StartFrame, &offset);
    if (part >= 1 && size_t(part) <= main.MovieNames.size()) {
        line.Range.File = NativePath(main.TargetFolder + "\\" + main.MovieNames[size_t(part - 1)]);
        const int partLength = movie.PartStart[size_t(part + 1)] - movie.PartStart[size_t(part)];
        const int end = std::min(offset + (entry.EndFrame - entry.StartFrame), std::max(partLength, offset));
        line.Range.StartUs = int64_t(offset) * kUnitUs;
        line.Range.EndUs = int64_t(end) * kUnitUs;
    }
    line.LineNumber = entry.SequenceNumber;
    line.Text = entry.LineText;
    if (auto it = translations.find(entry.SequenceNumber); it != translations.end()) line.Translation = it->second;
    line.Title = FilmTitleFromCaption((LookupKey(main.SettingsLines, "PCCaption", "Tavolin")));
    if (line.Title.empty()) line.Title = main.TargetFolderName;
    line.DeckFolder = deckFolder;
    return line;
}

const TMovieEntry* LineJustHeard(const std::vector<TMovieEntry>& entries, int position) {
    const TMovieEntry* last = nullptr;
    for (const TMovieEntry& e : entries)
        if (e.EndFrame <= position && (!last || e.EndFrame > last->EndFrame)) last = &e;
    return last && position - last->EndFrame <= kJustHeardUnits ? last : nullptr;
}

std::optional<TLineExport> ViewerLineExport(const TForm_Main& main, const TMovieEntry* entry) {
    if (!Form_Movie || Form_Movie->PartCount < 1) return std::nullopt;
    // Between two lines the caption is empty: the line that has just ended is meant.
    if (!entry) entry = LineJustHeard(main.MovieEntries, Form_Movie->GetFilmPosition());
    if (!entry) return std::nullopt;
    const auto translations =
        LoadLineTranslations(LineTranslationFile(main.TargetFolder, main.HelpLanguage));
    return LineExportFor(main, *Form_Movie, *entry, translations, DocumentsFolder());
}

TLineExport WordLineExport(const TForm_Main& main, const TForm_Movie* movie, const TMyWord& word,
                           const std::map<int, std::string>& translations, const std::string& deckFolder) {
    TMovieEntry entry;
    entry.SequenceNumber = word.SequenceNumber;
    entry.StartFrame = word.StartFrame;
    entry.EndFrame = word.EndFrame;
    entry.LineText = word.Line;
    for (const TMovieEntry& e : main.MovieEntries)
        if (e.SequenceNumber == word.SequenceNumber && e.StartFrame == word.StartFrame) {
            entry = e;
            break;
        }
    const bool sameCourse = word.Course.empty() || word.Course == main.TargetFolderName;
    TLineExport line;
    if (movie && sameCourse && movie->PartCount >= 1 && entry.EndFrame > entry.StartFrame) {
        line = LineExportFor(main, *movie, entry, translations, deckFolder);
    } else {
        // Text only: the title and deck as for a line of this film.
        line.LineNumber = entry.SequenceNumber;
        line.Text = entry.LineText;
        if (sameCourse)
            if (auto it = translations.find(entry.SequenceNumber); it != translations.end()) line.Translation = it->second;
        line.Title = FilmTitleFromCaption(LookupKey(main.SettingsLines, "PCCaption", "Tavolin"));
        if (line.Title.empty()) line.Title = main.TargetFolderName;
        line.DeckFolder = deckFolder;
    }
    if (!word.Line.empty()) line.Text = word.Line;
    return line;
}

TWordsExport ViewerWordsExport(const TForm_Main& main, const std::vector<TMyWord>& words) {
    TWordsExport out;
    const auto translations = LoadLineTranslations(LineTranslationFile(main.TargetFolder, main.HelpLanguage));
    const TForm_Movie* movie = Form_Movie && Form_Movie->PartCount >= 1 ? Form_Movie : nullptr;
    out.DeckFolder = DocumentsFolder();
    for (const TMyWord& w : words) {
        out.Words.push_back(w);
        out.Lines.push_back(WordLineExport(main, movie, w, translations, out.DeckFolder));
    }
    out.Title = out.Lines.empty() ? FilmTitleFromCaption(LookupKey(main.SettingsLines, "PCCaption", "Tavolin"))
                                  : out.Lines.front().Title;
    if (out.Title.empty()) out.Title = main.TargetFolderName;
    return out;
}

} // namespace tav

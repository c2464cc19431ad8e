#pragma once
// The content disc's pictures: menus, help and hint pictures, flags,
// certificate parts, actor pictures, dictionary pictures and letter tiles.
#include <QImage>
#include <string>
#include <utility>
#include <vector>

#include "Courseware.h"
#include "Film.h"
#include "HelpTexts.h"
#include "PictureWords.h"

namespace demodisc {

void WriteMenuPictures(const TStory& story, const std::string& targetDir, const TPictureWords& words = {});
void WriteHelpPictures(int language, const std::string& helpDir, const THelpFilm& film = {});
void WriteFlags(const std::vector<int>& languages, const std::string& path);
void WriteCertificatePictures(const std::string& sharedCertDir, const std::string& targetCertDir,
                              const std::string& title, const TPictureWords& words = {});
// actors.jpg with the chosen actors in the 3 x 3 circles, and pic1..n.jpg.
void WriteActorPictures(const TFilm& film, const std::vector<TActorScenes>& actors, const std::string& recpicDir);
// minis.jpg: 24 film-strip thumbnails in two rows of twelve, in film order.
void WriteFilmStrip(const std::vector<QImage>& frames, const std::string& path);
// actors.jpg with the faces (150 x 150) and names in the 3 x 3 circles, and pic1..n.jpg.
void WriteActorSheet(const std::vector<QImage>& faces, const std::vector<std::string>& names,
                     const std::string& recpicDir, const std::string& headingUtf8);
void WriteDictionaryPictures(const std::vector<TDictWord>& words, const std::string& dictPicDir);
// Practice, test, floating and filled-slot tiles for every letter of letters
// (Windows-1252), named by Mac code.
void WriteSpellingTiles(const std::string& lettersAnsi, const std::string& spellDir);
// The same tiles for letters given as (code in the picture names, the letter
// in UTF-8): any script, a letter may be several code points.
void WriteLetterTiles(const std::vector<std::pair<std::string, std::string>>& codedLetters, const std::string& spellDir);
void WriteMultiMenuPictures(const std::string& multiDir, const std::vector<std::string>& labels);
void WriteCustomStartPicture(const std::string& path);
// A title card used for the quiz opponent's podium.
void WritePodium(const std::string& name, const std::string& path);

} // namespace demodisc

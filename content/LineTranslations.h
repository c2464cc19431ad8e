#pragma once
// Translations of the film's lines into a help language, kept beside the movie
// index as "movietr<N>.txt" in the target folder, N being the help language's
// code (2 English, 5 Spanish ...). Mac OS Roman text, any line ends; each line
// is "NUMBER|TEXT" where NUMBER is the line's own number (the first field of
// its movieinf.txt line). Lines without a translation are simply absent. The
// disc builder writes these files; the screenplay viewer shows them.
#include <map>
#include <string>

namespace tav {

// The file name of the translations into help language `lang` inside targetDir.
std::string LineTranslationFile(const std::string& targetDir, int lang);

// Line number -> translation. An absent file gives no
// translations; lines without a number or without text are skipped, and a
// later line for the same number replaces an earlier one.
std::map<int, std::string> LoadLineTranslations(const std::string& fileName);

// Writes the translations (texts already in Mac OS Roman) in number order
// through a temporary file, so a reader never sees half a file. A "|" or a
// line break inside a text becomes a space. False when the file could not
// be written.
bool WriteLineTranslations(const std::string& fileName, const std::map<int, std::string>& macTexts);

} // namespace tav

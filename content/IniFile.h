#pragma once
// An INI-style file held in memory: section lines "[name]" and entry lines
// "key=value". Section and key names compare without regard to case, blanks
// around names and values are ignored, and a value written inside double
// quotes reads without them. Lines the reader does not understand are kept
// as they are when the file is written back.
#include <string>
#include <vector>

namespace tav {

class TIniFile {
public:
    TIniFile() = default;
    // Parses the text of a file (CR LF, LF or CR line ends).
    void Parse(const std::string& text);
    // Reads a file (program path); a missing file is an empty profile.
    // Returns false with errno recorded when the file exists but cannot be read.
    bool LoadFromFile(const std::string& file);
    std::string Text() const;

    bool ReadValue(const std::string& section, const std::string& key, std::string& value) const;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;

    // Replaces the key's line or adds it at the end of its section (creating
    // the section at the end of the file).
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void DeleteKey(const std::string& section, const std::string& key);
    void EraseSection(const std::string& section);
    bool SectionExists(const std::string& section) const;

    // Writes the whole file through a temporary file renamed over the old one,
    // so the file on disk is always either the old or the new version.
    // Returns false with errno recorded on failure.
    bool SaveToFile(const std::string& file) const;

private:
    std::vector<std::string> lines_;
    // Index of the section's header line, or -1.
    int FindSection(const std::string& section) const;
    // End (exclusive) of the section starting at header index h.
    int SectionEnd(int h) const;
    int FindKey(int header, const std::string& key) const;
};

} // namespace tav

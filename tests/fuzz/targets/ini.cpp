// The INI reader and writer of the profiles: parse, read, change, write back
// and read again; what was written must read back the same.
#include "content/IniFile.h"
#include "content/KeyFiles.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(ini) {
    using namespace tav;
    const std::string text = tavfuzz::Bytes(data, size);
    TIniFile ini;
    ini.Parse(text);
    // Sections and keys named by the input's own lines, so real names are hit.
    const TStringList lines = SplitTextLines(text);
    std::string section = "Defaults", key = "Name";
    if (!lines.empty()) section = lines.front();
    if (lines.size() > 1) key = lines[1];
    ini.ReadString(section, key, "");
    ini.ReadInteger(section, key, 0);
    ini.SectionExists(section);
    // Values cannot hold line ends; blanks around them and one pair of quotes
    // are dropped on read, so write a value that survives those rules.
    const std::string value = "v 1";
    ini.WriteString("Scores", "Vocab", value);
    ini.WriteString(section, "Written", value);
    TIniFile again;
    again.Parse(ini.Text());
    if (again.ReadString("Scores", "Vocab", "") != value) __builtin_trap();
    ini.DeleteKey(section, key);
    ini.EraseSection(section);
    ini.EraseSection("Scores");
    again.Parse(ini.Text());
    if (again.SectionExists("Scores")) __builtin_trap();
}

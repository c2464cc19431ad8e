#include "content/LanguageCodes.h"

#include "content/UnicodeText.h"

#include <QLocale>

#include <cstdlib>
#include <cstring>

namespace tav {

namespace {

// UTF-8, as all the program's text.
const char* const kNames[kLanguageCount] = {
    "American", "English", "French", "German", "Spanish", "Italian", "Russian", "Dutch", "Portuguese",
    "Swedish", "Norwegian", "Danish", "Finnish", "Hungarian", "Greek", "Turkish", "Hebrew", "Arabic",
    "Mandarin", "Japanese", "Welsh", "Maltese", "Czech", "Slovak", "Croatian", "Serbian", "Bulgarian",
    "Polish", "Romanian", "Hindi", "Urdu", "Zulu", "Swahili", "Setswana", "Farsi", "Icelandic", "Afrikaans",
    "Malay", "Indonesian", "Thai", "Vietnamese", "Korean", "Pidgin", "Irish", "Xhosa", "Albanian",
    "Brazilian Portuguese", "Cantonese", "(Missing)", "Bengali", "Punjabi", "Marathi", "Assamese", "Kannada",
    "Gujurati", "Malayalam", "Telugu", "Tamil", "Sindhi", "Latin", "Slovenian", "Tibetan", "Sardinian",
    "Catalan", "Basque", "Mexican Spanish", "Scottish Gaelic", "Savo", "Saami", "Estonian", "Latvian",
    "Lithuanian", "Amharic", "Creole", "Igbo", "Sesotho", "Yoruba", "Khmer", "Lao", "Tagalog", "Greek Ancient",
    "Breton", "Ukrainian", "Papiamentu", "Manx", "Klingon", "Cornish", "Nepali", "Swiss", "Romansh",
    "Corsican", "Arabic MS", "J\xC3\xA8rriais", "Navajo", "Somali", "Hawaiian", "Tamazight", "Maori", "Yiddish",
    "Burmese", "Quechua", "Luxembourgisch", "Alsatian", "Pashto", "Kurdish", "Hausa", "Georgian", "Macedonian",
    "Armenian", "Mongolian", "Maya", "Shona", "Malagasy", "Cockney", "Australian English", "Canadian English",
    "Canadian French", "Inuktitut", "Kurdish (Kurmanji)", "Sinhala", "Kazakh", "Tatar", "Bashkir", "Azeri",
    "Belorussian", "Uzbek", "Abkhaz", "Chechen", "Kirghiz", "Tajiki", "Turkmen", "Isan", "Chichewa",
    "Northern Sotho", "Chuvash", "Bahasa", "Occitan", "Twi", "Katchi", "Terik", "Arabic Classic", "Tumbuka",
    "Ngoni", "Ateso", "Pokot", "Kalenjin", "Acholi", "Masaba", "Luganda", "Runyankole", "Nigerian English",
    "Guern\xC3\xA8siais", "Galician", "Faeroese", "Kashmiri", "Sanskrit", "Tigrinya"};

// Primary identifiers that give one code whatever the sublanguage.
struct TPlainRow {
    int primary, code;
};
const TPlainRow kPlain[] = {
    {0x01, 18},  {0x02, 27},  {0x03, 64},  {0x05, 23},  {0x06, 12},  {0x08, 15},  {0x0B, 13},  {0x0C, 3},
    {0x0D, 17},  {0x0E, 14},  {0x0F, 36},  {0x10, 6},   {0x11, 20},  {0x12, 42},  {0x13, 8},   {0x14, 11},
    {0x15, 28},  {0x17, 90},  {0x18, 29},  {0x19, 7},   {0x1B, 24},  {0x1C, 46},  {0x1D, 10},  {0x1E, 40},
    {0x1F, 16},  {0x20, 31},  {0x21, 39},  {0x22, 83},  {0x23, 125}, {0x24, 61},  {0x25, 70},  {0x26, 71},
    {0x27, 72},  {0x29, 35},  {0x2A, 41},  {0x2B, 109}, {0x2C, 124}, {0x2D, 65},  {0x2F, 108}, {0x32, 34},
    {0x34, 45},  {0x35, 32},  {0x36, 37},  {0x37, 107}, {0x38, 154}, {0x39, 30},  {0x3A, 22},  {0x3B, 69},
    {0x3C, 44},  {0x3E, 38},  {0x3F, 121}, {0x40, 129}, {0x41, 33},  {0x43, 126}, {0x44, 122}, {0x45, 50},
    {0x46, 51},  {0x47, 55},  {0x49, 58},  {0x4A, 57},  {0x4B, 54},  {0x4C, 56},  {0x4D, 53},  {0x4E, 52},
    {0x4F, 156}, {0x50, 110}, {0x51, 62},  {0x52, 21},  {0x53, 78},  {0x54, 79},  {0x56, 153}, {0x59, 59},
    {0x5B, 120}, {0x5D, 118}, {0x5E, 73},  {0x5F, 97},  {0x60, 155}, {0x61, 88},  {0x64, 80},  {0x68, 106},
    {0x6A, 77},  {0x6B, 101}, {0x6C, 76},  {0x6E, 102}, {0x7E, 82},  {0x81, 98},  {0x82, 137}, {0x83, 91},
    {0x84, 103}};

// ISO 639 language to Windows primary language identifier.
struct TIsoRow {
    const char* iso;
    int primary;
};
const TIsoRow kIso[] = {
    {"ar", 0x01},  {"bg", 0x02},  {"ca", 0x03},  {"zh", 0x04},  {"cs", 0x05},  {"da", 0x06},  {"de", 0x07},
    {"el", 0x08},  {"en", 0x09},  {"es", 0x0A},  {"fi", 0x0B},  {"fr", 0x0C},  {"he", 0x0D},  {"iw", 0x0D},
    {"hu", 0x0E},  {"is", 0x0F},  {"it", 0x10},  {"ja", 0x11},  {"ko", 0x12},  {"nl", 0x13},  {"nb", 0x14},
    {"nn", 0x14},  {"no", 0x14},  {"pl", 0x15},  {"pt", 0x16},  {"rm", 0x17},  {"ro", 0x18},  {"ru", 0x19},
    {"hr", 0x1A},  {"sr", 0x1A},  {"bs", 0x1A},  {"sk", 0x1B},  {"sq", 0x1C},  {"sv", 0x1D},  {"th", 0x1E},
    {"tr", 0x1F},  {"ur", 0x20},  {"id", 0x21},  {"uk", 0x22},  {"be", 0x23},  {"sl", 0x24},  {"et", 0x25},
    {"lv", 0x26},  {"lt", 0x27},  {"tg", 0x28},  {"fa", 0x29},  {"vi", 0x2A},  {"hy", 0x2B},  {"az", 0x2C},
    {"eu", 0x2D},  {"hsb", 0x2E}, {"dsb", 0x2E}, {"mk", 0x2F},  {"st", 0x30},  {"ts", 0x31},  {"tn", 0x32},
    {"ve", 0x33},  {"xh", 0x34},  {"zu", 0x35},  {"af", 0x36},  {"ka", 0x37},  {"fo", 0x38},  {"hi", 0x39},
    {"mt", 0x3A},  {"se", 0x3B},  {"ga", 0x3C},  {"ms", 0x3E},  {"kk", 0x3F},  {"ky", 0x40},  {"sw", 0x41},
    {"tk", 0x42},  {"uz", 0x43},  {"tt", 0x44},  {"bn", 0x45},  {"pa", 0x46},  {"gu", 0x47},  {"or", 0x48},
    {"ta", 0x49},  {"te", 0x4A},  {"kn", 0x4B},  {"ml", 0x4C},  {"as", 0x4D},  {"mr", 0x4E},  {"sa", 0x4F},
    {"mn", 0x50},  {"bo", 0x51},  {"cy", 0x52},  {"km", 0x53},  {"lo", 0x54},  {"my", 0x55},  {"gl", 0x56},
    {"kok", 0x57}, {"sd", 0x59},  {"si", 0x5B},  {"iu", 0x5D},  {"am", 0x5E},  {"tzm", 0x5F}, {"ks", 0x60},
    {"ne", 0x61},  {"fy", 0x62},  {"ps", 0x63},  {"fil", 0x64}, {"tl", 0x64},  {"dv", 0x65},  {"ff", 0x67},
    {"ha", 0x68},  {"yo", 0x6A},  {"qu", 0x6B},  {"nso", 0x6C}, {"ba", 0x6D},  {"lb", 0x6E},  {"kl", 0x6F},
    {"ig", 0x70},  {"om", 0x72},  {"ti", 0x73},  {"gn", 0x74},  {"haw", 0x75}, {"la", 0x76},  {"so", 0x77},
    {"ii", 0x78},  {"pap", 0x79}, {"br", 0x7E},  {"ug", 0x80},  {"mi", 0x81},  {"oc", 0x82},  {"co", 0x83},
    {"gsw", 0x84}, {"sah", 0x85}, {"rw", 0x87},  {"wo", 0x88},  {"gd", 0x91}};

// Territory to sublanguage for the languages whose code depends on it.
struct TSubRow {
    int primary;
    const char* territory;
    int sub;
};
const TSubRow kSub[] = {
    {0x04, "TW", 1}, {0x04, "CN", 2}, {0x04, "HK", 3}, {0x04, "SG", 4}, {0x04, "MO", 5},
    {0x07, "DE", 1}, {0x07, "CH", 2}, {0x07, "AT", 3}, {0x07, "LU", 4}, {0x07, "LI", 5},
    {0x09, "US", 1}, {0x09, "GB", 2}, {0x09, "AU", 3}, {0x09, "CA", 4}, {0x09, "NZ", 5}, {0x09, "IE", 6},
    {0x09, "ZA", 7}, {0x09, "JM", 8}, {0x09, "BZ", 10}, {0x09, "TT", 11}, {0x09, "ZW", 12}, {0x09, "PH", 13},
    {0x09, "IN", 16}, {0x09, "MY", 17}, {0x09, "SG", 18},
    {0x0A, "MX", 2}, {0x0A, "ES", 3}, {0x0A, "GT", 4}, {0x0A, "CR", 5}, {0x0A, "PA", 6}, {0x0A, "DO", 7},
    {0x0A, "VE", 8}, {0x0A, "CO", 9}, {0x0A, "PE", 10}, {0x0A, "AR", 11}, {0x0A, "EC", 12}, {0x0A, "CL", 13},
    {0x0A, "UY", 14}, {0x0A, "PY", 15}, {0x0A, "BO", 16}, {0x0A, "SV", 17}, {0x0A, "HN", 18}, {0x0A, "NI", 19},
    {0x0A, "PR", 20}, {0x0A, "US", 21},
    {0x16, "BR", 1}, {0x16, "PT", 2}};

// The sublanguage Windows uses for a language given without a territory.
int DefaultSublanguage(int primary) {
    switch (primary) {
    case 0x04: return 2;  // Chinese (PRC)
    case 0x0A: return 3;  // Spanish (Spain)
    case 0x16: return 2;  // Portuguese (Portugal)
    default: return 1;
    }
}

} // namespace

std::string LanguageName(int code) {
    if (code < 1 || code > kLanguageCount) return {};
    return kNames[code - 1];
}

std::string IsoCodeOfLanguage(int code) {
    switch (code) { // the codes that share a Windows language with another
    case 48: return "yue"; // Cantonese
    case 66: return "es";
    case 47: return "pt";
    case 89: return "gsw";
    case 1: case 2: case 114: case 115: return "en";
    case 25: return "hr";
    case 26: return "sr";
    case 116: return "fr";
    default: break;
    }
    for (const auto& r : kIso) {
        if (LanguageForWindowsId(r.primary, DefaultSublanguage(r.primary)) == code) return r.iso;
    }
    return {};
}

int LanguageForWindowsId(int primary, int sublanguage) {
    switch (primary) {
    case 0x04: return sublanguage == 3 ? 48 : 19;
    case 0x07: return sublanguage == 2 ? 89 : 4;
    case 0x09: return (sublanguage == 1 || sublanguage == 4) ? 1 : 2;
    case 0x0A: return (sublanguage == 1 || sublanguage == 3) ? 5 : 66;
    case 0x16: return sublanguage == 1 ? 47 : 9;
    case 0x1A: return sublanguage == 1 ? 25 : 26;
    default: break;
    }
    for (const auto& r : kPlain)
        if (r.primary == primary) return r.code;
    return 1;
}

bool WindowsIdForLocale(const std::string& locale, int& primary, int& sublanguage) {
    // "ll[_TT][.codeset][@modifier]"
    std::string name = locale.substr(0, locale.find_first_of(".@"));
    std::string lang = name.substr(0, name.find_first_of("_-"));
    std::string territory = name.size() > lang.size() ? name.substr(lang.size() + 1) : std::string();
    lang = AsciiLower(lang);
    for (char& c : territory)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    primary = 0;
    for (const auto& r : kIso)
        if (lang == r.iso) primary = r.primary;
    if (primary == 0) return false;
    if (primary == 0x1A) {
        // Croatian is the Croatia sublanguage; Serbian and Bosnian are others.
        sublanguage = lang == "hr" ? 1 : lang == "sr" ? 2 : 5;
        return true;
    }
    sublanguage = territory.empty() ? DefaultSublanguage(primary) : 0;
    for (const auto& r : kSub)
        if (r.primary == primary && territory == r.territory) sublanguage = r.sub;
    return true;
}

int LanguageForLocale(const std::string& locale) {
    int primary, sub;
    if (!WindowsIdForLocale(locale, primary, sub)) return 1;
    return LanguageForWindowsId(primary, sub);
}

int LanguageFromWindows() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return LanguageForLocale(v);
    }
    return LanguageForLocale(QLocale::system().name().toStdString());
}

} // namespace tav

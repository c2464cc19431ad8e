#pragma once
// Japanese words through MeCab and its IPA dictionary (Debian: libmecab2 and
// mecab-ipadic-utf8). Japanese has no spaces and no Hunspell dictionary, and
// a film's words are inflected: "食べました" is found in the dictionary under
// "食べる", "行かない" under "行く". MeCab splits a text into morphemes, each
// with its dictionary form (IPAdic feature field 7) and reading in katakana
// (field 8); this class groups them into the words a learner sees (a verb or
// adjective with its auxiliaries, "勉強" with "して", a prefix with its noun)
// and gives each word its dictionary forms with readings in hiragana.
//
// One object is not safe to use from two threads at once.
#include "content/UnicodeText.h"

#include <optional>
#include <string>
#include <vector>

struct mecab_t;

namespace tav {

extern const char* const kMecabDictionaryFolder; // "/var/lib/mecab/dic/debian"

// One morpheme of MeCab's segmentation.
struct TJapaneseMorpheme {
    size_t Begin = 0, End = 0; // byte offsets in the text
    std::string Surface;       // as written ("食べ")
    std::string PartOfSpeech;  // IPAdic's 品詞: 名詞, 動詞, 形容詞, 助詞, 助動詞, 記号...
    std::string SubClass;      // its first subdivision: 自立, 非自立, サ変接続, 接尾...
    std::string SubClass2;     // the second: 形容動詞語幹 (的), サ変接続 (化), 助数詞 (人)...
    std::string Conjugation;   // 活用型: 一段, 五段・カ行促音便, サ変・スル, カ変・来ル; "" when it does not inflect
    std::string BaseForm;      // 食べる; the surface for a word MeCab does not know
    std::string Reading;       // of the surface, in hiragana ("たべ"); "" when MeCab does not know it
    bool Known = true;         // false for a morpheme MeCab guessed (not in its dictionary)
};

// A dictionary form with its reading in hiragana ("" when MeCab does not know it).
struct TJapaneseForm {
    std::string BaseForm;
    std::string Reading;
};

// A word as a learner sees it: one or more morphemes ("食べ" "まし" "た").
struct TJapaneseWord {
    TWordSpan Span; // byte offsets in the text
    std::string Surface;
    // Where to look it up, the most specific first: "お茶" then "茶";
    // "勉強する" then "勉強"; "食べる" for "食べました". Not the surface
    // itself unless it is the dictionary form.
    std::vector<TJapaneseForm> Forms;
    // False for particles, auxiliaries on their own and punctuation.
    bool Content = true;
    bool Punctuation = false;
};

class TJapaneseForms {
public:
    TJapaneseForms();
    ~TJapaneseForms();
    TJapaneseForms(const TJapaneseForms&) = delete;
    TJapaneseForms& operator=(const TJapaneseForms&) = delete;

    // Loads MeCab with the dictionary in the folder (sys.dic, dicrc...; by
    // default the one Debian's alternatives choose, else ipadic-utf8). False
    // with a message naming the package to install when there is none, or it
    // is not UTF-8, or its features are not laid out as IPAdic's.
    bool Open(std::string& error, const std::string& dictionaryFolder = std::string());
    bool IsOpen() const { return mecab_ != nullptr; }

    // MeCab's morphemes of the text; empty when not open, for invalid UTF-8 and
    // for a text longer than kMaxText bytes. Spaces are not morphemes.
    std::vector<TJapaneseMorpheme> Morphemes(const std::string& text);
    // The morphemes grouped into words.
    std::vector<TJapaneseWord> Words(const std::string& text);
    // The dictionary forms of a word or short phrase: of each content word in
    // turn, most specific first, without repeats (of the first word when none
    // is a content word). "食べました" -> 食べる/たべる; "学校へ行きます" ->
    // 学校/がっこう, 行く/いく.
    std::vector<TJapaneseForm> DictionaryForms(const std::string& text);
    // The reading of the text as written, in hiragana ("食べました" ->
    // "たべました"); "" when a part written in kanji has no known reading.
    std::string Reading(const std::string& text);
    // The word of the line that covers the byte offset: a clicked character
    // gives the whole "食べました". None on spaces and punctuation, outside the
    // line, and when not open.
    std::optional<TWordSpan> WordAt(const std::string& line, size_t byteOffset);

    static constexpr size_t kMaxText = 16384;

private:
    mecab_t* mecab_ = nullptr;
};

// Katakana as hiragana (ア -> あ, ヴ -> ゔ, ヽ -> ゝ); ー, ヷ-ヺ and every other
// character are kept as they are.
std::string HiraganaFromKatakana(const std::string& utf8);
// True when the text is not empty and every character is kana (or ー).
bool IsKanaText(const std::string& utf8);
// True when the text holds a kanji (or 々).
bool HasKanji(const std::string& utf8);

} // namespace tav

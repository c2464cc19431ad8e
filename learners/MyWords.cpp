#include "learners/MyWords.h"

#include <cstdio>
#include <ctime>
#include <exception>
#include <map>
#include <set>
#include <utility>

#include "content/OurUtils.h"
#include "content/UnicodeText.h"

namespace tav {

namespace {

constexpr char kFieldSep = '|';
constexpr char kEntrySep = '~';
constexpr const char* kVersion = "1";
constexpr size_t kFields = 11;
// A profile with more block keys than this is not ours to read.
constexpr size_t kMaxBlocks = 1000;

bool MustEscape(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == '\\' || c == kFieldSep || c == kEntrySep || c == '=' || c == ';' ||
           c == '#' || c == '"' || c == '[' || c == ']' || c == '%';
}

std::string Escape(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // Blanks at the ends would be trimmed by INI readers.
        const bool edgeBlank = c == ' ' && (i == 0 || i + 1 == text.size());
        if (MustEscape(c) || edgeBlank) {
            out += '\\';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out += char(hi * 16 + lo);
        i += 2;
    }
    return IsValidUtf8(out);
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(sep, from);
        parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) break;
        from = at + 1;
    }
    return parts;
}

bool ParseInt(const std::string& text, int& value) {
    if (text.empty() || text.size() > 10) return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    value = int(text[0] == '-' ? -v : v);
    return true;
}

// At most max bytes, cut before a character, never inside one.
std::string CutUtf8(const std::string& text, size_t max) {
    if (text.size() <= max) return text;
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

std::string NowUtc() {
    const std::time_t t = std::time(nullptr);
    std::tm tm {};
    gmtime_r(&t, &tm);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min);
    return buf;
}

} // namespace

std::string MyWordsSection(const std::string& resultsSection) { return "Words " + resultsSection; }

std::string EncodeMyWord(const TMyWord& w) {
    const std::string sep(1, kFieldSep);
    return std::string(kVersion) + sep + Escape(w.Word) + sep + Escape(w.DictionaryForm) + sep + Escape(w.Reading) +
           sep + Escape(w.Sense) + sep + Escape(w.Line) + sep + std::to_string(w.SequenceNumber) + sep +
           std::to_string(w.StartFrame) + sep + std::to_string(w.EndFrame) + sep + Escape(w.Course) + sep +
           Escape(w.Added);
}

bool DecodeMyWord(const std::string& entry, TMyWord& word) {
    const std::vector<std::string> f = Split(entry, kFieldSep);
    if (f.size() != kFields || f[0] != kVersion) return false;
    TMyWord w;
    if (!Unescape(f[1], w.Word) || !Unescape(f[2], w.DictionaryForm) || !Unescape(f[3], w.Reading) ||
        !Unescape(f[4], w.Sense) || !Unescape(f[5], w.Line) || !ParseInt(f[6], w.SequenceNumber) ||
        !ParseInt(f[7], w.StartFrame) || !ParseInt(f[8], w.EndFrame) || !Unescape(f[9], w.Course) ||
        !Unescape(f[10], w.Added))
        return false;
    if (w.Word.empty() || w.EndFrame < w.StartFrame) return false;
    word = std::move(w);
    return true;
}

TMyWords::TMyWords(std::string section, TRead read, TWrite write)
    : section_(std::move(section)), read_(std::move(read)), write_(std::move(write)) {
    Load();
}

std::string TMyWords::BlockKey(size_t block) const { return "Block" + std::to_string(block + 1); }

std::string TMyWords::BlockText(const TBlock& block) const {
    std::string text;
    for (const TSlot& s : block) {
        if (!text.empty()) text += kEntrySep;
        text += s.Raw;
    }
    return text;
}

bool TMyWords::Load() {
    blocks_.clear();
    words_.clear();
    positions_.clear();
    damaged_ = 0;
    loaded_ = false;
    message_.clear();
    try {
        int count = 0;
        if (!ParseInt(Trim(read_(section_, "Blocks")), count) || count < 0) count = 0;
        // Past the count while blocks are there: a write cut short between a
        // new block and the count loses nothing.
        for (size_t b = 0; b < kMaxBlocks; ++b) {
            const std::string text = read_(section_, BlockKey(b));
            if (b >= size_t(count) && text.empty()) break;
            TBlock block;
            if (!text.empty())
                for (const std::string& raw : Split(text, kEntrySep)) {
                    if (raw.empty()) continue;
                    TSlot slot{true, raw};
                    TMyWord w;
                    slot.Ok = DecodeMyWord(raw, w);
                    if (!slot.Ok) ++damaged_;
                    block.push_back(std::move(slot));
                }
            blocks_.push_back(std::move(block));
        }
    } catch (const std::exception& e) {
        blocks_.clear();
        damaged_ = 0;
        message_ = std::string("Your word list could not be read: ") + e.what();
        Rebuild();
        return false;
    }
    // Empty blocks at the end are no blocks.
    while (!blocks_.empty() && blocks_.back().empty()) blocks_.pop_back();
    loaded_ = true;
    Rebuild();
    if (damaged_)
        message_ = std::to_string(damaged_) + (damaged_ == 1 ? " entry" : " entries") +
                   " of your word list could not be read and " + (damaged_ == 1 ? "was" : "were") +
                   " left out (kept in your profile as " + (damaged_ == 1 ? "it was" : "they were") + ").";
    return true;
}

void TMyWords::Rebuild() {
    words_.clear();
    positions_.clear();
    std::set<std::pair<std::string, std::string>> seen;
    duplicates_ = false;
    for (size_t b = 0; b < blocks_.size(); ++b)
        for (size_t s = 0; s < blocks_[b].size(); ++s) {
            TSlot& slot = blocks_[b][s];
            slot.Duplicate = false;
            if (!slot.Ok) continue;
            TMyWord w;
            if (!DecodeMyWord(slot.Raw, w)) continue;
            // A second copy of an entry (packing cut short) is not shown twice.
            if (!seen.insert({w.Word, w.Line}).second) {
                slot.Duplicate = duplicates_ = true;
                continue;
            }
            words_.push_back(std::move(w));
            positions_.emplace_back(b, s);
        }
}

bool TMyWords::Contains(const std::string& word, const std::string& line) const {
    for (const TMyWord& w : words_)
        if (w.Word == word && w.Line == line) return true;
    return false;
}

bool TMyWords::Fail(const std::string& text, std::string* message) {
    message_ = text;
    if (message) *message = text;
    return false;
}

bool TMyWords::Add(const TMyWord& word, std::string* message) {
    if (!loaded_) return Fail(message_.empty() ? "Your word list could not be read." : message_, message);
    TMyWord w = word;
    for (std::string* t : {&w.Word, &w.DictionaryForm, &w.Reading, &w.Course, &w.Added})
        *t = CutUtf8(ValidUtf8(Trim(*t)), kMaxText);
    w.Sense = CutUtf8(ValidUtf8(Trim(w.Sense)), kMaxText);
    w.Line = CutUtf8(ValidUtf8(Trim(w.Line)), kMaxText);
    if (w.Word.empty()) return Fail("There is no word to add.", message);
    if (w.EndFrame < w.StartFrame) w.EndFrame = w.StartFrame;
    if (w.Added.empty()) w.Added = NowUtc();
    if (Contains(w.Word, w.Line)) return Fail("\u201C" + w.Word + "\u201D of this line is in your words already.", message);
    if (words_.size() >= kCap)
        return Fail("Your word list is full (" + std::to_string(kCap) +
                        " words). Remove some words to make room for new ones.",
                    message);

    bool fresh = blocks_.empty() || blocks_.back().size() >= kBlockSize;
    // Blocks thinned out by removals are packed before the list grows by one more.
    if (fresh && blocks_.size() >= 4) {
        size_t entries = 0;
        for (const TBlock& b : blocks_)
            for (const TSlot& slot : b) entries += slot.Duplicate ? 0 : 1;
        if (blocks_.size() > 2 * (entries / kBlockSize + 1)) {
            try {
                Compact();
            } catch (const std::exception& e) {
                // Part of the packing may be on disk: read back what is there.
                const std::string why = std::string("The word could not be saved: ") + e.what();
                Load();
                return Fail(why, message);
            }
            fresh = blocks_.empty() || blocks_.back().size() >= kBlockSize;
        }
    }
    TBlock block = fresh ? TBlock{} : blocks_.back();
    block.push_back({true, EncodeMyWord(w)});
    const size_t index = fresh ? blocks_.size() : blocks_.size() - 1;
    try {
        write_(section_, BlockKey(index), BlockText(block));
        if (fresh) write_(section_, "Blocks", std::to_string(index + 1));
    } catch (const std::exception& e) {
        return Fail(std::string("The word could not be saved: ") + e.what(), message);
    }
    if (fresh) blocks_.push_back(std::move(block));
    else blocks_.back() = std::move(block);
    words_.push_back(std::move(w));
    positions_.emplace_back(index, blocks_[index].size() - 1);
    message_.clear();
    if (message) message->clear();
    return true;
}

void TMyWords::Compact() {
    std::vector<TBlock> packed;
    for (const TBlock& b : blocks_)
        for (const TSlot& slot : b) {
            if (slot.Duplicate) continue;
            if (packed.empty() || packed.back().size() >= kBlockSize) packed.emplace_back();
            packed.back().push_back(slot);
        }
    // In order: every entry reaches its new (earlier or same) block before its
    // old block is overwritten, so a write cut short can leave an entry twice
    // in the profile (the second copy is not shown, and goes at the next
    // packing) but never loses one.
    const size_t before = blocks_.size();
    for (size_t b = 0; b < packed.size(); ++b) write_(section_, BlockKey(b), BlockText(packed[b]));
    write_(section_, "Blocks", std::to_string(packed.size()));
    for (size_t b = packed.size(); b < before; ++b) write_(section_, BlockKey(b), std::string());
    blocks_ = std::move(packed);
    Rebuild();
}

bool TMyWords::Remove(size_t index, std::string* message) {
    if (!loaded_) return Fail(message_.empty() ? "Your word list could not be read." : message_, message);
    if (index >= positions_.size()) return Fail("That word is not in your list.", message);
    const size_t b = positions_[index].first, s = positions_[index].second;
    const TMyWord& gone = words_[index];
    // The block without the word, and without hidden second copies of it,
    // which would show again at the next load.
    auto without = [&](size_t k) {
        TBlock out;
        for (size_t i = 0; i < blocks_[k].size(); ++i) {
            const TSlot& slot = blocks_[k][i];
            if (k == b && i == s) continue;
            TMyWord w;
            if (slot.Duplicate && DecodeMyWord(slot.Raw, w) && w.Word == gone.Word && w.Line == gone.Line) continue;
            out.push_back(slot);
        }
        return out;
    };
    std::map<size_t, TBlock> changed;
    changed[b] = without(b);
    if (duplicates_)
        for (size_t k = 0; k < blocks_.size(); ++k)
            if (k != b) {
                TBlock block = without(k);
                if (block.size() != blocks_[k].size()) changed[k] = std::move(block);
            }
    // Trailing empty blocks go from the count as well.
    auto emptyAfter = [&](size_t k) { return changed.count(k) ? changed[k].empty() : blocks_[k].empty(); };
    size_t count = blocks_.size();
    while (count > 0 && emptyAfter(count - 1)) --count;
    try {
        // An empty value removes the key.
        for (const auto& [k, block] : changed) write_(section_, BlockKey(k), BlockText(block));
        if (count != blocks_.size()) write_(section_, "Blocks", count ? std::to_string(count) : std::string());
    } catch (const std::exception& e) {
        return Fail(std::string("The word could not be removed: ") + e.what(), message);
    }
    for (auto& [k, block] : changed) blocks_[k] = std::move(block);
    blocks_.resize(count);
    if (changed.size() > 1) {
        Rebuild();
    } else {
        words_.erase(words_.begin() + ptrdiff_t(index));
        positions_.erase(positions_.begin() + ptrdiff_t(index));
        // Later slots of the same block move up by one.
        for (size_t i = index; i < positions_.size() && positions_[i].first == b; ++i) --positions_[i].second;
    }
    message_.clear();
    if (message) message->clear();
    return true;
}

} // namespace tav

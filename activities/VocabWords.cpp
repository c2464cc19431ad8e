#include "activities/VocabWords.h"

#include "content/OurUtils.h"

namespace tav {

std::string AllEntryNumbers(int count) {
    std::string numbers;
    for (int i = 0; i < count; ++i) numbers += Format("%04d", i);
    return numbers;
}

TVocabQuestion DrawVocabQuestion(std::string& bag, const std::string& allNumbers, int correctSlot) {
    TVocabQuestion q;
    if (bag.size() < 4) bag = allNumbers;
    q.Word = StrToIntDef(TakeRandomChunk(bag, 4), 0);
    // Drawn from one copy, the wrong pictures are different entries.
    std::string others = allNumbers;
    for (int s = 1; s <= kVocabChoices; ++s) {
        if (s == correctSlot) {
            q.Entries[size_t(s)] = q.Word;
            continue;
        }
        int entry = q.Word;
        while (entry == q.Word && others.size() >= 4) entry = StrToIntDef(TakeRandomChunk(others, 4), 0);
        q.Entries[size_t(s)] = entry;
    }
    return q;
}

} // namespace tav

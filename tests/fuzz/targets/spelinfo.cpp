// Spelinfo.txt: each target language's tile alphabet and picture folder.
#include "content/OurUtils.h"
#include "content/SpellingTable.h"
#include "content/UnicodeText.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(spelinfo) {
    using namespace tav;
    const std::string file = tavfuzz::ScratchFile(data, size, "Spelinfo.txt");
    for (int language : {0, 1, 2, 5, -1, 2147483647}) {
        try {
            const TSpellingInfo info = LoadSpellingInfo(file, language);
            for (const std::string& letter : Graphemes(info.Letters)) LetterPictureNames(letter);
        } catch (const EProgramError&) {
            return;
        }
    }
}

// oppname.txt: the quiz opponent's name.
#include "content/UnicodeText.h"
#include "games/QuizData.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(oppname) {
    // An empty first line is an empty name (the file has a line); only a
    // file without lines gives "Computer".
    tav::ToQString(tav::ReadOpponentName(tavfuzz::ScratchFile(data, size, "oppname.txt")));
}

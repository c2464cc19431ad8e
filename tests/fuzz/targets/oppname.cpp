// oppname.txt: the quiz opponent's name.
#include "games/QuizData.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(oppname) {
    if (tav::ReadOpponentName(tavfuzz::ScratchFile(data, size, "oppname.txt")).empty()) __builtin_trap();
}

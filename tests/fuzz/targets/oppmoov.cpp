// oppmoov.txt: the opponent's action script and the actions the game asks for.
#include "content/OurUtils.h"
#include "games/QuizData.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(oppmoov) {
    using namespace tav;
    std::vector<TPlayer2Entry> actions;
    try {
        actions = LoadOpponentScriptFile(tavfuzz::ScratchFile(data, size, "oppmoov.txt"));
    } catch (const EProgramError&) {
        return;
    }
    for (const std::string& name : RequiredOpponentActions()) FindAction(actions, name);
}

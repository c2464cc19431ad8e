#pragma once
// Where the content is: a folder qualifies when it holds both target.txt and
// Spelinfo.txt. When the folder beside the program does not, the disc search
// is asked (it may show the "Insert disk" dialog).
#include <functional>
#include <string>

namespace tav {

bool HasContentFiles(const std::string& folder);

// Returns the content root found, or empty when the learner gave up. Without
// an installed asker this is the disc scan and the "Insert disk" dialog
// (Browse is offered in stand-alone mode only).
using TContentAsker = std::function<std::string()>;
void SetContentAsker(TContentAsker asker);
std::string AskForContent(bool standAlone);

} // namespace tav

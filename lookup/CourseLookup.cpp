#include "lookup/CourseLookup.h"

#include <memory>

namespace tav {

TWordLookup& CourseLookup(const std::string& filmIso, const std::string& helpIso, std::string& noDictionary) {
    static std::unique_ptr<TWordLookup> lookup;
    static std::string pair, error;
    const std::string wanted = filmIso + ">" + helpIso;
    if (!lookup || pair != wanted || !lookup->IsOpen()) {
        lookup = std::make_unique<TWordLookup>();
        pair = wanted;
        error.clear();
        lookup->Open(filmIso, helpIso, error);
    }
    noDictionary = lookup->IsOpen() ? std::string() : error;
    return *lookup;
}

} // namespace tav

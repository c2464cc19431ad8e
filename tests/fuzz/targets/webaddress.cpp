// The information web address: placeholders filled in and percent-encoding.
#include "app/WebAddress.h"
#include "content/OurUtils.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(webaddress) {
    using namespace tav;
    const std::string text = tavfuzz::Bytes(data, size);
    try {
        EncodeWebAddress(text);
    } catch (const EProgramError&) {
    }
    TWebParams params;
    params.TargetLanguage = 2;
    params.HelpLanguage = 5;
    params.OsName = "LINUX";
    try {
        BuildWebAddress(text, params);
    } catch (const EProgramError&) {
    }
    WithWebScheme(text);
}

// CustomStart.txt: the disc's own start screen areas and web address, which
// the screen opens through the web-scheme helper.
#include "app/CustomStart.h"
#include "app/WebAddress.h"
#include "content/KeyFiles.h"
#include "content/UnicodeText.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(customstart) {
    using namespace tav;
    const TCustomStartFile f = ParseCustomStart(SplitTextLines(tavfuzz::Bytes(data, size)));
    f.WebArea.Contains(400, 300);
    f.StartArea.Contains(0, 0);
    WithWebScheme(ToQString(f.WebAddress).toStdString());
}

#include "app/WebAddress.h"

#include "content/OurUtils.h"
#include "content/UnicodeText.h"

namespace tav {

namespace {

// ASCII case only: the placeholders are ASCII, and lower-casing must keep
// every byte where it is (Unicode case mapping may change lengths).
void ReplaceAllNoCase(std::string& text, const std::string& what, const std::string& with) {
    const std::string lowWhat = AsciiLower(what);
    size_t pos = 0;
    while (true) {
        std::string low = AsciiLower(text);
        size_t k = low.find(lowWhat, pos);
        if (k == std::string::npos) return;
        text.replace(k, what.size(), with);
        pos = k + with.size();
    }
}

std::string Hex(unsigned char c) { return Format("%%%02X", c); }

std::string EncodePath(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        bool encode = c == ' ' || c == '#' || c == '%' || c == '*' || c == '+' || c == '<' || c == '>' ||
                      c < 32 || c >= 128;
        out += encode ? Hex(c) : std::string(1, static_cast<char>(c));
    }
    return out;
}

std::string EncodeQuery(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        bool encode = c == ' ' || c == '#' || c == '%' || c == '*' || c == '<' || c == '>' || c == '[' ||
                      c == ']' || c < 33 || c >= 128; // every byte of a UTF-8 character
        out += encode ? Hex(c) : std::string(1, static_cast<char>(c));
    }
    return out;
}

} // namespace

std::string EncodeWebAddress(const std::string& input) {
    std::string text = input;
    for (char& c : text)
        if (c == '\\') c = '/';

    std::string scheme, rest;
    size_t sep = text.find("://");
    if (sep == std::string::npos) {
        rest = text;
    } else {
        scheme = text.substr(0, sep);
        rest = text.substr(sep + 3);
    }

    size_t slash = rest.find('/');
    std::string authority = slash == std::string::npos ? rest : rest.substr(0, slash);
    std::string tail = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    // User name and password are not kept.
    if (size_t at = authority.find('@'); at != std::string::npos) authority.erase(0, at + 1);
    std::string host = authority, port;
    if (size_t colon = authority.find(':'); colon != std::string::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }

    size_t q = tail.find('?');
    if (q == std::string::npos) q = tail.find('=');
    size_t p;
    if (q == std::string::npos) p = tail.rfind('/');
    else p = q == 0 ? std::string::npos : tail.rfind('/', q - 1);
    std::string path = "/" + (p == std::string::npos ? std::string() : tail.substr(0, p + 1));
    size_t docStart = p == std::string::npos ? 0 : p + 1;
    std::string document = q == std::string::npos ? tail.substr(docStart) : tail.substr(docStart, q - docStart);
    std::string query = q == std::string::npos ? std::string() : tail.substr(q);

    if (size_t h = document.find('#'); h != std::string::npos) document.erase(h);
    else if (size_t hq = query.find('#'); hq != std::string::npos) query.erase(hq);

    if (scheme.empty()) throw EProgramError("Protocol field is empty");
    if (host.empty()) throw EProgramError("Host field is empty");

    std::string out = scheme + "://" + host;
    if (!port.empty()) out += ":" + port;
    out += EncodePath(path) + EncodePath(document) + EncodeQuery(query);
    return out;
}

std::string WithWebScheme(const std::string& address) {
    return address.find("://") == std::string::npos ? "http://" + address : address;
}

std::string BuildWebAddress(const std::string& webTemplate, const TWebParams& params) {
    std::string s = webTemplate;
    ReplaceAllNoCase(s, "[[rng]]", "rng=AKG");
    ReplaceAllNoCase(s, "[[trg]]", "trg=" + Format("%.3d", params.TargetLanguage));
    ReplaceAllNoCase(s, "[[src]]", "src=" + Format("%.3d", params.HelpLanguage));
    ReplaceAllNoCase(s, "[[os]]",
                     "os=" + Format("%s%d.%d", params.OsName.c_str(), params.OsMajor, params.OsMinor));
    return EncodeWebAddress("http://" + s);
}

} // namespace tav

#pragma once
// The information web address: placeholders filled in and the result
// percent-encoded part by part.
#include <string>

namespace tav {

struct TWebParams {
    int TargetLanguage = 0;
    int HelpLanguage = 0;
    std::string OsName;      // platform name, e.g. "LINUX"
    int OsMajor = 0, OsMinor = 0;
};

// Replaces [[rng]], [[trg]], [[src]] and [[os]] (any case, every occurrence),
// puts "http://" in front and encodes the result.
std::string BuildWebAddress(const std::string& webTemplate, const TWebParams& params);

// "http://" in front of an address that names no scheme ("www.example.org"),
// which the desktop would not know how to open.
std::string WithWebScheme(const std::string& address);

// Splits scheme://host:port/path/document?query#fragment and percent-encodes
// each part; raises "Protocol field is empty" or "Host field is empty".
std::string EncodeWebAddress(const std::string& text);

} // namespace tav

// Replays the committed corpus of every fuzz target through its body, with
// the normal build: a parser that crashes, hangs or throws something other
// than its own refusal on any kept input fails `make test`.
//
//   fuzz_replay [corpus-root] [target ...]   (default: every target)
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "FuzzTarget.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // some parsers decode text through Qt
    std::string root = TAVOLIN_FUZZ_CORPUS;
    std::set<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (fs::is_directory(a)) root = a;
        else only.insert(a);
    }
    int failures = 0, total = 0;
    for (const auto& t : tavfuzz::RegisteredTargets()) {
        if (!only.empty() && !only.count(t.Name)) continue;
        const fs::path folder = fs::path(root) / t.Name;
        if (!fs::is_directory(folder)) {
            std::printf("%s: no corpus folder %s\n", t.Name.c_str(), folder.c_str());
            ++failures;
            continue;
        }
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(folder))
            if (e.is_regular_file()) files.push_back(e.path());
        std::sort(files.begin(), files.end());
        if (files.empty()) {
            std::printf("%s: empty corpus\n", t.Name.c_str());
            ++failures;
        }
        for (const auto& f : files) {
            std::ifstream in(f, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            try {
                t.Body(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            } catch (const std::exception& e) {
                std::printf("%s: %s: unexpected exception: %s\n", t.Name.c_str(), f.filename().c_str(), e.what());
                ++failures;
            }
            ++total;
        }
        std::printf("%s: %zu inputs\n", t.Name.c_str(), files.size());
    }
    std::printf("%d inputs replayed, %d failures\n", total, failures);
    return failures ? 1 : 0;
}

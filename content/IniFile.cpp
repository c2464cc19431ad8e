#include "content/IniFile.h"

#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace tav {

namespace {

bool IsSectionLine(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

bool IsEntryLine(const std::string& line, std::string& key, std::string& value) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(line.substr(0, eq));
    if (key.empty()) return false;
    value = Trim(line.substr(eq + 1));
    return true;
}

std::string Unquote(const std::string& v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
    return v;
}

} // namespace

void TIniFile::Parse(const std::string& text) { lines_ = SplitTextLines(text); }

bool TIniFile::LoadFromFile(const std::string& file) {
    lines_.clear();
    std::string path = NativePath(file);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) return true; // no file yet
        SetLastSystemError(errno ? errno : EACCES);
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    Parse(ss.str());
    return true;
}

std::string TIniFile::Text() const {
    std::string out;
    for (const auto& l : lines_) out += l + "\r\n";
    return out;
}

int TIniFile::FindSection(const std::string& section) const {
    std::string name;
    for (size_t i = 0; i < lines_.size(); ++i)
        if (IsSectionLine(lines_[i], name) && SameText(name, Trim(section))) return static_cast<int>(i);
    return -1;
}

int TIniFile::SectionEnd(int h) const {
    std::string name;
    int i = h + 1;
    while (i < static_cast<int>(lines_.size()) && !IsSectionLine(lines_[i], name)) ++i;
    return i;
}

int TIniFile::FindKey(int header, const std::string& key) const {
    std::string k, v;
    int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (IsEntryLine(lines_[i], k, v) && SameText(k, Trim(key))) return i;
    return -1;
}

bool TIniFile::ReadValue(const std::string& section, const std::string& key, std::string& value) const {
    int h = FindSection(section);
    if (h < 0) return false;
    int i = FindKey(h, key);
    if (i < 0) return false;
    std::string k, v;
    IsEntryLine(lines_[i], k, v);
    value = Unquote(v);
    return true;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    std::string v;
    return ReadValue(section, key, v) ? v : defaultValue;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
    std::string v;
    if (!ReadValue(section, key, v)) return defaultValue;
    return StrToIntDef(v, defaultValue);
}

bool TIniFile::SectionExists(const std::string& section) const { return FindSection(section) >= 0; }

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string line = Trim(key) + "=" + value;
    int h = FindSection(section);
    if (h < 0) {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + Trim(section) + "]");
        lines_.push_back(line);
        return;
    }
    int i = FindKey(h, key);
    if (i >= 0) { lines_[i] = line; return; }
    // After the section's last non-blank line, so a blank separator stays last.
    int end = SectionEnd(h);
    int insertAt = end;
    while (insertAt > h + 1 && Trim(lines_[insertAt - 1]).empty()) --insertAt;
    lines_.insert(lines_.begin() + insertAt, line);
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
    int h = FindSection(section);
    if (h < 0) return;
    int i = FindKey(h, key);
    if (i >= 0) lines_.erase(lines_.begin() + i);
}

void TIniFile::EraseSection(const std::string& section) {
    int h;
    while ((h = FindSection(section)) >= 0) lines_.erase(lines_.begin() + h, lines_.begin() + SectionEnd(h));
}

bool TIniFile::SaveToFile(const std::string& file) const {
    const std::string path = NativePath(file);
    // A profile that exists but may not be written stays untouched: renaming
    // over it would silently defeat its protection.
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) {
        SetLastSystemError(errno);
        return false;
    }
    std::string tmp = path + ".tmp-XXXXXX";
    std::vector<char> tmpl(tmp.begin(), tmp.end());
    tmpl.push_back('\0');
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) { SetLastSystemError(errno); return false; }
    const std::string text = Text();
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            ::unlink(tmpl.data());
            SetLastSystemError(e);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    struct stat old {};
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int e = errno;
        ::unlink(tmpl.data());
        SetLastSystemError(e);
        return false;
    }
    if (::rename(tmpl.data(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(tmpl.data());
        SetLastSystemError(e);
        return false;
    }
    InvalidatePathCache();
    return true;
}

} // namespace tav

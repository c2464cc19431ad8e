#pragma once
// Paths as the program builds them: a folder without a trailing backslash joined
// with a name that begins with one ("C:\disc" + "\Target.txt"). On this system
// backslashes become slashes and every component is matched without regard to
// case, so "\target.txt" finds "Target.txt".
#include <string>
#include <vector>

namespace tav {

// Folder + name, exactly as the content files expect (plain concatenation).
std::string JoinPath(const std::string& folder, const std::string& name);

// The native path of a program path: backslashes become slashes and each
// existing component is replaced by its real spelling on disk when only the
// case differs. Components that do not exist are kept as written.
std::string NativePath(const std::string& programPath);

bool FileExists(const std::string& programPath);
bool DirectoryExists(const std::string& programPath);

// Creates the whole folder chain; returns false when it could not.
bool ForceDirectories(const std::string& programPath);

// The folder part of a path (no trailing separator), in program form.
std::string ExtractFileDir(const std::string& path);

// Drops the cached directory listings (after this process wrote files).
void InvalidatePathCache();

} // namespace tav

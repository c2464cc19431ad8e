#pragma once
// The learner's course library. A course built from the learner's own film
// is a content root of its own under $XDG_DATA_HOME/tavolin/courses; the
// program offers these beside the disc it found (the demo disc) on the course
// menu. A disc in a drive or a folder the configuration names opens at once,
// as it always has.
#include <string>
#include <vector>

namespace tav {

struct TCourse {
    std::string Root;       // the content root (no trailing separator)
    std::string Title;      // the film's title, UTF-8
    int Language = 0;       // the program's code of the film's language (0 unknown)
    std::string Picture;    // the target's start-menu picture; may be missing
    bool InLibrary = false; // built by the learner, so it can be removed
};

// A course to build from the learner's film: what the new-course dialog
// asks and the build screen passes to tavolin-disc build.
struct TCourseRequest {
    std::string Film;
    std::string SubtitleFile;     // a subtitle file; empty when a track of the film is used
    int SubtitleTrack = -1;       // the film's subtitle track (its number among subtitle tracks)
    std::string Language;         // the film's language, as the builder takes it ("fr")
    std::string HelpFile;         // optional help-language subtitles: a file...
    int HelpTrack = -1;           // ... or a track of the film
    std::string HelpLanguage;
    std::string Title;            // UTF-8
    int AudioTrack = -1;          // -1: the film's main sound track
    bool Empty() const { return Film.empty(); }
};

// The library folder; empty when there is neither XDG_DATA_HOME nor a home.
std::string CoursesFolder();

// What a content root says about itself: the target's caption without the
// program's name, its language and its start-menu picture. A root whose
// files cannot be read keeps its folder name as the title.
TCourse DescribeCourse(const std::string& root);

// The courses in a library folder, by title; folders without content files
// (a build under way, a half-removed course) are not courses.
std::vector<TCourse> LibraryCourses(const std::string& folder);

// The courses the course menu offers: the found root first, then the
// library's; empty when there are fewer than two (nothing to choose).
std::vector<TCourse> CoursesToOffer(const std::string& foundRoot, const std::vector<TCourse>& library);

// A folder for a new course in the library, named after its title and not
// yet taken (nor by a build under way): "<folder>/le-petit-prince",
// "<folder>/le-petit-prince-2".
std::string NewCourseRoot(const std::string& folder, const std::string& title);

// Removes a course of the library. It is first renamed out of the library's
// sight, so that a crash half-way leaves no half course on the menu; false
// with the reason when it is not in the library or cannot be removed.
bool RemoveCourse(const std::string& folder, const std::string& root, std::string& why);

} // namespace tav

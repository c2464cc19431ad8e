#include "app/CourseLibrary.h"

#include "app/ContentLocation.h"
#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>

namespace tav {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A key file's lines decoded as the disc declares (or its own byte-order
// mark says), without touching the loaded disc's encoding.
TStringList DecodedLines(TStringList lines, TContentEncoding encoding) {
    const bool bom = !lines.empty() && lines.front().compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom) lines.front().erase(0, 3);
    for (std::string& l : lines) l = bom || encoding == TContentEncoding::Utf8 ? ValidUtf8(l) : DecodeMacText(l);
    return lines;
}

// "Tavolin – Le Petit Prince" -> "Le Petit Prince".
std::string TitleOfCaption(std::string caption) {
    for (const char* prefix : {"Tavolin \xE2\x80\x93 ", "Tavolin - ", "Tavolin: "})
        if (caption.rfind(prefix, 0) == 0) return Trim(caption.substr(std::char_traits<char>::length(prefix)));
    return Trim(caption);
}

// Lower-case ASCII letters and digits joined by dashes; other scripts keep
// their letters (the file system holds UTF-8 names).
std::string FolderNameOf(const std::string& title) {
    QString out;
    for (QChar c : Q(title).normalized(QString::NormalizationForm_C).toLower()) {
        if (c.isLetterOrNumber()) out += c;
        else if (!out.isEmpty() && !out.endsWith('-')) out += '-';
        if (out.size() >= 40) break;
    }
    while (out.endsWith('-')) out.chop(1);
    return out.isEmpty() ? std::string("course") : out.toStdString();
}

bool Inside(const std::string& folder, const std::string& root) {
    const QString f = QDir::cleanPath(QFileInfo(Q(folder)).absoluteFilePath());
    const QString r = QDir::cleanPath(QFileInfo(Q(root)).absoluteFilePath());
    return !f.isEmpty() && r.startsWith(f + '/') && !r.mid(f.size() + 1).contains('/');
}

} // namespace

std::string CoursesFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/tavolin/courses";
    const char* home = std::getenv("HOME");
    if (home && home[0]) return std::string(home) + "/.local/share/tavolin/courses";
    return {};
}

TCourse DescribeCourse(const std::string& root) {
    TCourse c;
    c.Root = root;
    c.Title = QFileInfo(Q(root)).fileName().toStdString();
    try {
        const TStringList raw = ReadTextLines(root + "\\Target.txt");
        const TContentEncoding encoding = EncodingDeclaredBy(raw);
        const TStringList target = DecodedLines(raw, encoding);
        const std::string name = LookupKey(target, "TargetFolderName", "");
        if (name.empty()) return c;
        const std::string folder = root + "\\" + name;
        c.Picture = folder + "\\menus\\bootmenu.jpg";
        const TStringList settings = DecodedLines(ReadTextLines(folder + "\\settings.txt"), encoding);
        const std::string title = TitleOfCaption(LookupKey(settings, "PCCaption", ""));
        if (!title.empty()) c.Title = title;
        c.Language = StrToIntDef(LookupKey(settings, "TargetLang", "0"), 0);
    } catch (...) {
        // A damaged course still shows on the menu (by its folder's name) and can be removed.
    }
    return c;
}

std::vector<TCourse> LibraryCourses(const std::string& folder) {
    std::vector<TCourse> out;
    if (folder.empty()) return out;
    const QFileInfoList entries = QDir(Q(folder)).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& e : entries) {
        if (e.fileName().startsWith('.')) {
            // Builds under way are not courses yet; a removal a crash cut short is finished now.
            if (e.fileName().endsWith(".removing")) QDir(e.absoluteFilePath()).removeRecursively();
            continue;
        }
        const std::string root = e.absoluteFilePath().toStdString();
        if (!HasContentFiles(root)) continue;
        TCourse c = DescribeCourse(root);
        c.InLibrary = true;
        out.push_back(c);
    }
    std::stable_sort(out.begin(), out.end(), [](const TCourse& a, const TCourse& b) {
        return Q(a.Title).localeAwareCompare(Q(b.Title)) < 0;
    });
    return out;
}

std::vector<TCourse> CoursesToOffer(const std::string& foundRoot, const std::vector<TCourse>& library) {
    std::vector<TCourse> out;
    auto same = [&](const TCourse& c) { return QDir::cleanPath(Q(c.Root)) == QDir::cleanPath(Q(foundRoot)); };
    if (!foundRoot.empty()) {
        const auto inLibrary = std::find_if(library.begin(), library.end(), same);
        out.push_back(inLibrary != library.end() ? *inLibrary : DescribeCourse(foundRoot));
    }
    for (const TCourse& c : library)
        if (foundRoot.empty() || !same(c)) out.push_back(c);
    if (out.size() < 2) out.clear();
    return out;
}

std::string NewCourseRoot(const std::string& folder, const std::string& title) {
    const std::string base = folder + "/" + FolderNameOf(title);
    for (int n = 1;; ++n) {
        const std::string root = n == 1 ? base : base + "-" + std::to_string(n);
        const QFileInfo fi(Q(root));
        const QString building = fi.absolutePath() + "/." + fi.fileName() + ".building";
        if (!fi.exists() && !QFileInfo::exists(building)) return root;
    }
}

bool RemoveCourse(const std::string& folder, const std::string& root, std::string& why) {
    if (!Inside(folder, root) || !QFileInfo(Q(root)).isDir()) {
        why = "Only a course you built yourself can be removed.";
        return false;
    }
    const QFileInfo fi(Q(root));
    if (fi.isSymLink()) {
        // A course linked into the library: the link goes, the folder it names stays.
        if (QFile::remove(fi.absoluteFilePath())) return true;
        why = "The link " + root + " could not be removed.";
        return false;
    }
    const QString aside = fi.absolutePath() + "/." + fi.fileName() + ".removing";
    QDir(aside).removeRecursively();
    if (!QDir().rename(fi.absoluteFilePath(), aside)) {
        why = "The course folder " + root + " could not be removed: is it read-only?";
        return false;
    }
    // Out of the menu's sight already: what cannot go now goes at the next listing.
    QDir(aside).removeRecursively();
    return true;
}

} // namespace tav

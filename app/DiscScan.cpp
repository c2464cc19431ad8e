#include "app/DiscScan.h"

#include "app/ContentLocation.h"
#include "platform/UserInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <set>

namespace tav {

namespace {

TVolumeLister& Lister() {
    static TVolumeLister lister;
    return lister;
}

void AddSubfolders(const QString& parent, std::vector<std::string>& out) {
    QDir dir(parent);
    if (!dir.exists()) return;
    const auto entries = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& e : entries) out.push_back(e.absoluteFilePath().toStdString());
}

std::vector<std::string> SystemVolumes() {
    std::vector<std::string> out;
    std::vector<std::string> optical;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        const QByteArray fs = v.fileSystemType().toLower();
        if (v.isValid() && (fs == "iso9660" || fs == "udf")) optical.push_back(v.rootPath().toStdString());
    }
    std::sort(optical.begin(), optical.end());
    out = optical;
    // Removable media mounted by the desktop.
    const QString user = QString::fromStdString(LogonName());
    std::vector<std::string> mounted;
    if (!user.isEmpty()) {
        AddSubfolders("/media/" + user, mounted);
        AddSubfolders("/run/media/" + user, mounted);
    }
    AddSubfolders("/media", mounted);
    AddSubfolders("/mnt", mounted);
    std::set<std::string> seen(out.begin(), out.end());
    for (auto& m : mounted)
        if (seen.insert(m).second) out.push_back(m);
    return out;
}

} // namespace

void SetVolumeLister(TVolumeLister lister) { Lister() = std::move(lister); }

std::vector<std::string> MountedVolumes() {
    if (auto& l = Lister()) return l();
    return SystemVolumes();
}

std::string LocateContent() {
    for (std::string v : MountedVolumes()) {
        while (v.size() > 1 && (v.back() == '/' || v.back() == '\\')) v.pop_back();
        if (HasContentFiles(v)) return v;
    }
    return {};
}

} // namespace tav

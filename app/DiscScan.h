#pragma once
// The scan of mounted discs for content: optical drives and the usual mount
// points. The "Insert disk" dialog keeps running it while it waits.
#include <functional>
#include <string>
#include <vector>

namespace tav {

// The mounted volumes that may hold a content disc, in a stable order:
// optical file systems (iso9660, udf) and folders under the usual mount
// points. Tests install their own list.
using TVolumeLister = std::function<std::vector<std::string>()>;
void SetVolumeLister(TVolumeLister lister); // nullptr restores the system scan
std::vector<std::string> MountedVolumes();

// The first volume that holds the content files; empty when none does.
// Unreadable or empty drives are skipped silently.
std::string LocateContent();

} // namespace tav

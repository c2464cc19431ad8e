#pragma once
// The narrow interface to the classroom network manager used in remote mode.
// The link module provides the real implementation through the factory;
// tests install fakes.
#include <functional>
#include <memory>
#include <string>

namespace tav {

struct TStudentInfo {
    std::string ContentRoot;
    int Number = 0;
    std::string TargetFolderName;
    std::string LearnerName;
};

class IClassroomLink {
public:
    virtual ~IClassroomLink() = default;
    // Shows its own "Couldn't connect: " message and returns false on failure.
    virtual bool Connect() = 0;
    virtual void Disconnect(bool closedByTimeout) = 0;
    virtual bool IsConnected() = 0;
    virtual void HideHubrell() = 0;
    virtual TStudentInfo GetStudentInfo() = 0;
    virtual std::string GetRemoteProfileString(const std::string& section, const std::string& key,
                                               const std::string& defaultValue) = 0;
    virtual void WriteRemoteProfileString(const std::string& section, const std::string& key,
                                          const std::string& value) = 0;
    virtual void SendStartActivity(int code) = 0;
    virtual void SendEndActivity(int code, int lastScore) = 0;
    virtual void SendScore(int total, int awardLevel) = 0;
};

using TClassroomLinkFactory = std::function<std::unique_ptr<IClassroomLink>()>;

// nullptr: no link is available (remote mode then cannot start).
void SetClassroomLinkFactory(TClassroomLinkFactory factory);
std::unique_ptr<IClassroomLink> CreateClassroomLink();

} // namespace tav

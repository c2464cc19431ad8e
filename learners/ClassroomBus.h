#pragma once
// The names both ends of the classroom link use on the D-Bus session bus: the
// manager owns kManagerService and serves kManagerInterface at kManagerPath;
// every program exports kProgramInterface at kProgramPath on its own
// connection, through which the manager asks it to shut down.
namespace tav::classroombus {

inline constexpr const char* kManagerService = "net.tavolin.Classroom";
inline constexpr const char* kManagerPath = "/net/tavolin/Classroom";
inline constexpr const char* kManagerInterface = "net.tavolin.Classroom1";
inline constexpr const char* kProgramPath = "/net/tavolin/Program";
inline constexpr const char* kProgramInterface = "net.tavolin.Program1";
// The error name a manager replies to Connect with when it will not take the program.
inline constexpr const char* kRefusedError = "net.tavolin.Classroom1.Error.Refused";
// No call to the manager waits longer than this.
inline constexpr int kCallTimeoutMs = 5000;
// A manager that let a call time out is asked again after this long at the
// earliest (unless another manager took the name meanwhile).
inline constexpr int kHungRetryMs = 30000;

} // namespace tav::classroombus

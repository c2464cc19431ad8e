#include "app/ClassroomLink.h"

namespace tav {

namespace {
TClassroomLinkFactory& Factory() {
    static TClassroomLinkFactory factory;
    return factory;
}
} // namespace

void SetClassroomLinkFactory(TClassroomLinkFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<IClassroomLink> CreateClassroomLink() {
    if (auto& f = Factory()) return f();
    return nullptr;
}

} // namespace tav

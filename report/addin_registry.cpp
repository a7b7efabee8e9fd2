#include "report/addin_registry.h"

#include "platform/process_state.h"

namespace vx {

namespace {
// The add-in registry's part of the library state (AddInObjects). Add-ins
// register at module initialisation, through libraryState().addInitialiser
// so that a reset registers them again.
struct AddInRegistry : DefaultResetPart<AddInRegistry> {
    std::vector<TvxAddInObjectInfo> rows;
};

std::vector<TvxAddInObjectInfo>& registry() {
    return libraryState().part<AddInRegistry>().rows;
}
} // namespace

bool RegisterAddInObject(const QString& className, ObjectFactory create, const QImage& buttonBitmap,
                         const QString& buttonHint, const QString& editorClass) {
    auto& rows = registry();
    // The table has room for 32 classes; a further class is refused rather
    // than written past the table. A second registration of a class name
    // would never be found by the factory, so it is refused too.
    if (int(rows.size()) >= kMaxAddInObjects || className.isEmpty() || !create ||
        FindAddInObject(className))
        return false;
    rows.push_back({className, std::move(create), editorClass, buttonBitmap, buttonHint});
    return true;
}

const std::vector<TvxAddInObjectInfo>& AddInObjects() {
    return registry();
}

const TvxAddInObjectInfo* FindAddInObject(const QString& className) {
    for (const auto& row : registry())
        if (row.ClassName == className) // case matters
            return &row;
    return nullptr;
}

EmptyAddInRegistryGuard::EmptyAddInRegistryGuard() {
    saved_.swap(registry());
}

EmptyAddInRegistryGuard::~EmptyAddInRegistryGuard() {
    registry() = std::move(saved_);
}

} // namespace vx

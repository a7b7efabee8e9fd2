#include "report/addin_registry.h"

namespace vx {

namespace {
std::vector<TvxAddInObjectInfo>& registry() {
    static std::vector<TvxAddInObjectInfo> rows;
    return rows;
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

std::vector<TvxAddInObjectInfo> takeAddInObjectsForTest() {
    std::vector<TvxAddInObjectInfo> saved;
    saved.swap(registry());
    return saved;
}

void restoreAddInObjectsForTest(std::vector<TvxAddInObjectInfo> rows) {
    registry() = std::move(rows);
}

} // namespace vx

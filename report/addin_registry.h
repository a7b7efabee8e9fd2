#pragma once

// The registry of add-in object classes (shape, framed text, barcode,
// chart, rich text, OLE). Each add-in registers once at start-up; templates
// identify add-in objects by class name.

#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace vx {

class TvxReport;
class TvxView;

// Creates a new object of the class for a report (the class's virtual
// constructor). The object's record layout is its LoadFromStream /
// SaveToStream.
using ObjectFactory = std::function<std::unique_ptr<TvxView>(TvxReport*)>;

struct TvxAddInObjectInfo {
    QString ClassName;    // e.g. "TvxShapeView"; matched exactly
    ObjectFactory Create; // the object class
    QString EditorClass;  // the designer's editor dialog class
    QImage ButtonBitmap;
    QString ButtonHint;
};

inline constexpr int kMaxAddInObjects = 32;

// Appends one row. Refuses (returns false, registry unchanged) a 33rd
// registration, a row without class name or factory, and a class name that
// is already registered.
bool RegisterAddInObject(const QString& className, ObjectFactory create, const QImage& buttonBitmap,
                         const QString& buttonHint, const QString& editorClass = QString());

// The rows in registration order.
const std::vector<TvxAddInObjectInfo>& AddInObjects();
const TvxAddInObjectInfo* FindAddInObject(const QString& className);

// Tests: the registry is empty for as long as the guard lives; the rows
// registered before come back when it ends.
class EmptyAddInRegistryGuard {
public:
    EmptyAddInRegistryGuard();
    ~EmptyAddInRegistryGuard();
    EmptyAddInRegistryGuard(const EmptyAddInRegistryGuard&) = delete;
    EmptyAddInRegistryGuard& operator=(const EmptyAddInRegistryGuard&) = delete;

private:
    std::vector<TvxAddInObjectInfo> saved_;
};

} // namespace vx

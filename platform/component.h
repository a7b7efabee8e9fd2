#pragma once

// A small component tree: every component has a name and an optional owner;
// an owner lists the components it holds and finds them by name without
// regard to case. Top-level forms and data modules are registered in one
// process-wide list so that dotted paths such as "Dati.clienti" resolve.
//
// Ownership: a component created with an owner is only LISTED by the owner.
// Whoever created it keeps it (for instance in a std::unique_ptr member),
// unless it is handed to the owner with `adopt`, after which the owner
// deletes it when the owner is destroyed. A listed component removes itself
// from its owner's list when it is destroyed; when the owner goes first, the
// components it did not adopt are left without an owner.

#include <QString>

#include <memory>
#include <vector>

namespace vx {

enum class ComponentKind { Component, Form, DataModule };

class Component {
public:
    explicit Component(Component* owner = nullptr, QString name = QString(),
                       ComponentKind kind = ComponentKind::Component);
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }

    // The class name a stored template or a host sees ("TvxReport", ...).
    // Subclasses override it; plain components return what setClassName gave.
    virtual QString className() const { return className_; }
    void setClassName(const QString& className) { className_ = className; }

    ComponentKind kind() const { return kind_; }
    void setKind(ComponentKind kind) { kind_ = kind; }

    Component* owner() const { return owner_; }
    // Moves the component to another owner's list (nullptr: no owner). If
    // the old owner had adopted it, the new owner adopts it; an adopted
    // component is not left without an owner (call `release` first).
    void setOwner(Component* owner);

    // Components whose owner is this one, in creation order.
    const std::vector<Component*>& components() const { return components_; }
    int componentCount() const { return int(components_.size()); }

    // The first listed component with this name, compared without regard
    // to case; nullptr when there is none or the name is empty.
    Component* findComponent(const QString& name) const;

    // Takes ownership of a component; it is listed here (its owner becomes
    // this one) and deleted with this component. Returns the raw pointer.
    template <class T> T* adopt(std::unique_ptr<T> child) {
        T* raw = child.get();
        adoptComponent(std::unique_ptr<Component>(std::move(child)));
        return raw;
    }
    // Gives back an adopted component (it stays listed); nullptr if this
    // component does not own it.
    std::unique_ptr<Component> release(Component* child);
    bool ownsComponent(const Component* child) const;

private:
    void adoptComponent(std::unique_ptr<Component> child);
    void detachFromOwner();

    QString name_;
    QString className_ = QStringLiteral("TComponent");
    ComponentKind kind_;
    Component* owner_ = nullptr;
    std::vector<Component*> components_;
    std::vector<std::unique_ptr<Component>> owned_;
};

// Process-wide registry of forms and data modules. A component registered
// here is removed automatically when it is destroyed.
void registerModule(Component* module);
void unregisterModule(Component* module);
// The registered module with this name (without regard to case), or nullptr.
Component* findModule(const QString& name);
const std::vector<Component*>& registeredModules();

// Resolves "Module.Component[.Sub...]" through the registry: the first part
// names a registered module, each further part a component of the previous
// one. A single name resolves to the module. nullptr when any part is missing.
Component* findComponentPath(const QString& path);

} // namespace vx

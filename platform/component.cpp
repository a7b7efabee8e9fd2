#include "platform/component.h"

#include "platform/platform_state.h"

#include <QStringList>

#include <algorithm>

namespace vx {

namespace {

std::vector<Component*>& moduleList() {
    return platformState().Modules;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

Component::Component(Component* owner, QString name, ComponentKind kind)
    : name_(std::move(name)), kind_(kind) {
    setOwner(owner);
}

Component::~Component() {
    // Adopted components go first, newest first; each one unlists itself.
    while (!owned_.empty()) {
        std::unique_ptr<Component> child = std::move(owned_.back());
        owned_.pop_back();
        child.reset();
    }
    for (Component* child : components_)
        child->owner_ = nullptr;
    components_.clear();
    detachFromOwner();
    unregisterModule(this);
}

void Component::detachFromOwner() {
    if (!owner_)
        return;
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    owner_ = nullptr;
}

void Component::setOwner(Component* owner) {
    if (owner == owner_)
        return;
    // An adopted component cannot be left without an owner (nobody would
    // delete it): it must be released first.
    if (!owner && owner_ && owner_->ownsComponent(this))
        return;
    std::unique_ptr<Component> self;
    if (owner_)
        self = owner_->release(this);
    detachFromOwner();
    owner_ = owner;
    if (owner_) {
        owner_->components_.push_back(this);
        if (self)
            owner_->owned_.push_back(std::move(self));
    }
}

Component* Component::findComponent(const QString& name) const {
    if (name.isEmpty())
        return nullptr;
    for (Component* child : components_)
        if (sameName(child->name_, name))
            return child;
    return nullptr;
}

void Component::adoptComponent(std::unique_ptr<Component> child) {
    if (!child)
        return;
    Component* raw = child.get();
    if (raw->owner_ && raw->owner_ != this) {
        // Take it from a previous owner's lists.
        std::unique_ptr<Component> previous = raw->owner_->release(raw);
        (void)previous.release(); // the same object as `child`
        raw->detachFromOwner();
    }
    if (raw->owner_ != this) {
        raw->owner_ = this;
        components_.push_back(raw);
    }
    if (!ownsComponent(raw))
        owned_.push_back(std::move(child));
    else
        (void)child.release(); // already owned here
}

std::unique_ptr<Component> Component::release(Component* child) {
    auto it = std::find_if(owned_.begin(), owned_.end(),
                           [child](const auto& p) { return p.get() == child; });
    if (it == owned_.end())
        return nullptr;
    std::unique_ptr<Component> result = std::move(*it);
    owned_.erase(it);
    return result;
}

bool Component::ownsComponent(const Component* child) const {
    return std::any_of(owned_.begin(), owned_.end(),
                       [child](const auto& p) { return p.get() == child; });
}

void registerModule(Component* module) {
    if (!module)
        return;
    auto& modules = moduleList();
    if (std::find(modules.begin(), modules.end(), module) == modules.end())
        modules.push_back(module);
}

void unregisterModule(Component* module) {
    auto& modules = moduleList();
    modules.erase(std::remove(modules.begin(), modules.end(), module), modules.end());
}

Component* findModule(const QString& name) {
    if (name.isEmpty())
        return nullptr;
    for (Component* module : moduleList())
        if (sameName(module->name(), name))
            return module;
    return nullptr;
}

const std::vector<Component*>& registeredModules() {
    return moduleList();
}

Component* findComponentPath(const QString& path) {
    const QStringList parts = path.split(QLatin1Char('.'));
    Component* current = findModule(parts.value(0).trimmed());
    for (qsizetype i = 1; current && i < parts.size(); ++i)
        current = current->findComponent(parts[i].trimmed());
    return current;
}

} // namespace vx

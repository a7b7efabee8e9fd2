#include "platform/component.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(Component, FindsComponentsWithoutRegardToCase) {
    Component form(nullptr, QStringLiteral("MainForm"), ComponentKind::Form);
    auto* report = form.adopt(std::make_unique<Component>(nullptr, QStringLiteral("vxReport1")));
    Component listed(&form, QStringLiteral("Other"));
    EXPECT_EQ(form.findComponent(QStringLiteral("VXREPORT1")), report);
    EXPECT_EQ(form.findComponent(QStringLiteral("other")), &listed);
    EXPECT_EQ(form.findComponent(QStringLiteral("missing")), nullptr);
    EXPECT_EQ(form.findComponent(QString()), nullptr);
    EXPECT_EQ(report->owner(), &form);
    EXPECT_EQ(form.componentCount(), 2);
}

TEST(Component, OwnerDeletesAdoptedAndReleasesListed) {
    int destroyed = 0;
    struct Probe : Component {
        explicit Probe(int* counter) : counter_(counter) {}
        ~Probe() override { ++*counter_; }
        int* counter_;
    };
    auto listed = std::make_unique<Component>(nullptr, QStringLiteral("listed"));
    {
        Component owner;
        owner.adopt(std::make_unique<Probe>(&destroyed));
        listed->setOwner(&owner);
        EXPECT_EQ(owner.componentCount(), 2);
    }
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(listed->owner(), nullptr); // left without an owner, still alive
}

TEST(Component, ChildDestroyedFirstLeavesOwnersList) {
    Component owner;
    {
        Component child(&owner, QStringLiteral("child"));
        EXPECT_EQ(owner.componentCount(), 1);
    }
    EXPECT_EQ(owner.componentCount(), 0);
    auto* adopted = owner.adopt(std::make_unique<Component>());
    std::unique_ptr<Component> back = owner.release(adopted);
    EXPECT_EQ(back.get(), adopted);
    EXPECT_FALSE(owner.ownsComponent(adopted));
    back.reset();
    EXPECT_EQ(owner.componentCount(), 0);
}

TEST(Component, ModuleRegistryResolvesDottedPaths) {
    auto module =
        std::make_unique<Component>(nullptr, QStringLiteral("Dati"), ComponentKind::DataModule);
    auto* clienti = module->adopt(std::make_unique<Component>(nullptr, QStringLiteral("clienti")));
    registerModule(module.get());
    registerModule(module.get()); // once only
    EXPECT_EQ(registeredModules().size(), 1u);
    EXPECT_EQ(findModule(QStringLiteral("dati")), module.get());
    EXPECT_EQ(findComponentPath(QStringLiteral("Dati.clienti")), clienti);
    EXPECT_EQ(findComponentPath(QStringLiteral("DATI.CLIENTI")), clienti);
    EXPECT_EQ(findComponentPath(QStringLiteral("Dati")), module.get());
    EXPECT_EQ(findComponentPath(QStringLiteral("Dati.ordini")), nullptr);
    EXPECT_EQ(findComponentPath(QStringLiteral("Altro.clienti")), nullptr);
    module.reset(); // unregisters itself
    EXPECT_EQ(findModule(QStringLiteral("Dati")), nullptr);
    EXPECT_TRUE(registeredModules().empty());
}

} // namespace
} // namespace vx

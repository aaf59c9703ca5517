// The library manager module: loading it or finding it missing, libraries, groups, class lookup.
#include <filesystem>

#include <gtest/gtest.h>

#include "brissen/brissen_manager.h"
#include "brissen/dvr_library.h"
#include "temp_directory.h"

namespace {

struct Shape : IDVRObject {
    virtual ~Shape() = default;
};
struct Circle : Shape {};
struct Unrelated : IDVRObject {};

const DVRClassRegistration<Circle> circleRegistration("Circle", "0");
const DVRClassRegistration<Unrelated> unrelatedRegistration("Unrelated", "0");

// A program directory with the manager module and, when asked, a library group.
class ModuleDirectory {
public:
    explicit ModuleDirectory(bool withGroup) {
        std::filesystem::copy_file(BRISSEN_CORE_MODULE, directory.path() + "/Brissen.CORE");
        if (!withGroup) return;
        std::filesystem::copy_file(BRISSEN_TEST_MODULE, directory.path() + "/Test.module");
        directory.write("Brissen.group", "# modules of the group\nTest.module\nMissing.module\n");
    }
    const std::string& path() const { return directory.path(); }

private:
    TempDirectory directory;
};

TEST(BrissenModule, MissingModuleGivesNoManager) {
    TempDirectory empty;
    EXPECT_EQ(CBrissenModule::Load(empty.path()), nullptr);
}

TEST(BrissenModule, ModuleWithoutEntryGivesNoManager) {
    TempDirectory directory;
    std::filesystem::copy_file(BRISSEN_TEST_MODULE, directory.path() + "/Brissen.CORE");  // a module, but not the manager
    EXPECT_EQ(CBrissenModule::Load(directory.path()), nullptr);
}

TEST(BrissenModule, ProgramDirectoryHoldsTheManager) { EXPECT_NE(GetBrissenManager(), nullptr); }

TEST(BrissenManager, RegistersAndEnumeratesLibraries) {
    ModuleDirectory directory(false);
    auto module = CBrissenModule::Load(directory.path());
    ASSERT_NE(module, nullptr);
    IBrissenMgr* manager = module->GetManager();
    CDVRLibrary other("Other", "3.1", 5);
    EXPECT_EQ(manager->RegisterLibrary(&DVRApplicationLibrary()), 0);
    EXPECT_EQ(manager->RegisterLibrary(&other), 0);
    EXPECT_EQ(manager->RegisterLibrary(&other), -1);
    EXPECT_EQ(manager->RegisterLibrary(nullptr), -1);
    IDVRLibrary* first = manager->GetFirstLibrary();
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->GetName(), "ZETLIBAPP");
    EXPECT_STREQ(first->GetVersion(), "1.0");
    EXPECT_EQ(manager->GetNextLibrary(first), &other);
    EXPECT_EQ(manager->GetNextLibrary(&other), nullptr);
    EXPECT_EQ(manager->GetLibrary(100), first);
    EXPECT_EQ(manager->GetLibrary(5), &other);
    EXPECT_EQ(manager->GetLibrary(6), nullptr);
}

TEST(BrissenManager, GroupLoadingRegistersTheLibrariesOfItsModules) {
    ModuleDirectory directory(true);
    auto module = CBrissenModule::Load(directory.path());
    ASSERT_NE(module, nullptr);
    IBrissenMgr* manager = module->GetManager();
    EXPECT_EQ(manager->LoadLibraryGroup(0, "Unknown"), -1);
    EXPECT_EQ(manager->LoadLibraryGroup(0, "Brissen"), 1);  // the missing module is skipped
    IDVRLibrary* library = manager->GetLibrary(7);
    ASSERT_NE(library, nullptr);
    EXPECT_STREQ(library->GetName(), "TestLibrary");
    EXPECT_NE(CreateDVRObject<IDVRObject>("ModuleObject", manager), nullptr);
}

TEST(ClassRegistry, CreatesByNameAndCastsToTheWantedType) {
    EXPECT_NE(CreateDVRObject<Circle>("Circle", nullptr), nullptr);
    EXPECT_NE(CreateDVRObject<Shape>("Circle", nullptr), nullptr);
    EXPECT_EQ(CreateDVRObject<Shape>("Unrelated", nullptr), nullptr);  // found, other type
    EXPECT_EQ(CreateDVRObject<Shape>("Square", nullptr), nullptr);
    auto first = CreateDVRObject<Circle>("Circle", nullptr);
    auto second = CreateDVRObject<Circle>("Circle", nullptr);
    EXPECT_NE(first.get(), second.get());  // a new instance each time
}

TEST(ClassRegistry, SecondNameAndSharedInstance) {
    CDVRLibrary& library = DVRApplicationLibrary();
    EXPECT_STREQ(library.GetName(), "ZETLIBAPP");
    EXPECT_EQ(library.GetNumber(), 100);
    IDVRClassObject* circle = library.FindClassObject("Circle", "0");
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(library.FindClassObject("Circle", "1"), nullptr);
    EXPECT_EQ(circle->GetSharedInstance(), circle->GetSharedInstance());
    EXPECT_FALSE(library.RegisterClassObject(std::make_unique<TDVRClassObject<Circle>>("Circle"), "0"));
    EXPECT_TRUE(library.RegisterClassObject(std::make_unique<TDVRClassObject<Circle>>("Circle"), "1"));
}

}  // namespace

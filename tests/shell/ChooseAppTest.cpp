#include "shell/ChooseApp.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace plenwick::test {
namespace {

TEST(AppChooser, OpensInTheApplicationsFolderElseAtHome) {
    TempFolder root;
    const std::string applications = root / "Applications", home = root / "home";
    std::filesystem::create_directory(home);
    EXPECT_EQ(appChooserStartFolder(applications, home), home) << "no applications folder: home, not the working folder";
    writeFile(applications, "not a folder");
    EXPECT_EQ(appChooserStartFolder(applications, home), home);
    std::filesystem::remove(applications);
    std::filesystem::create_directory(applications);
    EXPECT_EQ(appChooserStartFolder(applications, home), applications);
}

} // namespace
} // namespace plenwick::test

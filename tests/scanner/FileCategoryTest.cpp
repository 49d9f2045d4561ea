#include "scanner/FileCategory.h"
#include "scanner/TypeFilter.h"

#include <gtest/gtest.h>

#include <map>
#include <unordered_set>

using namespace plenwick;
using Kind = FileNode::Kind;

namespace {
FileCategory categoryOfNode(std::string_view name, Kind kind) {
    return FileNode::make(name, kind, 0, 0, 0, 0)->category();
}
} // namespace

TEST(FileCategory, TableHoldsEveryExtensionOnce) {
    const auto& map = fileCategoryExtensionMap();
    EXPECT_EQ(map.size(), 237u);
    std::map<FileCategory, int> perCategory;
    for (const auto& [ext, category] : map) ++perCategory[category];
    const std::map<FileCategory, int> expected{
        {FileCategory::applications, 10}, {FileCategory::documents, 32}, {FileCategory::images, 31},
        {FileCategory::video, 17},        {FileCategory::audio, 17},     {FileCategory::archives, 21},
        {FileCategory::diskImages, 15},   {FileCategory::code, 47},      {FileCategory::developer, 29},
        {FileCategory::system, 18}};
    EXPECT_EQ(perCategory, expected);
    EXPECT_EQ(categoryForExtension("sqlite-wal"), FileCategory::system);
    EXPECT_EQ(categoryForExtension("PDF"), std::nullopt); // keys are lowercase
}

TEST(FileCategory, RawValuesRoundTrip) {
    for (FileCategory c : allFileCategories) EXPECT_EQ(fileCategoryFromRawValue(rawValue(c)), c);
    EXPECT_EQ(rawValue(FileCategory::diskImages), "diskImages");
    EXPECT_EQ(fileCategoryFromRawValue("DiskImages"), std::nullopt);
    EXPECT_EQ(fileCategoryFromRawValue(""), std::nullopt);
}

TEST(FileCategory, CategoryOfEachKindOfNode) {
    // Packages: app-like extensions are applications, known ones take the table's
    // category, unknown ones count as folders.
    EXPECT_EQ(categoryOfNode("Mail.app", Kind::package), FileCategory::applications);
    EXPECT_EQ(categoryOfNode("Screen.saver", Kind::package), FileCategory::applications);
    EXPECT_EQ(categoryOfNode("Talk.key", Kind::package), FileCategory::documents);
    EXPECT_EQ(categoryOfNode("VM.sparsebundle", Kind::package), FileCategory::diskImages);
    EXPECT_EQ(categoryOfNode("Photos.photoslibrary", Kind::package), FileCategory::folder);
    // Folders are folders whatever their name.
    EXPECT_EQ(categoryOfNode("album.jpg", Kind::directory), FileCategory::folder);
    // Everything else by extension, other when unknown or without one.
    EXPECT_EQ(categoryOfNode("Photo.JPG", Kind::file), FileCategory::images);
    EXPECT_EQ(categoryOfNode("Mail.app", Kind::file), FileCategory::applications);
    EXPECT_EQ(categoryOfNode("libz.so", Kind::symlink), FileCategory::developer);
    EXPECT_EQ(categoryOfNode("backup.tmp", Kind::inaccessible), FileCategory::system);
    EXPECT_EQ(categoryOfNode("Makefile", Kind::file), FileCategory::other);
    EXPECT_EQ(categoryOfNode(".DS_Store", Kind::file), FileCategory::other);
    EXPECT_EQ(categoryOfNode("data.unknownext", Kind::file), FileCategory::other);
}

TEST(TypeFilter, EqualityAndHashingTakeCaseAndPayload) {
    const auto images = TypeFilter::category(FileCategory::images);
    const auto jpg = TypeFilter::fileExtension("jpg");
    EXPECT_EQ(images, TypeFilter::category(FileCategory::images));
    EXPECT_NE(images, TypeFilter::category(FileCategory::video));
    EXPECT_NE(jpg, TypeFilter::fileExtension("jpeg"));
    EXPECT_NE(TypeFilter::fileExtension("other"), TypeFilter::category(FileCategory::other));
    ASSERT_TRUE(images.asCategory());
    EXPECT_EQ(*images.asCategory(), FileCategory::images);
    EXPECT_FALSE(images.asFileExtension());
    EXPECT_EQ(*jpg.asFileExtension(), "jpg");

    const std::unordered_set<TypeFilter> set{images, jpg, TypeFilter::fileExtension("jpg")};
    EXPECT_EQ(set.size(), 2u);
}

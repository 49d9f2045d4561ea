#include "app/StateFixture.h"

#include "app/CategoryColors.h"
#include "results/FileTypesModel.h"

namespace plenwick::test {
namespace {

FileTypeStat stat(std::string ext, FileCategory category, std::int64_t size, std::int64_t count, RGB rgb = {0.1, 0.2, 0.3}) {
    return FileTypeStat{std::move(ext), category, size, count, rgb};
}

std::vector<QString> rowIds(const std::vector<FileTypesRow>& rows) {
    std::vector<QString> ids;
    for (const FileTypesRow& r : rows) ids.push_back(r.id);
    return ids;
}

const std::vector<FileTypeStat> sample{
    stat("mov", FileCategory::video, 600, 2),  stat("png", FileCategory::images, 200, 5),
    stat("jpg", FileCategory::images, 100, 1), stat("", FileCategory::other, 60, 3),
    stat("txt", FileCategory::documents, 40, 1),
};

TEST(FileTypesRows, KindRowsSumEachCategoryLargestFirst) {
    const std::vector<FileTypesRow> rows = fileTypesKindRows(sample);
    EXPECT_EQ(rowIds(rows), (std::vector<QString>{"kind:video", "kind:images", "kind:other", "kind:documents"}));
    const FileTypesRow& images = rows[1];
    EXPECT_EQ(images.title, "Images");
    EXPECT_EQ(images.subtitle, "2 types");
    EXPECT_EQ(images.symbolName, "photo");
    EXPECT_EQ(images.size, 300);
    EXPECT_EQ(images.count, 6);
    EXPECT_DOUBLE_EQ(images.fraction, 0.3);
    EXPECT_EQ(images.rgb, categoryColor(FileCategory::images));
    EXPECT_EQ(images.filter, TypeFilter::category(FileCategory::images));
    EXPECT_EQ(rows[0].subtitle, "1 type");
}

TEST(FileTypesRows, EqualKindTotalsFollowTheCategoryOrder) {
    const std::vector<FileTypeStat> tied{stat("zip", FileCategory::archives, 10, 1), stat("app", FileCategory::applications, 10, 1),
                                         stat("mp3", FileCategory::audio, 10, 1)};
    EXPECT_EQ(rowIds(fileTypesKindRows(tied)), (std::vector<QString>{"kind:applications", "kind:audio", "kind:archives"}));
}

TEST(FileTypesRows, ExtensionRowsKeepTheStatisticsOrderAndTakeKnownColours) {
    const ExtensionColors colors{{"png", RGB{1, 0, 0}}};
    const std::vector<FileTypesRow> rows = fileTypesExtensionRows(sample, colors);
    EXPECT_EQ(rowIds(rows), (std::vector<QString>{"ext:mov", "ext:png", "ext:jpg", "ext:", "ext:txt"}));
    EXPECT_EQ(rows[1].title, ".png");
    EXPECT_EQ(rows[1].subtitle, "Images");
    EXPECT_EQ(rows[1].rgb, (RGB{1, 0, 0}));
    EXPECT_EQ(rows[0].rgb, (RGB{0.1, 0.2, 0.3})) << "the statistic's own colour";
    EXPECT_EQ(rows[3].title, "No extension");
    EXPECT_EQ(rows[3].filter, TypeFilter::fileExtension(""));
    EXPECT_DOUBLE_EQ(rows[0].fraction, 0.6);
}

TEST(FileTypesRows, NothingToShareGivesEveryRowNoShare) {
    const std::vector<FileTypeStat> empty{stat("a", FileCategory::other, 0, 1), stat("b", FileCategory::other, 0, 2)};
    for (const FileTypesRow& r : fileTypesExtensionRows(empty, {})) EXPECT_EQ(r.fraction, 0);
    for (const FileTypesRow& r : fileTypesKindRows(empty)) EXPECT_EQ(r.fraction, 0);
    EXPECT_TRUE(fileTypesKindRows({}).empty());
}

TEST(FileTypesTexts, SummaryAndShareLinesCountFiles) {
    EXPECT_EQ(fileTypesSummaryText(sample), "1 KB · 12 files");
    EXPECT_EQ(fileTypesSummaryText({stat("a", FileCategory::other, 10, 1)}), "10 bytes · 1 file");
    EXPECT_EQ(fileTypesShareText(1, 0.05), "1 file · 5.0%");
    EXPECT_EQ(fileTypesShareText(1234, 0.4), "1,234 files · 40%");
    EXPECT_EQ(fileTypesRowHelp(".png", false), "Click to highlight .png in the chart");
    EXPECT_EQ(fileTypesRowHelp(".png", true), "Click to stop highlighting .png in the chart");
    std::vector<FileTypeStat> many;
    for (int i = 0; i < 1200; ++i) many.push_back(stat("e" + std::to_string(i), FileCategory::code, 1, 1));
    EXPECT_EQ(fileTypesKindRows(many)[0].subtitle, "1,200 types");
}

TEST(FileTypesHighlight, AnExtensionFilterKeepsItsKindRowBright) {
    const std::vector<FileTypesRow> kinds = fileTypesKindRows(sample);
    const std::vector<FileTypesRow> exts = fileTypesExtensionRows(sample, {});
    const std::optional<TypeFilter> png = TypeFilter::fileExtension("png");
    const std::optional<FileCategory> category = fileTypesFilterCategory(png, sample);
    EXPECT_EQ(category, FileCategory::images);
    EXPECT_FALSE(fileTypesRowDimmed(kinds[1], png, category)) << "images";
    EXPECT_TRUE(fileTypesRowDimmed(kinds[0], png, category)) << "video";
    EXPECT_FALSE(fileTypesRowDimmed(exts[1], png, category));
    EXPECT_TRUE(fileTypesRowDimmed(exts[2], png, category)) << "jpg is another extension";

    const std::optional<TypeFilter> images = TypeFilter::category(FileCategory::images);
    EXPECT_FALSE(fileTypesFilterCategory(images, sample));
    EXPECT_FALSE(fileTypesRowDimmed(exts[2], images, std::nullopt)) << "jpg is an image";
    EXPECT_TRUE(fileTypesRowDimmed(exts[0], images, std::nullopt));
    EXPECT_FALSE(fileTypesRowDimmed(exts[0], std::nullopt, std::nullopt)) << "no filter dims nothing";

    // An extension the scan does not hold takes the table's category, else other.
    EXPECT_EQ(fileTypesFilterCategory(TypeFilter::fileExtension("gif"), sample), FileCategory::images);
    EXPECT_EQ(fileTypesFilterCategory(TypeFilter::fileExtension("xyzq"), sample), FileCategory::other);
}

TEST(FileTypesHighlight, TheBarNamesTheFilterInItsColour) {
    EXPECT_EQ(fileTypesHighlight(TypeFilter::category(FileCategory::code), {}),
              (FileTypesHighlight{"Source Code", categoryColor(FileCategory::code)}));
    EXPECT_EQ(fileTypesHighlight(TypeFilter::fileExtension("png"), {{"png", RGB{0, 1, 0}}}),
              (FileTypesHighlight{".png", RGB{0, 1, 0}}));
    EXPECT_EQ(fileTypesHighlight(TypeFilter::fileExtension(""), {}), (FileTypesHighlight{"No extension", defaultNodeColor}));
}

TEST(FileTypesFolderCache, KeepsEightFoldersOfTheCurrentVersion) {
    FileTypesFolderCache cache;
    std::vector<NodeRef> folders;
    for (int i = 0; i < 9; ++i) folders.push_back(folder("f" + std::to_string(i), {}));
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(cache.store({stat(std::to_string(i), FileCategory::other, i, 1)}, folders[i], 1));
    EXPECT_EQ(cache.count(), 8u);
    ASSERT_NE(cache.stats(folders[3].get(), 1), nullptr);
    EXPECT_EQ(cache.stats(folders[3].get(), 2), nullptr) << "another version";
    cache.store({}, folders[8], 1);
    EXPECT_EQ(cache.count(), 8u) << "a ninth evicts one";
    EXPECT_NE(cache.stats(folders[8].get(), 1), nullptr);
    EXPECT_FALSE(cache.store({}, folders[8], 1)) << "the same list shown again changes nothing";
    EXPECT_TRUE(cache.lastShown());

    cache.store({stat("x", FileCategory::other, 1, 1)}, folders[0], 2);
    EXPECT_EQ(cache.count(), 1u) << "older versions are dropped";
    EXPECT_EQ(cache.stats(folders[8].get(), 1), nullptr);
    cache.dropOlderThan(3);
    EXPECT_EQ(cache.count(), 0u);
    EXPECT_EQ(folders[0]->refCount(), 1u) << "the cache let go of its folders";
}

} // namespace
} // namespace plenwick::test

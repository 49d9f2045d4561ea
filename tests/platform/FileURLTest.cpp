#include "platform/FileURL.h"

#include <gtest/gtest.h>

namespace plenwick {
namespace {

TEST(FileURL, RawPathsSurviveTheRoundTrip) {
    for (const std::string& path : {std::string("/tmp/plain"), std::string("/tmp/with space/#hash?q"),
                                   std::string("/tmp/caf\xc3\xa9"), std::string("/")}) {
        const QUrl url = fileURL(path);
        EXPECT_TRUE(url.isLocalFile()) << path;
        EXPECT_EQ(pathFromFileURL(url), path) << url.toString().toStdString();
    }
}

TEST(FileURL, OnlyLocalFilesArePaths) {
    EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("https://example.org/home"))), std::nullopt);
    EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("smb://server/home"))), std::nullopt);
    EXPECT_EQ(pathFromFileURL(QUrl()), std::nullopt);
    EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("file:///home"))), std::string("/home"));
}

} // namespace
} // namespace plenwick

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

TEST(FileURL, NamesThatAreNotUtf8KeepTheirBytes) {
    const std::string odd = "/tmp/caf\xE9 folder/\xFF\xFEname";
    const QUrl url = fileURL(odd);
    EXPECT_EQ(pathFromFileURL(url), odd) << url.toString(QUrl::FullyEncoded).toStdString();
    // And the same through the text other programs are given and give back.
    const QString text = url.toString(QUrl::FullyEncoded);
    EXPECT_EQ(text, QStringLiteral("file:///tmp/caf%E9%20folder/%FF%FEname"));
    EXPECT_EQ(pathFromFileURL(QUrl(text)), odd);
    EXPECT_EQ(pathFromFileURL(QUrl::fromLocalFile(QStringLiteral("/tmp/caf\u00E9"))), std::string("/tmp/caf\xc3\xa9"));
}

TEST(FileURL, OnlyLocalFilesArePaths) {
    EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("https://example.org/home"))), std::nullopt);
    EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("smb://server/home"))), std::nullopt);
    EXPECT_EQ(pathFromFileURL(QUrl()), std::nullopt);
    EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("file:///home"))), std::string("/home"));
}

} // namespace
} // namespace plenwick

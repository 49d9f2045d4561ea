#include "platform/FileURL.h"

#include <gtest/gtest.h>

#include <QSysInfo>

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

TEST(FileURL, AnotherHostsFileIsNoPathHere) {
    for (const char* text : {"file://otherhost/etc/passwd", "file://127.0.0.1/etc/passwd",
                             "file://localhost.example.org/etc/passwd", "file://user@otherhost/etc/passwd"}) {
        EXPECT_EQ(pathFromFileURL(QUrl(QString::fromLatin1(text))), std::nullopt) << text;
        EXPECT_EQ(pathFromFileURL(QUrl::fromEncoded(text)), std::nullopt) << text;
    }
    EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("file://localhost/etc/passwd"))), std::string("/etc/passwd"));
    EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("file://LocalHost/etc/passwd"))), std::string("/etc/passwd"));
    EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("file:/etc/passwd"))), std::string("/etc/passwd"));
    const QString own = QSysInfo::machineHostName();
    if (!own.isEmpty()) {
        EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("file://") + own.toUpper() + QStringLiteral("/etc/passwd"))),
                  std::string("/etc/passwd"));
    }
}

TEST(FileURL, ANulByteMakesNoPath) {
    // Cut at the NUL it would name another file.
    for (const char* text : {"file:///tmp/a%00b", "file:///tmp/a%00", "file:///%00/etc/passwd"}) {
        EXPECT_EQ(pathFromFileURL(QUrl(QString::fromLatin1(text))), std::nullopt) << text;
        EXPECT_EQ(pathFromFileURL(QUrl::fromEncoded(text)), std::nullopt) << text;
    }
    EXPECT_EQ(pathFromFileURL(fileURL(std::string("/tmp/a\0b", 8))), std::nullopt);
    EXPECT_EQ(pathFromFileURL(QUrl(QStringLiteral("file:///tmp/a%2500b"))), std::string("/tmp/a%00b"));
}

} // namespace
} // namespace plenwick

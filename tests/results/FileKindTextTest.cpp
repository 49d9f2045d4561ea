#include "app/StateFixture.h"
#include "common/TestSupport.h"

#include "results/FileKindText.h"

#include <QElapsedTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace plenwick::test {
namespace {

TEST(FileKindText, TheImmediateTextComesFromTheKindAndTheExtension) {
    EXPECT_EQ(fileKindText(*file("README", 1)), "Document");
    EXPECT_EQ(fileKindText(*file("notes.xyzq", 1)), "XYZQ file");
    const QString pdf = fileKindText(*file("paper.PDF", 1));
    EXPECT_TRUE(pdf.contains("PDF")) << pdf.toStdString();
    EXPECT_TRUE(pdf.front().isUpper());
    EXPECT_EQ(fileKindText(*folder("photos.zip", {})), "Folder") << "a folder's extension is not consulted";
    EXPECT_EQ(fileKindText(*node("Thing.xyzq", FileNode::Kind::package, 1)), "Package");
    EXPECT_EQ(fileKindText(*node("Thing", FileNode::Kind::package, 1)), "Package");
    EXPECT_EQ(fileKindText(*node("Locked", FileNode::Kind::inaccessible, 0)), "Unreadable folder");
    EXPECT_EQ(fileKindText(*node("song.mp3", FileNode::Kind::symlink, 0)), "Symbolic link");
}

TEST(FileKindText, DescriptionsStartWithACapital) {
    const std::optional<QString> gz = typeDescriptionForExtension("gz");
    ASSERT_TRUE(gz);
    EXPECT_TRUE(gz->front().isUpper()) << gz->toStdString();
    EXPECT_FALSE(typeDescriptionForExtension("xyzq"));
    EXPECT_FALSE(typeDescriptionForExtension(""));
}

TEST(FileKindText, TheLookupNamesWhatLstatSeesWithoutOpeningIt) {
    TempFolder dir;
    const std::string fifo = dir.path() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string sock = dir.path() + "/sock";
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", sock.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string link = dir.path() + "/link.txt";
    ASSERT_EQ(symlink(fifo.c_str(), link.c_str()), 0);
    std::ofstream(dir.path() + "/notes.txt") << "x";
    std::ofstream(dir.path() + "/blob.xyzq") << "x";
    std::filesystem::create_directory(dir.path() + "/Folder.xyzq");

    QElapsedTimer timer;
    timer.start();
    // A pipe with no writer would block whoever opened it for reading.
    const std::optional<QString> pipe = lookUpKindDescription(fifo, FileNode::Kind::file);
    const std::optional<QString> socketKind = lookUpKindDescription(sock, FileNode::Kind::file);
    const std::optional<QString> device = lookUpKindDescription("/dev/null", FileNode::Kind::file);
    EXPECT_LT(timer.elapsed(), 2000);
    ::close(fd);
    ASSERT_TRUE(pipe && socketKind && device);
    EXPECT_NE(*pipe, *socketKind);
    EXPECT_NE(*device, *pipe);
    EXPECT_TRUE(pipe->front().isUpper());

    EXPECT_EQ(lookUpKindDescription(link, FileNode::Kind::symlink),
              kindDescriptionForMode(S_IFLNK, FileNode::Kind::symlink, "link.txt"))
        << "the link, not its target";
    EXPECT_EQ(lookUpKindDescription(dir.path() + "/notes.txt", FileNode::Kind::file), typeDescriptionForExtension("txt"));
    EXPECT_FALSE(lookUpKindDescription(dir.path() + "/blob.xyzq", FileNode::Kind::file)) << "the immediate text stays";
    EXPECT_FALSE(lookUpKindDescription(dir.path() + "/Folder.xyzq", FileNode::Kind::package)) << "still a package";
    EXPECT_EQ(lookUpKindDescription(dir.path() + "/Folder.xyzq", FileNode::Kind::directory), "Folder");
    EXPECT_FALSE(lookUpKindDescription(dir.path() + "/gone", FileNode::Kind::file));
    EXPECT_FALSE(lookUpKindDescription(dir.path(), FileNode::Kind::inaccessible)) << "never looked up";
}

} // namespace
} // namespace plenwick::test

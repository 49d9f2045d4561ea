#include "services/AppImage.h"

#include "common/AppImageFixture.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

const std::string entry = "[Desktop Entry]\nType=Application\nName=Foo\nExec=foo %U\nIcon=foo\n";

long maxResidentKB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Reads the file as the app readers do and checks it gives nothing within a bound
// of time and memory, whatever it holds.
void expectRefusedCheaply(const std::string& path) {
    const long before = maxResidentKB();
    const auto start = std::chrono::steady_clock::now();
    const auto contents = readAppImage(path);
    const auto icon = readAppImageIcon(path, "foo");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(contents) << path;
    EXPECT_FALSE(icon) << path;
    EXPECT_LT(elapsed, std::chrono::seconds(2)) << path;
    EXPECT_LT(maxResidentKB() - before, 64 * 1024) << path;
}

} // namespace

TEST(AppImageTest, TheImageStartsWhereTheSectionHeaderTableEnds) {
    const std::string stub = appImageStub();
    EXPECT_TRUE(hasAppImageMagic(stub));
    EXPECT_EQ(appImageSquashfsOffset(stub), 256u);

    // 32-bit, big-endian: e_shoff 0x1000, 5 entries of 40 bytes.
    std::string elf32(64, '\0');
    const unsigned char ident[] = {0x7f, 'E', 'L', 'F', 1, 2, 1, 0, 'A', 'I', 2};
    std::memcpy(elf32.data(), ident, sizeof ident);
    elf32[34] = 0x10;   // e_shoff = 0x00001000
    elf32[47] = 40;     // e_shentsize
    elf32[49] = 5;      // e_shnum
    EXPECT_EQ(appImageSquashfsOffset(elf32), 0x1000u + 200u);

    std::string type1 = stub;
    type1[10] = 1;
    EXPECT_FALSE(hasAppImageMagic(type1));
    EXPECT_FALSE(appImageSquashfsOffset(stub.substr(0, 40)));
    std::string overflow = stub;
    for (int i = 40; i < 48; ++i) overflow[i] = '\xff';
    EXPECT_FALSE(appImageSquashfsOffset(overflow));
}

TEST(AppImageTest, ReadsTheFirstApplicationEntryAtTheTopAndTheIconThroughLinks) {
    TempFolder dir;
    const std::string png = "\x89PNG\r\n\x1a\nicon";
    writeFile(dir / "Foo.AppImage",
              appImage({ImageNode::file("org.example.Foo.desktop", entry), ImageNode::file("AppRun", "#!/bin/sh\n"),
                        ImageNode::link(".DirIcon", "usr/share/icons/../icons/foo.png"),
                        ImageNode::folder("usr", {ImageNode::folder("share", {ImageNode::folder("icons", {ImageNode::file("foo.png", png)})})}),
                        ImageNode::link("extra.desktop", "/usr/other.desktop"),
                        ImageNode::folder("usr2", {})}));
    const auto contents = readAppImage(dir / "Foo.AppImage");
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->fileName, "org.example.Foo.desktop");
    EXPECT_EQ(contents->entry, parseDesktopEntry(entry));
    EXPECT_EQ(readAppImageIcon(dir / "Foo.AppImage", "foo"), png);

    // Entries that are no application's, a link to a missing one and one too large
    // to be an app's come before it in the image's order: passed over.
    const std::string other = "[Desktop Entry]\nType=Application\nName=Other\nExec=other\n";
    writeFile(dir / "Later.AppImage",
              appImage({ImageNode::file("a.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=x\n"),
                        ImageNode::link("b.desktop", "missing.desktop"), ImageNode::file("c.desktop", ""),
                        ImageNode::file("d.desktop", entry + std::string(maxAppEntrySize, '#')),
                        ImageNode::file("e.desktop", entry), ImageNode::file("f.desktop", other)}));
    ASSERT_TRUE(readAppImage(dir / "Later.AppImage"));
    EXPECT_EQ(readAppImage(dir / "Later.AppImage")->fileName, "e.desktop");
    // Only so many names are looked at for it.
    std::vector<ImageNode> crowded;
    for (std::size_t i = 0; i < maxAppImageEntriesTried; ++i) crowded.push_back(ImageNode::file("a" + std::to_string(i) + ".desktop", ""));
    crowded.push_back(ImageNode::file("z.desktop", entry));
    writeFile(dir / "Crowded.AppImage", appImage(crowded));
    EXPECT_FALSE(readAppImage(dir / "Crowded.AppImage"));

    // Without .DirIcon the entry's Icon names the file at the top.
    writeFile(dir / "Bar.AppImage", appImage({ImageNode::file("bar.desktop", entry), ImageNode::file("foo.svg", "<svg/>")}));
    EXPECT_EQ(readAppImageIcon(dir / "Bar.AppImage", "foo"), "<svg/>");
    EXPECT_FALSE(readAppImageIcon(dir / "Bar.AppImage", "../foo"));

    // A big file spans several blocks.
    const std::string big(3 * SquashfsWriter::blockSize + 17, 'x');
    writeFile(dir / "Big.AppImage", appImage({ImageNode::file("big.desktop", entry), ImageNode::file(".DirIcon", big)}));
    EXPECT_EQ(readAppImageIcon(dir / "Big.AppImage", "foo"), big);
}

TEST(AppImageTest, WhatIsNoReadableAppImageGivesNothingAndCostsLittle) {
    TempFolder dir;
    const std::string good = appImage({ImageNode::file("foo.desktop", entry)});

    auto patched = [](std::string bytes, std::size_t at, std::uint64_t value, std::size_t size) {
        std::string field;
        for (std::size_t i = 0; i < size; ++i) field.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
        return bytes.replace(256 + at, size, field);
    };
    std::uint64_t used = 0;
    for (int i = 7; i >= 0; --i) used = (used << 8) | static_cast<unsigned char>(good[256 + 40 + i]);
    // Cut short inside the tables, also with a super block that agrees.
    writeFile(dir / "truncated.AppImage", good.substr(0, 256 + used - 8));
    writeFile(dir / "shortened.AppImage", patched(good, 40, used - 40, 8).substr(0, 256 + used - 40));
    writeFile(dir / "headeronly.AppImage", good.substr(0, 300));
    writeFile(dir / "plain.AppImage", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\0", 11) + good.substr(11));
    for (const char* name : {"truncated.AppImage", "shortened.AppImage", "headeronly.AppImage", "plain.AppImage"})
        expectRefusedCheaply(dir / name);

    // Super blocks that lie about where the tables are, how many fragments there
    // are and how much the image holds.
    auto lie = [&](std::size_t at, std::uint64_t value, std::size_t size) { return patched(good, at, value, size); };
    const std::vector<std::pair<std::string, std::string>> lies{
        {"fragments", lie(16, 0xFFFFFFF0u, 4)},  {"bytesused", lie(40, 1ull << 40, 8)},
        {"inodetable", lie(64, 1ull << 40, 8)},   {"dirtable", lie(72, 0, 8)},
        {"rootref", lie(32, 0xFFFFull << 16, 8)}, {"rootoffset", lie(32, 9000, 8)},
        {"blocksize", lie(12, 3, 4)},             {"compressor", lie(20, 99, 2)},
    };
    for (const auto& [name, bytes] : lies) {
        writeFile(dir / name, bytes);
        expectRefusedCheaply(dir / name);
    }

    // Files that lie about their size, or are too large to be an entry or an icon,
    // are never read: the first would make the library allocate terabytes.
    writeFile(dir / "liar.AppImage", appImage({[] {
                  ImageNode node = ImageNode::file("foo.desktop", entry);
                  node.claimedSize = 1ull << 60;
                  return node;
              }(),
              [] {
                  ImageNode node = ImageNode::file(".DirIcon", "x");
                  node.claimedSize = 3ull << 30;
                  return node;
              }()}));
    expectRefusedCheaply(dir / "liar.AppImage");
    writeFile(dir / "huge.AppImage", appImage({ImageNode::file("foo.desktop", std::string(2 * 1024 * 1024, '#')),
                                               ImageNode::file(".DirIcon", std::string(5 * 1024 * 1024, 'x'))}));
    expectRefusedCheaply(dir / "huge.AppImage");

    // Link loops and a folder that holds itself.
    std::string target;
    for (int i = 0; i < 300; ++i) target += "loop/";
    writeFile(dir / "loops.AppImage", appImage({ImageNode::link("a.desktop", "b.desktop"), ImageNode::link("b.desktop", "a.desktop"),
                                                ImageNode::link(".DirIcon", target + "foo.png"), ImageNode::loop("loop"),
                                                ImageNode::link("foo.png", "/foo.png")}));
    expectRefusedCheaply(dir / "loops.AppImage");

    // A top folder longer than any app's.
    std::vector<ImageNode> many;
    for (int i = 0; i < 5000; ++i) many.push_back(ImageNode::file("f" + std::to_string(100000 + i), ""));
    many.push_back(ImageNode::file("zz.desktop", entry));
    writeFile(dir / "wide.AppImage", appImage(many));
    expectRefusedCheaply(dir / "wide.AppImage");

    // What is no regular file is never opened for reading.
    ASSERT_EQ(mkfifo((dir / "fifo.AppImage").c_str(), 0600), 0);
    expectRefusedCheaply(dir / "fifo.AppImage");
    writeFile(dir / "good.AppImage", good);
    ASSERT_TRUE(readAppImage(dir / "good.AppImage"));
    ASSERT_EQ(symlink((dir / "good.AppImage").c_str(), (dir / "link.AppImage").c_str()), 0);
    expectRefusedCheaply(dir / "link.AppImage");
    EXPECT_FALSE(isAppImageFile(dir / "link.AppImage"));
    EXPECT_TRUE(isAppImageFile(dir / "good.AppImage"));
}

TEST(AppImageTest, AStopRequestEndsTheRead) {
    TempFolder dir;
    writeFile(dir / "Foo.AppImage", appImage({ImageNode::file("foo.desktop", entry)}));
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(readAppImage(dir / "Foo.AppImage", stop.get_token()));
}

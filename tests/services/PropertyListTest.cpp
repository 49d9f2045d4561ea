#include "services/AppBundleInfo.h"
#include "services/LaunchJob.h"
#include "services/PlistBounds.h"
#include "services/PropertyList.h"

#include "common/PlistFixtures.h"
#include "common/ResourceLimits.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <filesystem>

using namespace plenwick;
using namespace plenwick::test;

namespace {

void appendBigEndian(std::string& out, std::uint64_t value, int size) {
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// One object of a binary list: a marker with its count, the count given as a
// following integer when it doesn't fit the marker.
std::string binaryObject(unsigned type, std::uint64_t count) {
    std::string out;
    if (count < 15) {
        out += static_cast<char>(type << 4 | count);
    } else {
        out += static_cast<char>(type << 4 | 0xF);
        out += static_cast<char>(0x13);
        appendBigEndian(out, count, 8);
    }
    return out;
}

std::string binaryArray(const std::vector<std::uint64_t>& refs, int refSize) {
    std::string out = binaryObject(0xA, refs.size());
    for (std::uint64_t ref : refs) appendBigEndian(out, ref, refSize);
    return out;
}

std::string binaryString(const std::string& text) {
    return binaryObject(0x5, text.size()) + text;
}

// A binary list of `objects`, the first one the root.
std::string binaryList(const std::vector<std::string>& objects, int refSize, int offsetSize = 4) {
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const std::string& object : objects) {
        offsets.push_back(out.size());
        out += object;
    }
    const std::uint64_t table = out.size();
    for (std::uint64_t offset : offsets) appendBigEndian(out, offset, offsetSize);
    out += std::string(6, '\0');
    out += static_cast<char>(offsetSize);
    out += static_cast<char>(refSize);
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

// Twenty arrays, each holding its successor ten times, the last one a string: a few
// hundred bytes that a reader following every reference expands to 10^20 objects.
std::string referenceBomb() {
    std::vector<std::string> objects;
    for (std::uint64_t level = 0; level < 20; ++level)
        objects.push_back(binaryArray(std::vector<std::uint64_t>(10, level + 1), 1));
    objects.push_back(binaryString("x"));
    return binaryList(objects, 1);
}

// One megabyte string referenced a thousand times: few objects, but a gigabyte of text.
std::string sharedStringBomb() {
    return binaryList({binaryArray(std::vector<std::uint64_t>(1000, 1), 1), binaryString(std::string(1 << 20, 's'))}, 1);
}

// 100,000 arrays, each holding the next: about 900 KB.
std::string binaryChain() {
    constexpr std::uint64_t levels = 100'000;
    std::vector<std::string> objects;
    for (std::uint64_t level = 0; level < levels; ++level) objects.push_back(binaryArray({level + 1}, 4));
    objects.push_back(binaryString("x"));
    return binaryList(objects, 4);
}

std::string repeated(const std::string& piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

std::string xmlList(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}

// 200,000 nested arrays, about 3 MB; `openTag` may carry an attribute.
std::string nestedXml(const std::string& openTag = "<array>") {
    return xmlList(repeated(openTag, 200'000) + repeated("</array>", 200'000));
}

// 65,000 nested arrays, just inside the size cap: the nesting alone must refuse it.
std::string nestedXmlWithinSizeCap() {
    return xmlList(repeated("<array>", 65'000) + repeated("</array>", 65'000));
}

// 200,000 entities in one text, just inside the size cap.
std::string entityXmlWithinSizeCap() {
    return xmlList("<dict><key>k</key><string>" + repeated("&amp;", 200'000) + "</string></dict>");
}

// What one read may cost: a few MB and a few ms, with room for slow machines and for
// sanitizers. A reader that builds before it bounds takes seconds and gigabytes.
constexpr CostBounds plistBounds{sanitized ? 1500 : 250, 32 * 1024};

std::string withinLimits(const std::function<std::string()>& body) { return test::withinLimits(body, plistBounds); }

std::string parseWithinLimits(const std::string& bytes) {
    return withinLimits([&] { return parsePropertyList(bytes) ? std::string("read") : std::string("nothing"); });
}

// A binary list as large as the budgets let through: a dictionary of `entries` keys,
// each holding an array of two strings of its own.
std::string largestBinaryList(std::size_t entries) {
    std::vector<std::string> objects(1);
    std::vector<std::uint64_t> keys, values;
    for (std::size_t i = 0; i < entries; ++i) {
        keys.push_back(objects.size());
        objects.push_back(binaryString("key" + std::to_string(i)));
        values.push_back(objects.size());
        objects.push_back(binaryArray({objects.size() + 1, objects.size() + 2}, 4));
        objects.push_back(binaryString(std::string(20, 'a') + std::to_string(i)));
        objects.push_back(binaryString(std::string(20, 'b') + std::to_string(i)));
    }
    std::string dictionary = binaryObject(0xD, entries);
    for (const std::uint64_t key : keys) appendBigEndian(dictionary, key, 4);
    for (const std::uint64_t value : values) appendBigEndian(dictionary, value, 4);
    objects[0] = dictionary;
    return binaryList(objects, 4);
}

void setString(plist_t dict, const char* key, const std::string& value) {
    plist_dict_set_item(dict, key, plist_new_string(value.c_str()));
}

plist_t stringArray(const std::vector<std::string>& values) {
    plist_t array = plist_new_array();
    for (const std::string& v : values) plist_array_append_item(array, plist_new_string(v.c_str()));
    return array;
}

// An Info.plist as large apps ship them: hundreds of document types sharing their
// role and type names (which a binary writer stores once and refers to from each),
// values of every kind, and an extension's activation rule nested seven deep.
plist_t realShapedInfo() {
    plist_t root = plist_new_dict();
    setString(root, "CFBundleIdentifier", "com.maker.Viewer");
    setString(root, "CFBundleName", "Viewer & Co <Pro> \"2\" ’");
    plist_dict_set_item(root, "LSRequiresNativeExecution", plist_new_bool(1));
    plist_dict_set_item(root, "NSBuildNumber", plist_new_uint(4096));
    plist_dict_set_item(root, "Scale", plist_new_real(1.5));
    plist_dict_set_item(root, "Signature", plist_new_data("\0\1\2", 3));
    plist_dict_set_item(root, "Built", plist_new_date(700'000'000, 0));
    plist_t types = plist_new_array();
    for (int i = 0; i < 400; ++i) {
        plist_t type = plist_new_dict();
        setString(type, "CFBundleTypeName", "Document " + std::to_string(i));
        setString(type, "CFBundleTypeRole", "Viewer");
        setString(type, "LSHandlerRank", "Alternate");
        plist_dict_set_item(type, "LSItemContentTypes",
                            stringArray({"public.data", "public.item", "com.maker.type" + std::to_string(i)}));
        plist_dict_set_item(type, "CFBundleTypeExtensions", stringArray({"ext" + std::to_string(i)}));
        plist_array_append_item(types, type);
    }
    plist_dict_set_item(root, "CFBundleDocumentTypes", types);
    plist_t rule = plist_new_dict();
    plist_dict_set_item(rule, "Kinds", stringArray({"deep"}));
    plist_t attributes = plist_new_dict();
    plist_dict_set_item(attributes, "NSExtensionActivationRule", rule);
    plist_t extension = plist_new_dict();
    plist_dict_set_item(extension, "NSExtensionAttributes", attributes);
    plist_t extensions = plist_new_array();
    plist_array_append_item(extensions, extension);
    plist_dict_set_item(root, "NSExtensions", extensions);
    return root;
}

const PlistValue& at(const PlistValue& value, const std::string& key) {
    return value.dictionary()->at(key);
}

} // namespace

TEST(PropertyList, RealListsReadWholeInBothFormats) {
    plist_t info = realShapedInfo();
    const auto xml = parsePropertyList(PlistDict::serialise(info, PlistFormat::xml));
    const std::string binaryBytes = PlistDict::serialise(info, PlistFormat::binary);
    plist_free(info);
    const auto binary = parsePropertyList(binaryBytes);
    ASSERT_TRUE(xml);
    ASSERT_TRUE(binary);
    EXPECT_EQ(*xml, *binary);

    EXPECT_EQ(*at(*binary, "CFBundleName").string(), "Viewer & Co <Pro> \"2\" ’");
    EXPECT_EQ(*at(*binary, "NSBuildNumber").integer(), 4096);
    EXPECT_EQ(std::get<double>(at(*binary, "Scale").value), 1.5);
    EXPECT_EQ(std::get<PlistData>(at(*binary, "Signature").value).bytes, std::string("\0\1\2", 3));
    EXPECT_EQ(std::get<PlistDate>(at(*binary, "Built").value).secondsSince1970, 978'307'200.0 + 700'000'000);
    const PlistArray& types = *at(*binary, "CFBundleDocumentTypes").array();
    ASSERT_EQ(types.size(), 400U);
    EXPECT_EQ(*at(types[399], "CFBundleTypeName").string(), "Document 399") << "in order";
    EXPECT_EQ(*at(types[7], "LSItemContentTypes").array()->at(2).string(), "com.maker.type7");
    const PlistValue& rule = at(at(at(at(*binary, "NSExtensions").array()->at(0), "NSExtensionAttributes"),
                                   "NSExtensionActivationRule"),
                                "Kinds");
    EXPECT_EQ(*rule.array()->at(0).string(), "deep");

    // What XML writers put around and inside the values.
    const auto marked = parsePropertyList(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<!-- written by hand -->\n<plist version=\"1.0\">\n<dict>\n\t<key>Label</key>\n"
        "\t<string>a<!-- <array> --><![CDATA[<b>&amp;]]>&amp;&#x41;&#66;</string>\n</dict>\n</plist>\n");
    ASSERT_TRUE(marked);
    EXPECT_EQ(*at(*marked, "Label").string(), "a<b>&amp;&AB");
}

TEST(PropertyList, ExpandingOrDeepListsAreRefusedAtBoundedCost) {
    // A reader that builds before it bounds runs out of memory, stack or time on each.
    EXPECT_EQ(parseWithinLimits(referenceBomb()), "nothing");
    EXPECT_EQ(parseWithinLimits(sharedStringBomb()), "nothing");
    EXPECT_EQ(parseWithinLimits(binaryChain()), "nothing");
    EXPECT_EQ(parseWithinLimits(nestedXml()), "nothing");
    EXPECT_EQ(parseWithinLimits(nestedXmlWithinSizeCap()), "nothing");
    // A quoted "/>" doesn't make a tag empty.
    EXPECT_EQ(parseWithinLimits(xmlList(repeated("<array x=\"/>\">", 40'000) + repeated("</array>", 40'000))),
              "nothing");
    // Unescaping moves the rest of the text once per entity.
    EXPECT_EQ(parseWithinLimits(entityXmlWithinSizeCap()), "nothing");

    EXPECT_LT(referenceBomb().size(), 500U);
    EXPECT_LT(binaryChain().size(), 1'000'000U);
    EXPECT_LT(nestedXmlWithinSizeCap().size(), maxPropertyListSize);
    EXPECT_LT(entityXmlWithinSizeCap().size(), maxPropertyListSize);
}

TEST(PropertyList, TheLargestListsTheBudgetsLetThroughCostAFewMegabytesAndMilliseconds) {
    // Four objects per entry (its key, its array and the array's two strings) and the
    // dictionary: just below the object budget, and just above it.
    EXPECT_EQ(parseWithinLimits(largestBinaryList(maxPlistObjects / 4 - 1)), "read");
    EXPECT_EQ(parseWithinLimits(largestBinaryList(maxPlistObjects / 4 + 1)), "nothing");
    const std::string xml =
        xmlList(repeated("<array>", maxPlistDepth - 2) + repeated("<string>text &amp; more</string>", 19'000) +
                repeated("</array>", maxPlistDepth - 2));
    EXPECT_EQ(parseWithinLimits(xml), "read");
    EXPECT_EQ(parseWithinLimits(xmlList(repeated("<array>", maxPlistDepth) + repeated("</array>", maxPlistDepth))),
              "nothing");
}

TEST(PropertyList, ANulInsideATextReadsAsNothingRatherThanAborting) {
    // libplist asserts that a string's or key's length is that of its C string.
    const std::string nul("a\0b", 3);
    EXPECT_EQ(parseWithinLimits(binaryList({binaryString(nul)}, 1)), "nothing");
    EXPECT_EQ(parseWithinLimits(binaryList({binaryObject(0x6, 1) + std::string(2, '\0')}, 1)), "nothing");
    const std::string dictionary = binaryObject(0xD, 1) + '\1' + '\2';
    EXPECT_EQ(parseWithinLimits(binaryList({dictionary, binaryString(nul), binaryString("v")}, 1)), "nothing");
    EXPECT_EQ(parseWithinLimits(xmlList("<dict><key>k</key><string>" + nul + "</string></dict>")), "nothing");
    EXPECT_EQ(parseWithinLimits(xmlList("<dict><key>" + nul + "</key><string>v</string></dict>")), "nothing");
    ASSERT_TRUE(parsePropertyList(binaryList({dictionary, binaryString("k"), binaryString("v")}, 1)));
}

TEST(PropertyList, ReadersAboveTheParserGiveNothingForABomb) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "Evil.app/Contents");
    writeFile(dir / "Evil.app/Contents/Info.plist", referenceBomb());
    // An app whose nested bundles are bombs keeps its own identity and nothing of theirs.
    makeBundle(dir / "Host.app", {{"CFBundleIdentifier", "com.maker.host"}});
    for (const char* name : {"A", "B", "C"}) {
        const std::string contents = dir / ("Host.app/Contents/PlugIns/" + std::string(name) + ".appex/Contents");
        std::filesystem::create_directories(contents);
        writeFile(contents + "/Info.plist", xmlList("<dict><key>CFBundleIdentifier</key><string>" +
                                                    repeated("&amp;", 200'000) + "</string></dict>"));
    }
    writeFile(dir / "job.plist", nestedXmlWithinSizeCap());

    EXPECT_EQ(withinLimits([&] {
                  std::string out;
                  out += AppBundleInfo::read(dir / "Evil.app") ? "evil read;" : "";
                  out += readInfoPlist(dir / "Evil.app") ? "evil plist read;" : "";
                  const auto host = AppBundleInfo::read(dir / "Host.app");
                  out += !host ? "host unread;" : host->relatedBundleIDs.empty() ? "" : "nested read;";
                  out += LaunchJob::fromFile(dir / "job.plist") ? "job read;" : "";
                  return out;
              }),
              "");
}

TEST(PropertyList, BinaryListsAreReadOnlyWhenEveryOffsetAndCountFits) {
    const PlistArray ab{{std::string("a")}, {std::string("b")}};
    // Writers size offsets and references to what they must hold: three bytes too.
    for (const int size : {1, 2, 3, 5, 8}) {
        const auto value = parsePropertyList(
            binaryList({binaryArray({1, 2}, size), binaryString("a"), binaryString("b")}, size, size));
        ASSERT_TRUE(value && value->array()) << size;
        EXPECT_EQ(*value->array(), ab) << size;
    }

    const std::vector<std::string> objects{binaryArray({1, 2}, 1), binaryString("a"), binaryString("b")};
    const std::string good = binaryList(objects, 1);
    ASSERT_TRUE(parsePropertyList(good));

    const std::size_t trailer = good.size() - 32;
    const auto patched = [&](std::size_t at, std::uint64_t value, int size) {
        std::string bytes = good;
        std::string field;
        appendBigEndian(field, value, size);
        bytes.replace(at, static_cast<std::size_t>(size), field);
        return bytes;
    };
    const std::size_t table = 8 + objects[0].size() + objects[1].size() + objects[2].size();
    const std::vector<std::pair<const char*, std::string>> broken{
        {"table past the end", patched(trailer + 24, good.size() + 8, 8)},
        {"table inside the header", patched(trailer + 24, 2, 8)},
        {"more objects than the table holds", patched(trailer + 8, 1000, 8)},
        {"root past the objects", patched(trailer + 16, 3, 8)},
        {"offset into the table", patched(table + 4, table, 4)},
        {"offset size of nine", patched(trailer + 6, 9, 1)},
        {"reference size of zero", patched(trailer + 7, 0, 1)},
        {"reference to a missing object", patched(9, 7, 1)},
        {"array longer than the objects", patched(8, 0xAE, 1)},
        {"string longer than the objects", patched(8 + objects[0].size(), 0x5E, 1)},
        {"array holding itself", patched(9, 0, 1)},
        {"truncated", good.substr(0, good.size() - 1)},
        {"only the magic", "bplist00"},
    };
    for (const auto& [what, bytes] : broken) EXPECT_FALSE(parsePropertyList(bytes)) << what;
}

#pragma once
// Property lists and application bundles written with libplist for fixture trees.

#include "common/TestSupport.h"

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace plenwick::test {

enum class PlistFormat { xml, binary };

// A dictionary built entry by entry; `bytes` writes it in either format.
class PlistDict {
public:
    PlistDict() : dict_(plist_new_dict()) {}
    ~PlistDict() { plist_free(dict_); }
    PlistDict(const PlistDict&) = delete;
    PlistDict& operator=(const PlistDict&) = delete;

    PlistDict& string(const std::string& key, const std::string& value) {
        return set(key, plist_new_string(value.c_str()));
    }
    PlistDict& boolean(const std::string& key, bool value) { return set(key, plist_new_bool(value ? 1 : 0)); }
    PlistDict& integer(const std::string& key, std::int64_t value) {
        return set(key, plist_new_uint(static_cast<std::uint64_t>(value)));
    }
    PlistDict& real(const std::string& key, double value) { return set(key, plist_new_real(value)); }
    PlistDict& strings(const std::string& key, const std::vector<std::string>& values) {
        plist_t array = plist_new_array();
        for (const std::string& v : values) plist_array_append_item(array, plist_new_string(v.c_str()));
        return set(key, array);
    }
    // An array holding a string and an integer.
    PlistDict& mixedArray(const std::string& key, const std::string& first, std::int64_t second) {
        plist_t array = plist_new_array();
        plist_array_append_item(array, plist_new_string(first.c_str()));
        plist_array_append_item(array, plist_new_uint(static_cast<std::uint64_t>(second)));
        return set(key, array);
    }
    // A dictionary value with one Boolean entry.
    PlistDict& dictionary(const std::string& key, const std::string& innerKey, bool innerValue) {
        plist_t inner = plist_new_dict();
        plist_dict_set_item(inner, innerKey.c_str(), plist_new_bool(innerValue ? 1 : 0));
        return set(key, inner);
    }

    std::string bytes(PlistFormat format) const { return serialise(dict_, format); }
    void write(const std::string& path, PlistFormat format) const {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        writeFile(path, bytes(format));
    }

    static std::string serialise(plist_t node, PlistFormat format) {
        char* data = nullptr;
        uint32_t length = 0;
        if (format == PlistFormat::xml) plist_to_xml(node, &data, &length);
        else plist_to_bin(node, &data, &length);
        std::string out(data, length);
        std::free(data);
        return out;
    }

private:
    PlistDict& set(const std::string& key, plist_t value) {
        plist_dict_set_item(dict_, key.c_str(), value);
        return *this;
    }
    plist_t dict_;
};

// Writes <bundle>/Contents/Info.plist with string entries.
inline void makeBundle(const std::string& bundle, const std::vector<std::pair<std::string, std::string>>& entries,
                       PlistFormat format = PlistFormat::xml) {
    PlistDict dict;
    for (const auto& [key, value] : entries) dict.string(key, value);
    dict.boolean("LSUIElement", true);
    dict.write(bundle + "/Contents/Info.plist", format);
}

// An app whose nested places are made to cost: `count` links in Contents/PlugIns to
// a bundle elsewhere whose Info.plist (identifier "com.maker.big") is nearly as big
// as a property list may be, and a Contents/Helpers that is a link to a folder of
// real bundles (identifier "com.maker.elsewhere").
inline void makeBundleOfLinks(const std::string& bundle, const std::string& outside, int count) {
    makeBundle(outside + "/Big.app", {{"CFBundleIdentifier", "com.maker.big"}, {"Padding", std::string(7'000'000, 'p')}});
    makeBundle(outside + "/Elsewhere/Real.app", {{"CFBundleIdentifier", "com.maker.elsewhere"}});
    std::filesystem::create_directories(bundle + "/Contents/PlugIns");
    for (int i = 0; i < count; ++i)
        std::filesystem::create_directory_symlink(outside + "/Big.app",
                                                  bundle + "/Contents/PlugIns/Link" + std::to_string(i) + ".appex");
    std::filesystem::create_directory_symlink(outside + "/Elsewhere", bundle + "/Contents/Helpers");
}

} // namespace plenwick::test

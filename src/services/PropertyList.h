#pragma once
// Property lists (XML or binary) read into plain values.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace plenwick {

struct PlistValue;
using PlistArray = std::vector<PlistValue>;
using PlistDictionary = std::map<std::string, PlistValue>;
struct PlistData {
    std::string bytes;
    bool operator==(const PlistData&) const = default;
};
struct PlistDate {
    double secondsSince1970 = 0;
    bool operator==(const PlistDate&) const = default;
};

struct PlistValue {
    std::variant<bool, std::int64_t, double, std::string, PlistData, PlistDate, PlistArray, PlistDictionary> value;

    const std::string* string() const { return std::get_if<std::string>(&value); }
    const PlistDictionary* dictionary() const { return std::get_if<PlistDictionary>(&value); }
    const PlistArray* array() const { return std::get_if<PlistArray>(&value); }
    const bool* boolean() const { return std::get_if<bool>(&value); }
    const std::int64_t* integer() const { return std::get_if<std::int64_t>(&value); }
    bool operator==(const PlistValue&) const = default;
};

// The string under `key`, when present and a string.
const std::string* plistString(const PlistDictionary& dict, const std::string& key);

// Parses XML or binary property-list bytes; nothing for bytes that aren't a property
// list or that would cost more than the budgets in PlistBounds.h allow.
std::optional<PlistValue> parsePropertyList(const std::string& bytes);

// Largest property-list file read; a larger one is treated as unreadable. Real
// Info.plist and launch-job files stay far below; the cap keeps one read to a few MB
// and a few ms whatever the file holds.
constexpr std::size_t maxPropertyListSize = 1024 * 1024;

// Reads and parses a property-list file. Opened non-blocking and only when it is a
// regular file within the size cap, so a FIFO or a device never blocks the caller.
std::optional<PlistValue> readPropertyListFile(const std::string& path);

} // namespace plenwick

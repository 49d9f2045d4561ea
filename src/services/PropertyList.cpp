#include "services/PropertyList.h"

#include "services/PlistBounds.h"
#include "services/RegularFile.h"

#include <plist/plist.h>

#include <cstdlib>
#include <type_traits>
#include <utility>

namespace plenwick {
namespace {

struct PlistOwner {
    plist_t node = nullptr;
    ~PlistOwner() { if (node) plist_free(node); }
};

// Seconds between 1970 and the property-list epoch (2001-01-01).
constexpr double epochOffset = 978307200.0;

// The tree libplist built, copied into plain values under the same object and depth
// budgets the bytes were checked against, so that a tree the check misjudged still
// can't run away. Children are reached by iterators: indexing a parsed array walks
// its list from the start, which is quadratic over the array.
class Converter {
public:
    std::optional<PlistValue> value(plist_t node) {
        auto result = convert(node, 1);
        if (exceeded_) return std::nullopt;
        return result;
    }

private:
    std::optional<PlistValue> convert(plist_t node, std::size_t depth);

    bool spend(std::size_t depth) {
        if (depth > maxPlistDepth || objectsLeft_ == 0) exceeded_ = true;
        else --objectsLeft_;
        return !exceeded_;
    }

    std::size_t objectsLeft_ = maxPlistObjects;
    bool exceeded_ = false;
};

// The value built in place inside the optional: GCC 12 warns of a moved-from
// variant it thinks uninitialised when a temporary PlistValue is moved into it.
template <typename T>
std::optional<PlistValue> made(T&& value) {
    std::optional<PlistValue> out{std::in_place};
    out->value.emplace<std::decay_t<T>>(std::forward<T>(value));
    return out;
}

std::optional<PlistValue> Converter::convert(plist_t node, std::size_t depth) {
    if (!node || !spend(depth)) return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return PlistValue{b != 0};
    }
    case PLIST_UINT: {
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
        return PlistValue{static_cast<std::int64_t>(v)};
    }
    case PLIST_REAL: {
        double v = 0;
        plist_get_real_val(node, &v);
        return PlistValue{v};
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char* s = plist_get_string_ptr(node, &length);
        return PlistValue{std::string(s ? s : "", s ? length : 0)};
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* d = plist_get_data_ptr(node, &length);
        return PlistValue{PlistData{std::string(d ? d : "", d ? length : 0)}};
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return PlistValue{PlistDate{epochOffset + sec + usec / 1e6}};
    }
    case PLIST_ARRAY: {
        PlistArray array;
        plist_array_iter it = nullptr;
        plist_array_new_iter(node, &it);
        if (!it) return made(std::move(array));
        while (!exceeded_) {
            plist_t item = nullptr;
            plist_array_next_item(node, it, &item);
            if (!item) break;
            auto converted = convert(item, depth + 1);
            if (converted) array.push_back(std::move(*converted));
        }
        std::free(it);
        return made(std::move(array));
    }
    case PLIST_DICT: {
        PlistDictionary dict;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        if (!it) return made(std::move(dict));
        while (!exceeded_) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, it, &key, &value);
            // The key costs as much as any other object.
            if (!value || !spend(depth + 1)) {
                std::free(key);
                break;
            }
            auto converted = convert(value, depth + 1);
            if (key && converted) dict.insert_or_assign(key, std::move(*converted));
            std::free(key);
        }
        std::free(it);
        return made(std::move(dict));
    }
    default:
        return std::nullopt;
    }
}

} // namespace

const std::string* plistString(const PlistDictionary& dict, const std::string& key) {
    const auto it = dict.find(key);
    return it == dict.end() ? nullptr : it->second.string();
}

std::optional<PlistValue> parsePropertyList(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > maxPropertyListSize || !isWithinPropertyListBounds(bytes))
        return std::nullopt;
    PlistOwner root;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root.node);
    return Converter().value(root.node);
}

std::optional<PlistValue> readPropertyListFile(const std::string& path) {
    const std::optional<std::string> bytes = readRegularFile(path, maxPropertyListSize);
    if (!bytes) return std::nullopt;
    return parsePropertyList(*bytes);
}

} // namespace plenwick

#pragma once
// The highlight filter of the charts, the lists and the statistics: either a
// file category or a lowercase file extension.

#include "scanner/FileCategory.h"

#include <functional>
#include <string>
#include <utility>
#include <variant>

namespace plenwick {

class TypeFilter {
public:
    static TypeFilter category(FileCategory c) { return TypeFilter(c); }
    static TypeFilter fileExtension(std::string extension) { return TypeFilter(std::move(extension)); }

    // The payload of the case the filter is, or null.
    const FileCategory* asCategory() const noexcept { return std::get_if<FileCategory>(&value_); }
    const std::string* asFileExtension() const noexcept { return std::get_if<std::string>(&value_); }

    friend bool operator==(const TypeFilter&, const TypeFilter&) = default;

private:
    explicit TypeFilter(std::variant<FileCategory, std::string> value) : value_(std::move(value)) {}
    std::variant<FileCategory, std::string> value_;
    friend struct std::hash<TypeFilter>;
};

} // namespace plenwick

template <>
struct std::hash<plenwick::TypeFilter> {
    std::size_t operator()(const plenwick::TypeFilter& f) const noexcept {
        return std::hash<std::variant<plenwick::FileCategory, std::string>>{}(f.value_);
    }
};

#include "services/LaunchJob.h"

namespace plenwick {
namespace {

// A Boolean, or an integer 0 or 1 (what a number written for a flag means).
std::optional<bool> boolean(const PlistDictionary& dict, const char* key) {
    const auto it = dict.find(key);
    if (it == dict.end()) return std::nullopt;
    if (const bool* b = it->second.boolean()) return *b;
    if (const std::int64_t* n = it->second.integer(); n && (*n == 0 || *n == 1)) return *n == 1;
    return std::nullopt;
}

std::optional<std::vector<std::string>> stringList(const PlistValue& value) {
    const PlistArray* array = value.array();
    if (!array) return std::nullopt;
    std::vector<std::string> strings;
    strings.reserve(array->size());
    for (const PlistValue& element : *array) {
        const std::string* s = element.string();
        if (!s) return std::nullopt;
        strings.push_back(*s);
    }
    return strings;
}

} // namespace

std::optional<LaunchJob> LaunchJob::fromPropertyList(const PlistValue& value) {
    const PlistDictionary* dict = value.dictionary();
    if (!dict) return std::nullopt;
    LaunchJob job;
    if (const std::string* label = plistString(*dict, "Label")) job.label = *label;

    if (const std::string* program = plistString(*dict, "Program")) {
        job.programPath = *program;
    } else if (const auto it = dict->find("ProgramArguments"); it != dict->end()) {
        if (auto arguments = stringList(it->second); arguments && !arguments->empty()) job.programPath = arguments->front();
    }

    if (const auto it = dict->find("AssociatedBundleIdentifiers"); it != dict->end()) {
        if (const std::string* one = it->second.string()) job.associatedBundleIDs = {*one};
        else if (auto list = stringList(it->second)) job.associatedBundleIDs = std::move(*list);
    }

    job.runAtLoad = boolean(*dict, "RunAtLoad").value_or(false);
    if (const auto keepAlive = boolean(*dict, "KeepAlive")) job.keepAlive = *keepAlive;
    else if (const auto it = dict->find("KeepAlive"); it != dict->end()) job.keepAlive = it->second.dictionary() != nullptr;
    job.disabledInPlist = boolean(*dict, "Disabled").value_or(false);
    return job;
}

std::optional<LaunchJob> LaunchJob::parse(const std::string& bytes) {
    const auto value = parsePropertyList(bytes);
    return value ? fromPropertyList(*value) : std::nullopt;
}

std::optional<LaunchJob> LaunchJob::readFile(const std::string& path) {
    const auto value = readPropertyListFile(path);
    return value ? fromPropertyList(*value) : std::nullopt;
}

} // namespace plenwick

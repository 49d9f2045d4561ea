#include "services/LaunchJob.h"

namespace plenwick {

std::optional<bool> plistBoolean(const PlistValue& value) {
    if (const bool* b = value.boolean()) return *b;
    if (const std::int64_t* i = value.integer()) {
        if (*i == 0 || *i == 1) return *i == 1;
        return std::nullopt;
    }
    if (const double* d = std::get_if<double>(&value.value)) {
        if (*d == 0.0 || *d == 1.0) return *d == 1.0;
    }
    return std::nullopt;
}

namespace {

bool booleanFor(const PlistDictionary& dict, const char* key) {
    const auto it = dict.find(key);
    if (it == dict.end()) return false;
    return plistBoolean(it->second).value_or(false);
}

// The value as a list of strings, when every element is one.
std::optional<std::vector<std::string>> stringList(const PlistValue& value) {
    const PlistArray* array = value.array();
    if (!array) return std::nullopt;
    std::vector<std::string> strings;
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
        const auto arguments = stringList(it->second);
        if (arguments && !arguments->empty()) job.programPath = arguments->front();
    }

    if (const auto it = dict->find("AssociatedBundleIdentifiers"); it != dict->end()) {
        if (const std::string* one = it->second.string())
            job.associatedBundleIDs = {*one};
        else if (auto several = stringList(it->second))
            job.associatedBundleIDs = std::move(*several);
    }

    job.runAtLoad = booleanFor(*dict, "RunAtLoad");
    if (const auto it = dict->find("KeepAlive"); it != dict->end()) {
        const auto flag = plistBoolean(it->second);
        job.keepAlive = flag ? *flag : it->second.dictionary() != nullptr;
    }
    job.disabledInPlist = booleanFor(*dict, "Disabled");
    return job;
}

std::optional<LaunchJob> LaunchJob::fromBytes(const std::string& bytes) {
    const auto value = parsePropertyList(bytes);
    return value ? fromPropertyList(*value) : std::nullopt;
}

std::optional<LaunchJob> LaunchJob::fromFile(const std::string& path) {
    const auto value = readPropertyListFile(path);
    return value ? fromPropertyList(*value) : std::nullopt;
}

} // namespace plenwick

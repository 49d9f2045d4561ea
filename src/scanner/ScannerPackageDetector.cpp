#include "scanner/ScannerPackageDetector.h"

#include "base/Utf8.h"

#include <array>
#include <mutex>

namespace plenwick {
namespace {

constexpr std::array<std::string_view, 42> knownPackageExtensions{
    "app", "appex", "bundle", "framework", "plugin", "kext", "xpc", "prefpane", "qlgenerator", "mdimporter",
    "saver", "component", "vst", "vst3", "aaxplugin", "wdgt", "systemextension", "photoslibrary",
    "photolibrary", "aplibrary", "migratedphotolibrary", "musiclibrary", "tvlibrary", "imovielibrary",
    "theater", "fcpbundle", "logicx", "band", "xcarchive", "xcframework", "dsym", "xcodeproj", "xcworkspace",
    "playground", "docset", "mlmodelc", "momd", "rtfd", "pages", "numbers", "key", "sparsebundle"};

constexpr std::array<std::string_view, 8> knownNonPackageExtensions{
    "lproj", "d", "localized", "noindex", "xcassets", "imageset", "appiconset", "git"};

// Behind every worker's cache: answers carry over from one scan to the next.
struct ProcessCache {
    std::mutex lock;
    StringMap<bool> answers;
};
ProcessCache& processCache() {
    static ProcessCache* cache = new ProcessCache; // lives for the whole process
    return *cache;
}

// Linux has no registry of uniform types: no extension outside the fixed sets is
// declared a package.
bool askTypeRegistry(std::string_view /*extension*/) { return false; }

} // namespace

bool ScannerPackageDetector::isKnownPackageExtension(std::string_view extension) noexcept {
    for (std::string_view x : knownPackageExtensions)
        if (x == extension) return true;
    return false;
}

bool ScannerPackageDetector::isKnownNonPackageExtension(std::string_view extension) noexcept {
    for (std::string_view x : knownNonPackageExtensions)
        if (x == extension) return true;
    return false;
}

bool ScannerPackageDetector::isPackage(std::string_view x) {
    if (x.empty() || x.find(' ') != std::string_view::npos) return false;
    if (isKnownPackageExtension(x)) return true;
    if (isKnownNonPackageExtension(x)) return false;
    if (auto it = cache_.find(x); it != cache_.end()) return it->second;
    ProcessCache& shared = processCache();
    {
        std::lock_guard guard(shared.lock);
        if (auto it = shared.answers.find(x); it != shared.answers.end()) {
            const bool answer = it->second;
            cache_.emplace(std::string(x), answer);
            return answer;
        }
    }
    const bool answer = askTypeRegistry(x);
    {
        std::lock_guard guard(shared.lock);
        shared.answers.emplace(std::string(x), answer);
    }
    cache_.emplace(std::string(x), answer);
    return answer;
}

FileNode::Kind ScannerPackageDetector::folderKind(std::string_view rawName) {
    const auto dot = rawName.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return FileNode::Kind::directory;
    const std::string_view tail = rawName.substr(dot + 1);
    if (tail.empty() || tail.size() > 16) return FileNode::Kind::directory;
    // Almost every extension is ASCII: lower it on the stack, no allocation.
    char lowered[16];
    bool ascii = true;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        const char c = tail[i];
        if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
        lowered[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (ascii) return isPackage({lowered, tail.size()}) ? FileNode::Kind::package : FileNode::Kind::directory;
    const std::string text = asciiLower(repairUtf8(tail));
    return isPackage(text) ? FileNode::Kind::package : FileNode::Kind::directory;
}

} // namespace plenwick

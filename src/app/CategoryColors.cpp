#include "app/CategoryColors.h"

namespace plenwick {

RGB categoryColor(FileCategory category) noexcept {
    switch (category) {
    case FileCategory::applications: return {0.27, 0.45, 1.0};
    case FileCategory::documents: return {0.98, 0.78, 0.25};
    case FileCategory::images: return {0.27, 0.8, 0.55};
    case FileCategory::video: return {0.92, 0.33, 0.4};
    case FileCategory::audio: return {0.75, 0.42, 0.95};
    case FileCategory::archives: return {0.95, 0.55, 0.22};
    case FileCategory::diskImages: return {0.58, 0.45, 0.32};
    case FileCategory::code: return {0.2, 0.78, 0.85};
    case FileCategory::developer: return {0.93, 0.47, 0.7};
    case FileCategory::system: return {0.4, 0.4, 0.46};
    case FileCategory::folder: return {0.6, 0.65, 0.72};
    case FileCategory::other: return {0.78, 0.78, 0.8};
    }
    return defaultNodeColor;
}

} // namespace plenwick

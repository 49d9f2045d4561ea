#include "scanner/DiskScanner.h"

namespace plenwick {
namespace {

std::string describe(ScanError::Kind kind, const std::string& p) {
    switch (kind) {
    case ScanError::Kind::notFound: return "\u201C" + p + "\u201D could not be found.";
    case ScanError::Kind::permissionDenied:
        return "Plenwick doesn\u2019t have permission to read \u201C" + p +
               "\u201D. Its permissions, or those of a folder above it, deny Plenwick access.";
    case ScanError::Kind::unreadable: return "\u201C" + p + "\u201D could not be read.";
    }
    return {};
}

} // namespace

ScanError::ScanError(Kind kind, std::string path)
    : kind_(kind), path_(std::move(path)), description_(describe(kind_, path_)) {}

} // namespace plenwick

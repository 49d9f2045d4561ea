#include "platform/TrashErrors.h"

#include <string>

namespace plenwick {
namespace {

class TrashRefusalCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "trash"; }
    std::string message(int code) const override { return trashRefusalReason(static_cast<TrashRefusal>(code)); }
};

} // namespace

const char* trashRefusalReason(TrashRefusal refusal) {
    switch (refusal) {
    case TrashRefusal::partOfTrash: return "It is part of the Trash.";
    case TrashRefusal::mountInside: return "A mount point lies inside it.";
    case TrashRefusal::mountTopUnproved: return "The top folder of its mount, where its Trash belongs, could not be confirmed.";
    }
    return "It cannot be moved to the Trash.";
}

std::error_code trashRefusalError(TrashRefusal refusal) {
    static const TrashRefusalCategory category;
    return {static_cast<int>(refusal), category};
}

} // namespace plenwick

#pragma once
// Why an item cannot go to the Trash when no errno says it: errors with messages of
// their own, so a failure line reads the reason.

#include <system_error>

namespace plenwick {

enum class TrashRefusal {
    partOfTrash = 1,  // one of the Trash's own folders, or inside one
    mountInside,      // a folder with a mount point somewhere below it
    mountTopUnproved, // the top of the item's mount, where its Trash goes, is not certain
};

// The reason as a sentence of its own.
const char* trashRefusalReason(TrashRefusal refusal);
std::error_code trashRefusalError(TrashRefusal refusal);

} // namespace plenwick

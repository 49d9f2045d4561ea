#pragma once
// The folder events of the program: a listing by readdir and an inotify watch read
// through a socket notifier on the GUI thread. Entries created, deleted or moved in or
// out are "write"; the folder deleted or unmounted is "deleted"; the folder moved is
// "renamed". An overflowed queue counts as "write", so a listing catches up.

#include "helper/FolderEvents.h"

namespace plenwick {

class InotifyFolderEvents final : public FolderEvents {
public:
    void prepare(const std::string& folder) override;
    std::optional<std::vector<std::string>> list(const std::string& folder) override;
    std::unique_ptr<Watch> watch(const std::string& folder, std::function<void(Mask)> onEvents) override;
};

} // namespace plenwick

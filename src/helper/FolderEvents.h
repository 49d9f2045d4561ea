#pragma once
// What the Trash watcher needs of the kernel: listing a folder's entry names and
// being told when the folder changes. The program's implementation is inotify; tests
// substitute one they drive by hand.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plenwick {

class FolderEvents {
public:
    // What happened, as a mask: entries came or went inside the folder (write), the
    // folder itself was deleted (deleted) or moved or replaced (renamed).
    enum Event : unsigned { write = 1u << 0, deleted = 1u << 1, renamed = 1u << 2 };
    using Mask = unsigned;

    // A live watch; destroying it ends the watching and frees its descriptor. No
    // event is delivered once it is gone.
    class Watch {
    public:
        virtual ~Watch() = default;
    };

    virtual ~FolderEvents() = default;
    // Creates the folder with its parents (mode 0700) when it is missing; errors are
    // left to the listing that follows.
    virtual void prepare(const std::string& folder) = 0;
    // The names of the folder's entries, hidden ones included; nothing when it can't
    // be listed.
    virtual std::optional<std::vector<std::string>> list(const std::string& folder) = 0;
    // Starts watching; nothing when the folder can't be watched. `onEvents` runs on
    // the GUI thread with every event pending at that moment.
    virtual std::unique_ptr<Watch> watch(const std::string& folder, std::function<void(Mask)> onEvents) = 0;
};

} // namespace plenwick

#include "uninstaller/SharedPlaces.h"

#include "base/PathNames.h"

#include <array>

namespace plenwick {
namespace {

enum class Root { home, config, data, cache, state };

struct SharedPlace {
    Root root;
    const char* path; // below the root
};

constexpr std::array sharedPlaceTable{
    // The home folder's own: keys, certificates, the shell's and the X session's files.
    SharedPlace{Root::home, ".ssh"},           SharedPlace{Root::home, ".gnupg"},
    SharedPlace{Root::home, ".pki"},           SharedPlace{Root::home, ".bashrc"},
    SharedPlace{Root::home, ".bash_profile"},  SharedPlace{Root::home, ".bash_login"},
    SharedPlace{Root::home, ".bash_logout"},   SharedPlace{Root::home, ".bash_history"},
    SharedPlace{Root::home, ".profile"},       SharedPlace{Root::home, ".zshrc"},
    SharedPlace{Root::home, ".zshenv"},        SharedPlace{Root::home, ".zprofile"},
    SharedPlace{Root::home, ".zlogin"},        SharedPlace{Root::home, ".zlogout"},
    SharedPlace{Root::home, ".zsh_history"},   SharedPlace{Root::home, ".inputrc"},
    SharedPlace{Root::home, ".Xauthority"},    SharedPlace{Root::home, ".Xresources"},
    SharedPlace{Root::home, ".Xdefaults"},     SharedPlace{Root::home, ".xinitrc"},
    SharedPlace{Root::home, ".xsession"},      SharedPlace{Root::home, ".xsessionrc"},
    SharedPlace{Root::home, ".xprofile"},      SharedPlace{Root::home, ".dmrc"},
    SharedPlace{Root::home, ".face"},          SharedPlace{Root::home, ".icons"},
    SharedPlace{Root::home, ".themes"},        SharedPlace{Root::home, ".fonts"},
    SharedPlace{Root::home, ".local/bin"},
    // Settings: the settings database, sound, the service managers, the bus, the
    // session's environment, file types and user folders, screens, toolkits.
    SharedPlace{Root::config, "dconf"},        SharedPlace{Root::config, "pulse"},
    SharedPlace{Root::config, "pipewire"},     SharedPlace{Root::config, "wireplumber"},
    SharedPlace{Root::config, "systemd"},      SharedPlace{Root::config, "dbus"},
    SharedPlace{Root::config, "environment.d"}, SharedPlace{Root::config, "mimeapps.list"},
    SharedPlace{Root::config, "user-dirs.dirs"}, SharedPlace{Root::config, "user-dirs.locale"},
    SharedPlace{Root::config, "monitors.xml"}, SharedPlace{Root::config, "fontconfig"},
    SharedPlace{Root::config, "gtk-2.0"},      SharedPlace{Root::config, "gtk-3.0"},
    SharedPlace{Root::config, "gtk-4.0"},      SharedPlace{Root::config, "menus"},
    SharedPlace{Root::config, "gnome-session"}, SharedPlace{Root::config, "kdeglobals"},
    // Data: keyrings, the shell, icons and the MIME database, the service managers.
    SharedPlace{Root::data, "keyrings"},       SharedPlace{Root::data, "gnome-shell"},
    SharedPlace{Root::data, "icons"},          SharedPlace{Root::data, "mime"},
    SharedPlace{Root::data, "systemd"},        SharedPlace{Root::data, "dbus-1"},
    SharedPlace{Root::data, "fonts"},          SharedPlace{Root::data, "themes"},
    SharedPlace{Root::data, "sounds"},         SharedPlace{Root::data, "backgrounds"},
    SharedPlace{Root::data, "flatpak"},        SharedPlace{Root::data, "recently-used.xbel"},
    SharedPlace{Root::data, "gvfs-metadata"},  SharedPlace{Root::data, "kwalletd"},
    // Caches and state of the same.
    SharedPlace{Root::cache, "dconf"},         SharedPlace{Root::cache, "fontconfig"},
    SharedPlace{Root::cache, "thumbnails"},    SharedPlace{Root::cache, "mesa_shader_cache"},
    SharedPlace{Root::state, "pulse"},         SharedPlace{Root::state, "wireplumber"},
};

} // namespace

std::vector<std::string> sharedPlaces(const RemnantSearchRoots& roots) {
    std::vector<std::string> places;
    places.reserve(sharedPlaceTable.size());
    for (const SharedPlace& place : sharedPlaceTable) {
        const std::string* root = nullptr;
        switch (place.root) {
        case Root::home: root = &roots.home; break;
        case Root::config: root = &roots.configHome; break;
        case Root::data: root = &roots.dataHome; break;
        case Root::cache: root = &roots.cacheHome; break;
        case Root::state: root = &roots.stateHome; break;
        }
        // Without a home of its own the home's places are none of the search's.
        if (root->empty() || *root == "/") continue;
        places.push_back(normalizedPathOrSelf(appendingPathComponent(*root, place.path)));
    }
    return places;
}

} // namespace plenwick

#pragma once
// Another program's top-level windows on the X server: found by their process and
// title, and sent keys as a user would press them.

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plenwick::test {

class XWindows {
public:
    struct Window {
        xcb_window_t id = 0;
        std::string title;
    };

    XWindows();
    ~XWindows();
    XWindows(const XWindows&) = delete;
    XWindows& operator=(const XWindows&) = delete;
    bool isConnected() const noexcept { return connection_ != nullptr; }

    // The mapped top-level windows of process `pid`.
    std::vector<Window> shownWindows(std::int64_t pid);
    // The first such window whose title starts with `prefix`.
    std::optional<Window> shownWindow(std::int64_t pid, const std::string& prefix);
    // Gives `window` the keyboard focus and presses Ctrl with `key` (a Latin-1
    // key symbol such as 'q' or ',').
    void pressControl(xcb_window_t window, std::uint32_t key);
    // The same with the modifiers `state` (an X modifier mask, none by default).
    void press(xcb_window_t window, std::uint32_t key, std::uint16_t state = 0);
    // The class half of `window`'s WM_CLASS, which desktop entries match by StartupWMClass.
    std::string windowClass(xcb_window_t window);
    // How many pixels `window`'s icons (_NET_WM_ICON) hold, all sizes together.
    std::size_t iconPixels(xcb_window_t window);
    // Asks `window` to close, as its title bar's close button does.
    void close(xcb_window_t window);
    // Minimises `window` as a window manager does when asked to: it is unmapped and
    // its WM_STATE becomes Iconic (the test's X server runs no window manager).
    void iconify(xcb_window_t window);
    // Whether `window` is mapped, i.e. on screen rather than minimised or hidden.
    bool isMapped(xcb_window_t window);
    // Returns once the program that owns `window` has handled every event the server
    // sent it before: a _NET_WM_PING queued behind them comes back answered. False
    // when no answer came within `ms` (a program that hangs).
    bool sync(xcb_window_t window, int ms = 20000);

private:
    xcb_atom_t atom(const char* name);
    std::optional<std::uint32_t> cardinal(xcb_window_t window, xcb_atom_t property);
    std::string text(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);
    xcb_keycode_t keycode(std::uint32_t keysym);

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    std::uint32_t pings_ = 0;
    bool hearsRoot_ = false;
};

} // namespace plenwick::test

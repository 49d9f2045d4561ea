#include "XWindows.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

#include <poll.h>

namespace plenwick::test {

XWindows::XWindows() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    connection_ = connection;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
    screen_ = screens.data;
}

XWindows::~XWindows() {
    if (connection_) xcb_disconnect(connection_);
}

xcb_atom_t XWindows::atom(const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

std::optional<std::uint32_t> XWindows::cardinal(xcb_window_t window, xcb_atom_t property) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    std::optional<std::uint32_t> value;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        value = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

std::string XWindows::text(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, 1024), nullptr);
    std::string value;
    if (reply && reply->format == 8)
        value.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    return value;
}

std::vector<XWindows::Window> XWindows::shownWindows(std::int64_t pid) {
    std::vector<Window> shown;
    if (!connection_) return shown;
    const xcb_atom_t pidAtom = atom("_NET_WM_PID"), nameAtom = atom("_NET_WM_NAME"), utf8 = atom("UTF8_STRING");
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, screen_->root), nullptr);
    if (!tree) return shown;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        const xcb_window_t window = children[i];
        if (cardinal(window, pidAtom) != std::optional<std::uint32_t>(static_cast<std::uint32_t>(pid))) continue;
        if (isMapped(window)) shown.push_back({window, text(window, nameAtom, utf8)});
    }
    std::free(tree);
    return shown;
}

std::optional<XWindows::Window> XWindows::shownWindow(std::int64_t pid, const std::string& prefix) {
    for (Window& window : shownWindows(pid))
        if (window.title.compare(0, prefix.size(), prefix) == 0) return window;
    return std::nullopt;
}

xcb_keycode_t XWindows::keycode(std::uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr);
    xcb_keycode_t found = 0;
    if (mapping) {
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
        const int perCode = mapping->keysyms_per_keycode;
        for (int code = 0; code < count && !found; ++code)
            if (symbols[code * perCode] == keysym) found = static_cast<xcb_keycode_t>(setup->min_keycode + code);
        std::free(mapping);
    }
    return found;
}

void XWindows::pressControl(xcb_window_t window, std::uint32_t key) { press(window, key, XCB_MOD_MASK_CONTROL); }

void XWindows::press(xcb_window_t window, std::uint32_t key, std::uint16_t state) {
    if (!connection_) return;
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    for (const std::uint8_t type : {std::uint8_t(XCB_KEY_PRESS), std::uint8_t(XCB_KEY_RELEASE)}) {
        xcb_key_press_event_t event{};
        event.response_type = type;
        event.detail = keycode(key);
        event.time = XCB_CURRENT_TIME;
        event.root = screen_->root;
        event.event = window;
        event.child = XCB_NONE;
        event.state = state;
        event.same_screen = 1;
        xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection_);
}

std::string XWindows::windowClass(xcb_window_t window) {
    if (!connection_) return {};
    // Instance and class, each ended by a NUL.
    const std::string both = text(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const std::size_t end = both.find('\0');
    if (end == std::string::npos) return {};
    const std::string rest = both.substr(end + 1);
    return rest.substr(0, rest.find('\0'));
}

std::size_t XWindows::iconPixels(xcb_window_t window) {
    if (!connection_) return 0;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, atom("_NET_WM_ICON"), XCB_ATOM_CARDINAL, 0, 1 << 20),
        nullptr);
    std::size_t pixels = 0;
    if (reply && reply->format == 32) {
        // Width, height, then width × height pixels, for each size in turn.
        const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        const std::size_t count = static_cast<std::size_t>(xcb_get_property_value_length(reply)) / 4;
        for (std::size_t i = 0; i + 2 <= count;) {
            const std::size_t size = std::size_t(values[i]) * values[i + 1];
            if (size == 0 || i + 2 + size > count) break;
            pixels += size;
            i += 2 + size;
        }
    }
    std::free(reply);
    return pixels;
}

void XWindows::close(xcb_window_t window) {
    if (!connection_) return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);
}

} // namespace plenwick::test

namespace plenwick::test {

bool XWindows::isMapped(xcb_window_t window) {
    if (!connection_) return false;
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr);
    const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return viewable;
}

void XWindows::iconify(xcb_window_t window) {
    if (!connection_) return;
    constexpr std::uint32_t normalState = 1, iconicState = 3; // ICCCM NormalState, IconicState
    const xcb_atom_t wmState = atom("WM_STATE");
    // A window manager marks a window Normal once it is mapped; none runs here, so a
    // window restored by its program still reads Iconic. That comes first, then the
    // minimising itself.
    const std::uint32_t normal[2] = {normalState, XCB_NONE}; // state, icon window
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, wmState, wmState, 32, 2, normal);
    xcb_flush(connection_);
    // The program reads the property when it hears of the change: it must read Normal
    // before the property changes again.
    sync(window);
    xcb_unmap_window(connection_, window);
    const std::uint32_t iconic[2] = {iconicState, XCB_NONE};
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, wmState, wmState, 32, 2, iconic);
    xcb_flush(connection_);
}

bool XWindows::sync(xcb_window_t window, int ms) {
    if (!connection_) return false;
    const xcb_atom_t protocols = atom("WM_PROTOCOLS"), ping = atom("_NET_WM_PING");
    if (!hearsRoot_) {
        // The answer is sent to the root window, to whoever hears its structure change
        // (or redirects its children's, which no one here does).
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, screen_->root, XCB_CW_EVENT_MASK, &mask);
        hearsRoot_ = true;
    }
    const std::uint32_t token = ++pings_;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = protocols;
    event.data.data32[0] = ping;
    event.data.data32[1] = token;
    event.data.data32[2] = window;
    xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        while (xcb_generic_event_t* next = xcb_poll_for_event(connection_)) {
            bool answered = false;
            if ((next->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(next);
                answered = message->window == screen_->root && message->type == protocols &&
                           message->data.data32[0] == ping && message->data.data32[1] == token;
            }
            std::free(next);
            if (answered) return true;
        }
        if (xcb_connection_has_error(connection_)) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd readable{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&readable, 1, static_cast<int>(left.count()));
    }
}

} // namespace plenwick::test

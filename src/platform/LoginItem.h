#pragma once
// A program started when the user logs in, by the freedesktop.org autostart rule: a
// desktop entry "<identifier>.desktop" in $XDG_CONFIG_HOME/autostart whose Exec line
// starts the program. Registering writes the entry, unregistering removes it, and the
// status reads it back. The session never asks the user to approve an entry.

#include <stdexcept>
#include <string>

namespace plenwick {

enum class LoginItemStatus { notRegistered, enabled, notFound };

// A failed register or unregister; `what()` is the text shown to the user.
class LoginItemError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    std::string errorDescription() const { return what(); }
};

class LoginItemService {
public:
    virtual ~LoginItemService() = default;
    virtual LoginItemStatus status() const = 0;
    // Both throw LoginItemError.
    virtual void registerItem() = 0;
    virtual void unregisterItem() = 0;
};

class AutostartLoginItem final : public LoginItemService {
public:
    // `identifier` names the entry's file; `name` is its Name; `executable` the
    // program's absolute path (raw bytes).
    AutostartLoginItem(std::string identifier, std::string name, std::string executable);

    // Not found while the program is missing; enabled while an entry that starts this
    // very program is in place and not hidden; otherwise not registered.
    LoginItemStatus status() const override;
    // Fails when the program is missing or the entry cannot be written.
    void registerItem() override;
    // Removing an entry that is not there succeeds.
    void unregisterItem() override;

    // $XDG_CONFIG_HOME/autostart/<identifier>.desktop, read afresh each time.
    std::string entryPath() const;
    // The entry's text.
    std::string entryText() const;

private:
    std::string identifier_;
    std::string name_;
    std::string executable_;
};

// The Exec value that starts `program` without arguments: quoted when it holds a
// reserved character, then escaped as a desktop entry string; "%" doubled. Throws
// LoginItemError for a path that is not UTF-8 or holds a control character.
std::string desktopExecValue(const std::string& program);
// The program an Exec value starts (its first argument, unquoted); empty when the
// value is malformed.
std::string desktopExecProgram(const std::string& value);

} // namespace plenwick

#pragma once
// The app a startup item belongs to: the app its program lies in.

#include <optional>
#include <string>

namespace plenwick {

struct OwningApp {
    std::string path; // the app
    std::string name; // its name, shown as the item's
};

// The app that `program` (an absolute path) lies in; none for a program of no app.
std::optional<OwningApp> appOwningProgram(const std::string& program);

} // namespace plenwick

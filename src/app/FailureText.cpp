#include "app/FailureText.h"

#include "base/Utf8.h"

namespace plenwick {

std::string failureText(const std::exception_ptr& error, std::string_view unknown) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        // A scanner error's `what` is its description for the user.
        return repairUtf8(e.what());
    } catch (...) {
        return std::string(unknown);
    }
}

} // namespace plenwick

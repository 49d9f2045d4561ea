#include "runtime/GuiThread.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace plenwick {

bool isGuiThread() noexcept {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void abortOffGuiThread(const std::source_location& caller) noexcept {
    std::fprintf(stderr, "Plenwick: %s called off the GUI thread (%s:%u)\n", caller.function_name(),
                 caller.file_name(), static_cast<unsigned>(caller.line()));
    std::abort();
}

} // namespace plenwick

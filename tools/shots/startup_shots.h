#pragma once
// The Startup Items window's screenshots, each handed to `save` with its name.

#include <QString>
#include <QWidget>

#include <functional>

namespace plenwick {

void shootStartupItems(const std::function<void(const QString&, QWidget&)>& save);

} // namespace plenwick

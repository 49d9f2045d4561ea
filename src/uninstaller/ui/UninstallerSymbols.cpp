#include "uninstaller/ui/UninstallerSymbols.h"

namespace plenwick {

Symbol remnantKindSymbol(Remnant::Kind kind) {
    switch (kind) {
    case Remnant::Kind::applicationSupport: return Symbol::folder;
    case Remnant::Kind::preferences: return Symbol::sliderHorizontal;
    case Remnant::Kind::caches: return Symbol::internalDrive;
    case Remnant::Kind::containers: return Symbol::shippingBox;
    case Remnant::Kind::groupContainers: return Symbol::squareStack;
    case Remnant::Kind::launchItems: return Symbol::power;
    case Remnant::Kind::helperTools: return Symbol::lockShield;
    case Remnant::Kind::savedState: return Symbol::macWindow;
    case Remnant::Kind::webData: return Symbol::globe;
    case Remnant::Kind::logs: return Symbol::docText;
    case Remnant::Kind::crashReports: return Symbol::warningTriangleOutline;
    }
    return Symbol::folder;
}

} // namespace plenwick

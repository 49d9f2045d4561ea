#pragma once
// The tests' fonts: text is measured in the DejaVu faces alone (the fontconfig file
// of the tests, tests/fonts/fonts.conf), whatever else the machine has, so that a
// desktop with other fonts installed measures what CI measures. A FONTCONFIG_FILE
// set from outside is kept: that is how a run looks at another font on purpose.

#include <QByteArray>
#include <QtGlobal>

namespace plenwick::test {

// Before the application object: fontconfig reads its file once.
inline void pinTestFonts() {
    if (qEnvironmentVariableIsEmpty("FONTCONFIG_FILE")) qputenv("FONTCONFIG_FILE", QByteArray(PLENWICK_TEST_FONTCONFIG));
}

} // namespace plenwick::test

#pragma once
// The pointer belongs to the process, not to a test: one left resting over a spot makes
// the next test's move to that very spot no move at all, so that the widget under it
// never hears of it. Each test ends with the pointer moved off every window.

#include <QCursor>
#include <QPoint>

#include <gtest/gtest.h>

namespace plenwick::test {

class PointerReset final : public ::testing::EmptyTestEventListener {
public:
    void OnTestEnd(const ::testing::TestInfo&) override { QCursor::setPos(QPoint(-30000, -30000)); }
};

// Installs the reset; call after InitGoogleTest.
inline void resetPointerAfterEachTest() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new PointerReset);
}

} // namespace plenwick::test

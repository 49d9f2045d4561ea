#include "app/ColorModeMemory.h"

#include <gtest/gtest.h>

using namespace plenwick;

TEST(ColorModeMemory, AHighlightRestoresTheModeItReplacedUnlessTheUserChoseAnother) {
    ColorModeMemory memory;
    EXPECT_EQ(memory.startHighlight(ColorMode::byFolder, ColorMode::byKind), ColorMode::byKind);
    memory.colorModeChanged(ColorMode::byKind); // the highlight's own switch
    EXPECT_EQ(memory.saved, ColorMode::byFolder);
    // A second row in the other segment keeps the first saved mode.
    memory.startHighlight(ColorMode::byKind, ColorMode::byType);
    EXPECT_EQ(memory.saved, ColorMode::byFolder);
    EXPECT_EQ(memory.applied, ColorMode::byType);
    EXPECT_EQ(memory.highlightEnded(ColorMode::byType), ColorMode::byFolder);
    EXPECT_EQ(memory, ColorModeMemory{});

    memory.startHighlight(ColorMode::byFolder, ColorMode::byKind);
    memory.colorModeChanged(ColorMode::byType); // the user's choice
    EXPECT_EQ(memory, ColorModeMemory{});
    EXPECT_EQ(memory.highlightEnded(ColorMode::byType), std::nullopt);

    memory.startHighlight(ColorMode::byFolder, ColorMode::byKind);
    EXPECT_EQ(memory.highlightEnded(ColorMode::byFolder), std::nullopt) << "the mode is no longer the applied one";
}

#pragma once
// The small tree the sunburst tests share, on a chart state they set field by field.

#include "FakeChartState.h"
#include "TestTree.h"
#include "charts/SunburstScene.h"

#include <memory>
#include <vector>

namespace plenwick::test {

// /f (1000): docs (600: big.txt 400, sub 190 [x.bin 190], ten 1-byte files), pic.png 300,
// and a hundred 1-byte files merged into one arc.
struct SunburstScenery {
    NodeRef bigTxt = file("big.txt", 400), xBin = file("x.bin", 190);
    NodeRef sub = folder("sub", {xBin});
    NodeRef docs;
    NodeRef pic = file("pic.png", 300);
    NodeRef focus;
    FakeChartState state;

    SunburstScenery() {
        std::vector<NodeRef> d{bigTxt, sub};
        for (auto& f : files(10, 1)) d.push_back(f);
        docs = folder("docs", d);
        std::vector<NodeRef> top{docs, pic};
        for (auto& f : files(100, 1)) top.push_back(f);
        focus = folder("/f", top);
        state.rootNode = state.focusNode = focus;
    }
    std::shared_ptr<const SunburstScene> make(const SunburstScene* previous = nullptr) {
        return SunburstScene::make(state, state.focusNode, previous);
    }
    const SunburstArcStyle& styleOf(const SunburstScene& s, const NodeRef& n) {
        return s.style(s.layout->index.at(n.get()));
    }
};

} // namespace plenwick::test

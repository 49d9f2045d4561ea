// The inspector's name and path in the real window, at the default and the smallest
// size: each shows whole, or as many lines as it may with "…" at its end, whatever
// was shown before it.
#include "ResultsWindowFixture.h"

#include "results/InspectorView.h"
#include "results/SelectableText.h"
#include "results/ShellInspectorDetails.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

namespace plenwick::test {
namespace {

int shownLines(const SelectableText& text) {
    int lines = 0;
    for (QTextBlock b = text.document()->begin(); b.isValid(); b = b.next()) lines += b.layout()->lineCount();
    return lines;
}

// Every line the text shows lies inside the widget, and the text is whole or ends
// in "…" after as many lines as it may take.
void expectWholeOrEllipsis(const SelectableText& text, int maximumLines, const std::string& what) {
    SCOPED_TRACE(what);
    const int lines = shownLines(text);
    EXPECT_GE(text.height(), static_cast<int>(std::ceil(text.document()->size().height())))
        << lines << " lines shown in " << text.height() << " pixels";
    const QString shown = text.shownText();
    if (shown == text.text()) {
        EXPECT_LE(lines, maximumLines);
    } else {
        EXPECT_TRUE(shown.endsWith(QStringLiteral("…"))) << shown.toStdString();
        EXPECT_EQ(lines, maximumLines);
        EXPECT_TRUE(text.text().startsWith(shown.left(shown.size() - 1).left(shown.size() / 2)));
    }
}

class InspectorTexts : public ResultsWindowTest, public ::testing::WithParamInterface<QSize> {};

TEST_P(InspectorTexts, NameAndPathShowWholeOrEndInAnEllipsis) {
    std::string deep = "names";
    for (int i = 0; i < 12; ++i) deep += "/folder_number_" + std::to_string(i);
    const std::string longName =
        "a_name_long_enough_that_it_takes_more_than_three_lines_of_the_title_in_any_inspector_width.txt";
    const std::string base = makeFiles({{"a.txt", 10},
                                        {"names/under_score_name_file.txt", 100},
                                        {"names/name with spaces.txt", 100},
                                        {"names/café ünïcode.txt.trashinfo", 100},
                                        {"names/deeper folder/inner.txt", 10},
                                        {deep + "/" + longName, 10}});
    resizeWindow(GetParam());
    scan(base);
    auto* inspector = qobject_cast<InspectorView*>(results()->inspector());
    ASSERT_NE(inspector, nullptr);
    ShellInspectorDetails* details = inspector->details();
    // Each case right after a short one, and after the one before it.
    for (const std::string& relative :
         {std::string("names/under_score_name_file.txt"), std::string("names/name with spaces.txt"),
          std::string("names/café ünïcode.txt.trashinfo"), std::string("names/deeper folder"),
          std::string("names/deeper folder/inner.txt"), deep + "/" + longName, std::string("names")}) {
        for (const std::string& before : {std::string("a.txt"), std::string()}) {
            if (!before.empty()) {
                state().select(node(before));
                settle();
            }
            state().select(node(relative));
            settle();
            ASSERT_EQ(details->node(), state().selection()) << relative;
            expectWholeOrEllipsis(*details->nameView(), 3, relative + " name");
            expectWholeOrEllipsis(*details->pathView(), 6, relative + " path");
        }
    }
    // The names above that fit show whole; the long ones are cut.
    state().select(node("names/name with spaces.txt"));
    settle();
    EXPECT_EQ(details->nameView()->shownText(), "name with spaces.txt");
    EXPECT_EQ(details->pathView()->shownText(), details->pathText());
    state().select(node(deep + "/" + longName));
    settle();
    EXPECT_TRUE(details->nameView()->shownText().endsWith(QStringLiteral("…")));
    EXPECT_TRUE(details->pathView()->shownText().endsWith(QStringLiteral("…")));
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, InspectorTexts, ::testing::Values(QSize(1280, 820), QSize(960, 620)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

} // namespace
} // namespace plenwick::test

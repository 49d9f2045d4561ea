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
    // Nothing above clips it: its lines lie inside the details, and those inside the
    // inspector's scrolled content.
    const QWidget* details = text.parentWidget();
    EXPECT_LE(text.geometry().bottom(), details->height() - 1);
    EXPECT_LE(details->geometry().bottom(), details->parentWidget()->height() - 1);
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

// The path of each item one line longer than the one selected before it shows whole,
// down to its last line (which names the item, not its folder).
TEST_P(InspectorTexts, APathALineLongerThanTheLastShowsWhole) {
    std::vector<std::pair<std::string, std::size_t>> files;
    std::vector<std::string> names;
    for (int length = 2; length <= 160; length += 3) {
        names.push_back("names/" + std::string(static_cast<std::size_t>(length), 'p') + ".txt");
        files.emplace_back(names.back(), 10);
    }
    resizeWindow(GetParam());
    scan(makeFiles(files));
    ShellInspectorDetails* details = qobject_cast<InspectorView*>(results()->inspector())->details();
    SelectableText& path = *details->pathView();
    int longerByALine = 0;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        state().select(node(names[i]));
        settle();
        const int before = shownLines(path);
        state().select(node(names[i + 1]));
        settle();
        const int after = path.lineCountAt(path.viewport()->width());
        if (after == before + 1 && after <= 6) ++longerByALine;
        expectWholeOrEllipsis(path, 6, names[i + 1] + " after " + names[i]);
        if (after <= 6) {
            EXPECT_EQ(path.shownText(), details->pathText()) << names[i + 1];
            EXPECT_EQ(shownLines(path), after) << names[i + 1];
        }
    }
    EXPECT_GE(longerByALine, 3) << "the paths should have grown by a line several times";
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, InspectorTexts, ::testing::Values(QSize(1280, 820), QSize(960, 620)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

} // namespace
} // namespace plenwick::test

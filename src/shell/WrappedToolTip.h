#pragma once
// Tool tips of long plain texts.

#include <QString>

namespace plenwick {

// A tool tip of plain `text` that wraps at a readable width when it is wider than that
// (tool tips wrap only rich text, so a long text is escaped into a paragraph of that
// width); a shorter text is kept as it is.
QString wrappedToolTip(const QString& text);
inline constexpr int kWrappedToolTipWidth = 320;

} // namespace plenwick

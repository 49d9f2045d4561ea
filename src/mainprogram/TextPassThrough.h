#pragma once
// Lets a few menu shortcuts keep their text-editing meaning while an editable text
// field of the active window has the keyboard focus.

namespace plenwick {

enum class TextCommand { moveToBeginningOfDocument, moveToEndOfDocument, deleteToBeginningOfLine };

// Performs `command` in the focused editable text field of the active window and
// returns true; returns false when no such field has the focus.
bool passToEditableText(TextCommand command);

} // namespace plenwick

#include "mainprogram/TextPassThrough.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace plenwick {

namespace {

QTextCursor::MoveOperation movement(TextCommand command) {
    return command == TextCommand::moveToBeginningOfDocument ? QTextCursor::Start : QTextCursor::End;
}

} // namespace

bool passToEditableText(TextCommand command) {
    QWidget* window = QApplication::activeWindow();
    QWidget* focus = QApplication::focusWidget();
    if (!window || !focus || focus->window() != window) return false;

    QLineEdit* line = qobject_cast<QLineEdit*>(focus);
    if (!line)
        if (auto* combo = qobject_cast<QComboBox*>(focus); combo && combo->isEditable()) line = combo->lineEdit();
    if (line) {
        if (line->isReadOnly()) return false;
        if (command == TextCommand::moveToBeginningOfDocument) {
            line->home(false);
        } else if (command == TextCommand::moveToEndOfDocument) {
            line->end(false);
        } else {
            line->home(true);
            if (line->hasSelectedText()) line->del();
        }
        return true;
    }
    // Deletes from the cursor back to the start of its line.
    const auto deleteToLineStart = [](QTextCursor cursor) {
        if (cursor.hasSelection()) cursor.clearSelection();
        cursor.movePosition(QTextCursor::StartOfLine, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    };
    if (auto* text = qobject_cast<QTextEdit*>(focus)) {
        if (text->isReadOnly()) return false;
        if (command == TextCommand::deleteToBeginningOfLine)
            deleteToLineStart(text->textCursor());
        else
            text->moveCursor(movement(command));
        return true;
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
        if (plain->isReadOnly()) return false;
        if (command == TextCommand::deleteToBeginningOfLine)
            deleteToLineStart(plain->textCursor());
        else
            plain->moveCursor(movement(command));
        return true;
    }
    return false;
}

} // namespace plenwick

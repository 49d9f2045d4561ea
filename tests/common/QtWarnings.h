#pragma once
// Collects the warnings Qt prints while an instance lives, so a test can fail on the
// ones that must never appear in normal use. One at a time.

#include <QtGlobal>
#include <QString>
#include <QStringList>

namespace plenwick::test {

class QtWarnings {
public:
    QtWarnings() {
        current() = this;
        previous_ = qInstallMessageHandler(&QtWarnings::handle);
    }
    ~QtWarnings() {
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    QtWarnings(const QtWarnings&) = delete;
    QtWarnings& operator=(const QtWarnings&) = delete;

    // The warnings so far that contain `text`.
    QStringList containing(const QString& text) const { return messages_.filter(text); }

private:
    static QtWarnings*& current() {
        static QtWarnings* instance = nullptr;
        return instance;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        QtWarnings* self = current();
        if (self && type == QtWarningMsg) self->messages_.push_back(message);
        if (self && self->previous_) self->previous_(type, context, message);
    }

    QtMessageHandler previous_ = nullptr;
    QStringList messages_;
};

} // namespace plenwick::test

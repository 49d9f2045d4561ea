#pragma once
// The change bookkeeping of an observable object on the GUI thread. Each public
// operation of the object opens an Operation; what the operation really changes is
// marked as one bit per field; when the outermost operation ends, the object tells its
// observers once, with those bits. Generic over the object's own `Field` enum (at most
// 64 values) and over how it tells them (normally `emit changed(fields)`), so each
// observable class keeps its enum and its signal.
//
//     class Session final : public QObject {
//         Q_OBJECT
//     public:
//         enum class Field : int { phase, items };
//         using Fields = quint64;
//         static constexpr Fields bit(Field field) noexcept { return ObservedFields<Field>::bit(field); }
//         void setPhase(Phase phase) {
//             Operation op(observed_);
//             observed_.assign(phase_, std::move(phase), Field::phase);
//         }
//     signals:
//         void changed(quint64 fields);
//     private:
//         using Operation = ObservedFields<Field>::Operation;
//         ObservedFields<Field> observed_{[this](quint64 fields) { emit changed(fields); }};
//         Phase phase_;
//     };
//
// - `Operation op(observed)` opens an operation. Operations nest; only the outermost
//   one tells, once, as it ends, and only when a bit is set. The outermost one also
//   checks that it runs on the GUI thread, in every build: off it, the program stops
//   with a message naming the caller (the function that opened the operation).
// - `assign(stored, value, field)` stores the value and marks the field when it differs
//   (by ==; it says whether it did); `touch(field)` marks a field changed in place;
//   `forget(field)` takes a mark back. Mark only inside an operation.
// - `settle`, when given, runs as the outermost operation ends, before the bits are
//   read: the place to `forget` a field that went and came back within the operation.
// - Several parts of one object may mark bits of one shared ObservedFields (hand them a
//   reference): the object still tells once per outermost operation, for all of them.
// - The object may be destroyed during an operation, by one of its own callbacks or by
//   an observer: the operations still open then end without touching it.
// - `notifying()` holds while the observers hear of a change. An operation begun then is
//   an observer re-entering the object: it is reported (OperationWhileNotifying.h) and
//   counts as an outermost operation of its own.

#include "runtime/GuiThread.h"
#include "runtime/OperationWhileNotifying.h"

#include <functional>
#include <source_location>
#include <type_traits>
#include <utility>

namespace plenwick {

template <class Field>
class ObservedFields {
public:
    // The type of quint64, the bits a `changed(quint64)` signal carries.
    using Fields = unsigned long long;
    static constexpr Fields bit(Field field) noexcept { return Fields(1) << static_cast<int>(field); }

    explicit ObservedFields(std::function<void(Fields)> notify, std::function<void()> settle = {})
        : notify_(std::move(notify)), settle_(std::move(settle)) {}
    ~ObservedFields() {
        for (Operation* op = innermost_; op; op = op->outer_) op->fields_ = nullptr;
        for (Operation* op = notifying_; op; op = op->outer_) op->fields_ = nullptr;
    }
    ObservedFields(const ObservedFields&) = delete;
    ObservedFields& operator=(const ObservedFields&) = delete;

    class Operation {
    public:
        explicit Operation(ObservedFields& fields, std::source_location caller = std::source_location::current()) noexcept
            : fields_(&fields), outer_(fields.innermost_) {
            if (!outer_) {
                assertGuiThread(caller);
                if (fields.notifying()) reportOperationWhileNotifying(caller);
            }
            // The object keeps this operation's address only while it is open: the
            // destructor takes it back, which GCC's dangling-pointer check can't see.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
            fields.innermost_ = this;
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
        }
        ~Operation() {
            if (!fields_) return; // the object went meanwhile
            fields_->innermost_ = outer_;
            if (!outer_) fields_->finish(*this);
        }
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        friend class ObservedFields;
        ObservedFields* fields_;
        // The enclosing operation while open; the notification this one interrupted
        // while it notifies.
        Operation* outer_;
    };

    void touch(Field field) noexcept { dirty_ |= bit(field); }
    void forget(Field field) noexcept { dirty_ &= ~bit(field); }
    template <class T>
    bool assign(T& stored, std::type_identity_t<T> value, Field field) {
        if (stored == value) return false;
        stored = std::move(value);
        touch(field);
        return true;
    }

    // The bits marked so far in the open operation.
    Fields pending() const noexcept { return dirty_; }
    bool inOperation() const noexcept { return innermost_ != nullptr; }
    bool notifying() const noexcept { return notifying_ != nullptr; }

private:
    void finish(Operation& op) {
        if (settle_) settle_();
        if (dirty_ == 0) return;
        const Fields fields = std::exchange(dirty_, 0);
        op.outer_ = std::exchange(notifying_, &op);
        // A copy: an observer may destroy the object, and with it `notify_`, mid-call.
        const std::function<void(Fields)> notify = notify_;
        const NotifyingObservers running;
        notify(fields);
        if (op.fields_) notifying_ = op.outer_;
    }

    std::function<void(Fields)> notify_;
    std::function<void()> settle_;
    Fields dirty_ = 0;
    Operation* innermost_ = nullptr;
    Operation* notifying_ = nullptr;
};

} // namespace plenwick

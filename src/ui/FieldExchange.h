#pragma once

// Member/field exchange: a dialog keeps the values of its fields in members and moves them to
// and from the controls in one pass over a fixed list of bindings, in the order they were bound.
//
//   FieldExchange exchange;                       // one per dialog, bound once
//   exchange.bind(controlAs<QLineEdit>(*this, 1015), vegetationViewRange);   // float
//   exchange.bind(controlAs<QLabel>(*this, 1088), aspectRatioText);          // QString
//   exchange.membersToFields();                   // show the members
//   if (!exchange.fieldsToMembers(prompter, this)) return;   // a field held no number
//
// Numbers are written and read in the C locale, whatever the user's locale is.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

class QLineEdit;

namespace dk3::ui {

class Prompter;

// The text a field shows for a number: floats in the shortest general form with at most 6
// significant digits (3500 -> "3500", 0.01f -> "0.01", 1e6 -> "1e+06"), doubles the same with 15
// digits, integers in decimal.
QString formatFieldValue(float value);
QString formatFieldValue(double value);
QString formatFieldValue(std::int32_t value);
QString formatFieldValue(std::uint32_t value);

// The number a field's text holds, or nothing when the text is not a number of that kind.
// Blanks and tabs around the number are allowed. Signed integers and reals take an optional '+'
// or '-'; an unsigned integer takes no sign at all. Trailing characters, values out of the
// type's range, infinities, NaN and hexadecimal forms are not numbers.
template <typename T> std::optional<T> parseFieldValue(const QString& text);
template <> std::optional<float> parseFieldValue<float>(const QString& text);
template <> std::optional<double> parseFieldValue<double>(const QString& text);
template <> std::optional<std::int32_t> parseFieldValue<std::int32_t>(const QString& text);
template <> std::optional<std::uint32_t> parseFieldValue<std::uint32_t>(const QString& text);

class FieldExchange {
public:
    // The members are referenced, not copied: they must outlive this object (make both members of
    // the same dialog).
    void bind(QLineEdit* field, float& member);
    void bind(QLineEdit* field, double& member);
    void bind(QLineEdit* field, std::int32_t& member);
    void bind(QLineEdit* field, std::uint32_t& member);
    // Text of a label, edit field, button or group box.
    void bind(QWidget* field, QString& member);

    // What the user is asked when a field holds no number; "Please enter a number." until set.
    void setInvalidNumberMessage(const QString& text) { invalidNumberMessage_ = text; }
    const QString& invalidNumberMessage() const { return invalidNumberMessage_; }

    // Shows every member in its field. A field that already shows the text keeps it untouched,
    // so the caret and undo history of the field being typed into survive.
    void membersToFields() const;

    // Takes every field into its member, in binding order. At the first field that holds no
    // number of its member's kind: shows the invalid-number message (OK button, exclamation icon,
    // empty caption) through prompter, focuses that field, selects its text, and stops; that
    // member and all later ones keep their values. Returns false then, true when all were taken.
    bool fieldsToMembers(Prompter& prompter, QWidget* parent);

private:
    using Member = std::variant<float*, double*, std::int32_t*, std::uint32_t*, QString*>;
    struct Binding {
        QPointer<QWidget> field;
        Member member;
    };

    std::vector<Binding> bindings_;
    QString invalidNumberMessage_ = QStringLiteral("Please enter a number.");
};

} // namespace dk3::ui

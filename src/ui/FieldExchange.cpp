#include "ui/FieldExchange.h"

#include "ui/Prompter.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace dk3::ui {
namespace {

// std::to_chars is locale-independent; snprintf("%g") would write "0,01" under a German locale,
// which Qt applications on Linux run with.
template <typename Real> QString formatReal(Real value, int significantDigits) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, significantDigits);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

// The text without the blanks and tabs around it, as 8-bit characters; nothing when it holds a
// character outside Latin-1, which no number contains.
std::optional<std::string> trimmedNumberText(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto isBlank = [](QChar c) {
        return c == u' ' || c == u'\t';
    };
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    std::string result;
    for (qsizetype i = begin; i < end; ++i) {
        if (text[i].unicode() > 0x7f)
            return std::nullopt;
        result += static_cast<char>(text[i].unicode());
    }
    return result;
}

enum class Sign { Allowed, Forbidden };

// Parses the whole of text with std::from_chars, which takes '-' but not '+'.
template <typename T> std::optional<T> parseWhole(const QString& text, Sign sign) {
    const auto trimmed = trimmedNumberText(text);
    if (!trimmed || trimmed->empty())
        return std::nullopt;
    const char* first = trimmed->data();
    const char* const last = first + trimmed->size();
    if (*first == '-' || *first == '+') {
        if (sign == Sign::Forbidden)
            return std::nullopt;
        if (*first == '+') {
            ++first;
            if (first == last || *first == '-' || *first == '+')
                return std::nullopt;
        }
    }
    T value{};
    std::from_chars_result result;
    if constexpr (std::is_floating_point_v<T>)
        result = std::from_chars(first, last, value, std::chars_format::general);
    else
        result = std::from_chars(first, last, value, 10);
    if (result.ec != std::errc() || result.ptr != last)
        return std::nullopt;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value))
            return std::nullopt;
    }
    return value;
}

QString widgetText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(widget))
        return group->title();
    return widget->windowTitle();
}

void setWidgetText(QWidget* widget, const QString& text) {
    if (widgetText(widget) == text)
        return;
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(text);
    else
        widget->setWindowTitle(text);
}

template <class... Fs> struct Overloaded : Fs... { using Fs::operator()...; };
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

} // namespace

QString formatFieldValue(float value) {
    return formatReal(value, 6);
}
QString formatFieldValue(double value) {
    return formatReal(value, 15);
}
QString formatFieldValue(std::int32_t value) {
    return QString::number(value);
}
QString formatFieldValue(std::uint32_t value) {
    return QString::number(value);
}

template <> std::optional<float> parseFieldValue<float>(const QString& text) {
    // Read as double first, as the C library would, so that "0.1" rounds once; then the value
    // must fit a float.
    const auto value = parseWhole<double>(text, Sign::Allowed);
    if (!value || std::fabs(*value) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(*value);
}
template <> std::optional<double> parseFieldValue<double>(const QString& text) {
    return parseWhole<double>(text, Sign::Allowed);
}
template <> std::optional<std::int32_t> parseFieldValue<std::int32_t>(const QString& text) {
    return parseWhole<std::int32_t>(text, Sign::Allowed);
}
template <> std::optional<std::uint32_t> parseFieldValue<std::uint32_t>(const QString& text) {
    return parseWhole<std::uint32_t>(text, Sign::Forbidden);
}

void FieldExchange::bind(QLineEdit* field, float& member) {
    bindings_.push_back({field, &member});
}
void FieldExchange::bind(QLineEdit* field, double& member) {
    bindings_.push_back({field, &member});
}
void FieldExchange::bind(QLineEdit* field, std::int32_t& member) {
    bindings_.push_back({field, &member});
}
void FieldExchange::bind(QLineEdit* field, std::uint32_t& member) {
    bindings_.push_back({field, &member});
}
void FieldExchange::bind(QWidget* field, QString& member) {
    bindings_.push_back({field, &member});
}

void FieldExchange::membersToFields() const {
    for (const Binding& binding : bindings_) {
        if (!binding.field)
            continue;
        const QString text = std::visit(Overloaded{[](const QString* member) { return *member; },
                                                   [](const auto* member) {
                                                       return formatFieldValue(*member);
                                                   }},
                                        binding.member);
        setWidgetText(binding.field, text);
    }
}

bool FieldExchange::fieldsToMembers(Prompter& prompter, QWidget* parent) {
    for (const Binding& binding : bindings_) {
        if (!binding.field)
            continue;
        const QString text = widgetText(binding.field);
        const bool taken = std::visit(Overloaded{[&](QString* member) {
                                                     *member = text;
                                                     return true;
                                                 },
                                                 [&](auto* member) {
                                                     using T =
                                                         std::remove_pointer_t<decltype(member)>;
                                                     const auto value = parseFieldValue<T>(text);
                                                     if (value)
                                                         *member = *value;
                                                     return value.has_value();
                                                 }},
                                      binding.member);
        if (taken)
            continue;
        prompter.showMessage(parent, QString(), invalidNumberMessage_, MessageIcon::Warning);
        binding.field->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(binding.field.data()))
            edit->selectAll();
        return false;
    }
    return true;
}

} // namespace dk3::ui

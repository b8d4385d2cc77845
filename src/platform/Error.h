#pragma once
// The one error type of the program: every failure that reaches the user is
// raised as a TamselError whose message says what failed and on what, so the
// application-wide handler can show it as it stands.

#include <QString>
#include <stdexcept>

class TamselError : public std::runtime_error {
public:
    explicit TamselError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}

    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

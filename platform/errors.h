#pragma once

#include <QString>

#include <exception>

namespace vx {

// The one exception type of the library: an error the user is told about,
// carrying the Italian message exactly as it must be shown.
class VxError : public std::exception {
public:
    explicit VxError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// The silent abort: ends an operation whose message was already shown.
// The application's general handler does not display it.
class VxAbort : public std::exception {
public:
    const char* what() const noexcept override { return "silent abort"; }
};

} // namespace vx

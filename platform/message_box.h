#pragma once

// Message boxes go through one function so that tests can intercept them,
// and the application's general error handler shows errors the same way.

#include <QString>

#include <exception>
#include <functional>
#include <vector>

namespace vx {

enum class MessageIcon { None, Information, Warning, Error, Question };
// Error is the stop icon ("Errore" boxes and the general error handler).
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageResult { Ok, Cancel, Yes, No };

// Shows a modal message box with Italian button captions ("OK", "Annulla",
// "Sì", "No") and returns the button pressed (closing the box counts as
// Cancel, or as the only button when there is one). While a
// MessageBoxInterceptor exists the call is recorded instead and answered
// with the interceptor's answer.
MessageResult showMessage(const QString& caption, const QString& text, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);

struct RecordedMessage {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// Test hook: while alive, showMessage records its calls and shows nothing.
// Interceptors nest; the innermost records.
class MessageBoxInterceptor {
public:
    explicit MessageBoxInterceptor(MessageResult answer = MessageResult::Ok);
    ~MessageBoxInterceptor();
    MessageBoxInterceptor(const MessageBoxInterceptor&) = delete;
    MessageBoxInterceptor& operator=(const MessageBoxInterceptor&) = delete;

    void setAnswer(MessageResult answer) { answer_ = answer; }
    MessageResult answer() const { return answer_; }
    const std::vector<RecordedMessage>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

private:
    friend MessageResult showMessage(const QString&, const QString&, MessageIcon, MessageButtons);
    MessageResult answer_;
    std::vector<RecordedMessage> messages_;
    MessageBoxInterceptor* previous_ = nullptr;
};

// The application's title: the caption of the general error handler's boxes.
QString applicationTitle();
void setApplicationTitle(const QString& title);

// The application's general error handler: a VxError's message (or another
// std::exception's text) in a box with the application's title as caption
// and the stop icon; a VxAbort is ignored.
void handleApplicationException(const std::exception_ptr& error);

// Runs `work`; an exception it throws goes to the general error handler.
// Returns true when `work` finished without an exception.
bool runGuarded(const std::function<void()>& work);

} // namespace vx

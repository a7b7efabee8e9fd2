#include "platform/message_box.h"

#include "platform/errors.h"
#include "platform/platform_state.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace vx {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBoxInterceptor::MessageBoxInterceptor(MessageResult answer)
    : answer_(answer), previous_(platformState().Interceptor) {
    platformState().Interceptor = this;
}

MessageBoxInterceptor::~MessageBoxInterceptor() {
    // Interceptors nest like scopes; restore the enclosing one.
    MessageBoxInterceptor*& current = platformState().Interceptor;
    if (current == this)
        current = previous_;
}

MessageResult showMessage(const QString& caption, const QString& text, MessageIcon icon,
                          MessageButtons buttons) {
    if (MessageBoxInterceptor* interceptor = platformState().Interceptor) {
        interceptor->messages_.push_back(RecordedMessage{caption, text, icon, buttons});
        return interceptor->answer_;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::Cancel;

    QMessageBox box(qtIcon(icon), caption, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    switch (buttons) {
    case MessageButtons::Ok:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        break;
    case MessageButtons::OkCancel:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        cancel = box.addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole);
        break;
    case MessageButtons::YesNo:
        yes = box.addButton(QStringLiteral("Sì"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
        break;
    case MessageButtons::YesNoCancel:
        yes = box.addButton(QStringLiteral("Sì"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
        cancel = box.addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole);
        break;
    }
    box.setDefaultButton(ok ? ok : yes);
    if (cancel)
        box.setEscapeButton(cancel);
    else if (ok)
        box.setEscapeButton(ok);
    box.exec();
    QAbstractButton* pressed = box.clickedButton();
    if (pressed && pressed == ok)
        return MessageResult::Ok;
    if (pressed && pressed == yes)
        return MessageResult::Yes;
    if (pressed && pressed == no)
        return MessageResult::No;
    if (!pressed && buttons == MessageButtons::Ok)
        return MessageResult::Ok;
    return MessageResult::Cancel;
}

QString applicationTitle() {
    return platformState().ApplicationTitle;
}

void setApplicationTitle(const QString& title) {
    platformState().ApplicationTitle = title;
}

void handleApplicationException(const std::exception_ptr& error) {
    if (!error)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const VxAbort&) {
        // Silent: the message was shown by whoever aborted.
    } catch (const VxError& e) {
        showMessage(applicationTitle(), e.message(), MessageIcon::Error);
    } catch (const std::exception& e) {
        showMessage(applicationTitle(), QString::fromUtf8(e.what()), MessageIcon::Error);
    } catch (...) {
        showMessage(applicationTitle(), QStringLiteral("Errore sconosciuto"), MessageIcon::Error);
    }
}

bool runGuarded(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (...) {
        handleApplicationException(std::current_exception());
        return false;
    }
}

} // namespace vx

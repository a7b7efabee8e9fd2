#pragma once

// A fixture whose resolver knows only the built-in function table (no
// report), with the Italian locale settings; a function's own failure
// message is recorded as the report's resolver would record it.
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"

#include <gtest/gtest.h>

#include <memory>

namespace vx::test {

class FunctionLibraryFixture : public ::testing::Test {
protected:
    void SetUp() override {
        setLocaleSettings(LocaleSettings::italian());
        resolver_ = std::make_unique<ScopedExprResolver>(
            [this](const QString& name, const QStringList* args, Variant& value) {
                if (!args)
                    return;
                QString message;
                const CallOutcome outcome =
                    CallBuiltinFunction(name.trimmed().toUpper(), *args, value, &message);
                if (outcome == CallOutcome::WrongArgCount || outcome == CallOutcome::Failed)
                    messages_ << message;
            });
    }
    void TearDown() override {
        resolver_.reset();
        resetLocaleSettings();
    }

    Variant eval(const QString& text) { return EvaluateExpression(text); }

    // Evaluates a call that must fail inside the function: the evaluator then
    // reports the unknown name, and the function's own message is recorded.
    QString failure(const QString& text) {
        messages_.clear();
        EXPECT_THROW(eval(text), VxError) << text.toStdString();
        return messages_.isEmpty() ? QString() : messages_.first();
    }

    // The message of an evaluation that fails as a whole.
    static QString errorOf(const QString& text) {
        try {
            EvaluateExpression(text);
        } catch (const VxError& e) {
            return e.message();
        }
        return QStringLiteral("<no error>");
    }

    QStringList messages_;
    std::unique_ptr<ScopedExprResolver> resolver_;
};

} // namespace vx::test

#pragma once

// Shared set-up of the report model tests: fresh library state, printer
// settings without printers (only the pseudo printer), message boxes
// recorded instead of shown.

#include "platform/message_box.h"
#include "report/library_state.h"
#include "report/printer_settings.h"
#include "tests/support/fake_canvas.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>

namespace vx::test {

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetLibraryState();
        savedPrinter_ = ReplacePrinterSettings(std::make_unique<TPrinterSettings>(nullptr));
        messages_ = std::make_unique<MessageBoxInterceptor>();
    }
    void TearDown() override {
        messages_.reset();
        ReplacePrinterSettings(std::move(savedPrinter_));
        resetLibraryState();
    }
    const std::vector<RecordedMessage>& messages() const { return messages_->messages(); }
    void clearMessages() { messages_->clear(); }

private:
    std::unique_ptr<TPrinterSettings> savedPrinter_;
    std::unique_ptr<MessageBoxInterceptor> messages_;
};

// The fake canvas as the designer drawing tests use it: pens and brushes
// recorded too, every character 6 pixels wide, no font metrics.
inline FakeCanvas styleRecorder() {
    FakeCanvas canvas;
    canvas.recordStyles = true;
    canvas.charWidth = 6;
    canvas.metrics = TextMetrics{};
    return canvas;
}

} // namespace vx::test

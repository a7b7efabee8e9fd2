#pragma once

// Shared set-up of the report model tests: fresh library state, printer
// settings without printers (only the pseudo printer), message boxes
// recorded instead of shown.

#include "platform/canvas.h"
#include "platform/message_box.h"
#include "report/library_state.h"
#include "report/printer_settings.h"

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

// A canvas that records the drawing calls as text, one line per call.
class CallRecorder : public Canvas {
public:
    QStringList calls;

    int dpiX() const override { return 96; }
    int dpiY() const override { return 96; }
    void setPen(const PenSpec& p) override {
        pen_ = p;
        calls << QStringLiteral("pen %1 %2").arg(p.width).arg(p.color.value());
    }
    void setBrush(const BrushSpec& b) override {
        brush_ = b;
        calls << QStringLiteral("brush %1 %2").arg(int(b.style)).arg(b.color.value());
    }
    void setFont(const FontSpec& f) override { font_ = f; }
    const PenSpec& pen() const override { return pen_; }
    const BrushSpec& brush() const override { return brush_; }
    const FontSpec& font() const override { return font_; }
    void setTextColor(Color) override {}
    void setBackgroundColor(Color) override {}
    void setBackgroundMode(BackgroundMode) override {}
    void setTextAlign(uint32_t) override {}
    void setFillMode(FillMode) override {}
    TextMetrics textMetrics() override { return {}; }
    // Every character is 6 pixels wide.
    int textWidth(const QString& text) override { return int(text.size()) * 6; }
    std::vector<int> charAdvances(const QString& text) override {
        return std::vector<int>(size_t(text.size()), 6);
    }
    void textOut(int x, int y, const QString& text, uint32_t, const QRect&,
                 const std::vector<int>&) override {
        calls << QStringLiteral("text %1 %2 %3").arg(x).arg(y).arg(text);
    }
    static QString edges(const QRect& r) {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(r.left())
            .arg(r.top())
            .arg(r.right() + 1)
            .arg(r.bottom() + 1);
    }
    void rectangle(const QRect& r) override { calls << QStringLiteral("rect ") + edges(r); }
    void fillRect(const QRect& r, const BrushSpec& b) override {
        calls << QStringLiteral("fill %1 %2").arg(edges(r)).arg(b.color.value());
    }
    void ellipse(const QRect&) override {}
    void roundRect(const QRect&, int, int) override {}
    void polygon(const std::vector<QPoint>&) override {}
    void polyline(const std::vector<QPoint>&) override {}
    void moveTo(int x, int y) override { calls << QStringLiteral("move %1 %2").arg(x).arg(y); }
    void lineTo(int x, int y) override { calls << QStringLiteral("line %1 %2").arg(x).arg(y); }
    void drawImage(const QRect& r, const QImage&) override {
        calls << QStringLiteral("image ") + edges(r);
    }
    int saveState() override { return 1; }
    void restoreState(int) override {}
    void intersectClipRect(const QRect&) override {}
    void excludeClipRect(const QRect&) override {}
    void setClipRegion(const QRegion&) override {}
    void resetClip() override {}
    void setWorldTransform(const QTransform&) override {}
    QTransform worldTransform() const override { return {}; }

private:
    PenSpec pen_;
    BrushSpec brush_;
    FontSpec font_;
};

} // namespace vx::test

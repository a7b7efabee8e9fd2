#include "report/pages.h"

#include "platform/errors.h"
#include "report/library_state.h"
#include "report/printer_settings.h"
#include "report/report.h"
#include "report/template_messages.h"
#include "report/values.h"
#include "report/view.h"

namespace vx {

void checkStream(const ByteReader& in) {
    if (!in.ok())
        throw VxError(streamReadErrorMessage());
}

namespace {
enum : uint8_t { kTagPage = 255, kTagVariables = 254 };
} // namespace

TvxPages::TvxPages(TvxReport* report) : report_(report) {}
TvxPages::~TvxPages() {
    Clear();
}

void TvxPages::Clear() {
    while (!list_.empty())
        list_.pop_back();
}

TvxPage& TvxPages::Add() {
    auto page = std::make_unique<TvxPage>(9, 0, 0, 0);
    page->Report = report_;
    list_.push_back(std::move(page));
    return *list_.back();
}

void TvxPages::Delete(int index) {
    if (index >= 0 && index < Count())
        list_.erase(list_.begin() + index);
}

void TvxPages::TakePages(TvxPages& other) {
    for (auto& page : other.list_) {
        page->Report = report_;
        for (const auto& view : page->Objects)
            view->Report = report_;
        list_.push_back(std::move(page));
    }
    other.list_.clear();
}

int TvxPages::IndexOf(const TvxPage* page) const {
    for (size_t i = 0; i < list_.size(); ++i)
        if (list_[i].get() == page)
            return int(i);
    return -1;
}

namespace {

void readObject(TvxPages& pages, ByteReader& in, uint8_t tag) {
    QString className;
    if (tag == otAddIn) {
        className = ReadStringAsList(in);
        checkStream(in);
    }
    const int pageIndex = in.u8();
    checkStream(in);
    std::unique_ptr<TvxView> view = CreateObject(tag, className);
    if (!view)
        throw VxError(streamReadErrorMessage()); // tags 4 to 9
    if (pageIndex >= pages.Count())
        throw VxError(streamReadErrorMessage());
    TvxView* placed = pages[pageIndex].Add(std::move(view));
    placed->LoadFromStream(in);
    checkStream(in);
}

} // namespace

void TvxPages::LoadFromStream(ByteReader& in) {
    Clear();
    TvxReport* report = report_;
    const bool printToCurrent = ReadBool16(in);
    const bool twoPass = ReadBool16(in);
    bool collate = false;
    bool repaginate = false;
    if (FileVersion >= 23) {
        collate = ReadBool16(in);
        repaginate = ReadBool16(in);
    }
    checkStream(in);
    if (report) {
        report->PrintToCurrentPrinter = printToCurrent;
        report->TwoPass = twoPass;
        report->Collate = collate;
        report->Repaginate = repaginate;
    }
    const QStringList printer = ReadStringList(in);
    checkStream(in);
    if (!printer.isEmpty())
        PrinterSettings().SelectStoredPrinter(report, printer.first());

    while (!in.atEnd()) {
        const uint8_t tag = in.u8();
        checkStream(in);
        if (tag == kTagPage) {
            TvxPage& page = Add();
            page.LoadFromStream(in);
            checkStream(in);
        } else if (tag == kTagVariables) {
            if (report) {
                if (!report->Values->ReadBinaryData(in))
                    throw VxError(streamReadErrorMessage());
                report->Variables = ReadStringList(in);
            } else {
                TvxValues scratch;
                if (!scratch.ReadBinaryData(in))
                    throw VxError(streamReadErrorMessage());
                ReadStringList(in);
            }
            checkStream(in);
        } else if (tag > otAddIn) {
            break; // an unknown record ends the stream
        } else {
            readObject(*this, in, tag);
        }
    }
    // A stream without page record (cut right after its header) would
    // leave a report without pages, which every caller assumes it has.
    if (Count() == 0)
        Add();
}

void TvxPages::SaveToStream(ByteWriter& out) const {
    const TvxReport* report = report_;
    WriteBool16(out, report ? report->PrintToCurrentPrinter : true);
    WriteBool16(out, report ? report->TwoPass : false);
    WriteBool16(out, report ? report->Collate : false);
    WriteBool16(out, report ? report->Repaginate : false);
    WriteStringList(out, QStringList{PrinterSettings().SelectedPrinterName()});
    for (const auto& page : list_) {
        out.u8(kTagPage);
        page->SaveToStream(out);
    }
    for (int p = 0; p < Count(); ++p) {
        const TvxPage& page = *list_[size_t(p)];
        if (!page.Objects.empty() && p > 255)
            throw VxError(saveFailedMessage()); // the page index is one byte
        for (const auto& view : page.Objects) {
            out.u8(view->ObjectType);
            if (view->ObjectType == otAddIn)
                WriteStringAsList(out, view->ClassName());
            out.u8(uint8_t(p));
            view->SaveToStream(out);
        }
    }
    out.u8(kTagVariables);
    if (report) {
        report->Values->WriteBinaryData(out);
        WriteStringList(out, report->Variables);
    } else {
        TvxValues().WriteBinaryData(out);
        WriteStringList(out, QStringList());
    }
}

} // namespace vx

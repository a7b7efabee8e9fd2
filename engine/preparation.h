#pragma once

// Preparation: a report's template run over its data into its prepared
// pages, in one pass or in two (the first draws nothing and only counts the
// pages, so that TOTALPAGES is known), with or without the progress window;
// the document and page events; the collated page order; PrepareAndShow.

#include <cstdint>
#include <vector>

namespace vx {

class TvxReport;

// Prepares the report. False only when the user cancelled the progress
// window of a single-pass preparation; callers check ErrorRaised for failure.
// An exception raised while a template page initialises (a failing filter,
// a component of the wrong class) leaves to the caller.
bool Prepare(TvxReport& report);
// Prepare, then the "Errore" box with ErrorText or the preview; the prepared
// pages are emptied and ErrorRaised cleared in every case.
void PrepareAndShow(TvxReport& report);

// One pass (also the progress window's work).
void RunPass(TvxReport& report);
// Builds every output page of one pass.
void BuildPages(TvxReport& report);
// The progress display, with the number of the page reached.
void ReportProgress(int n);

// The collated order of output pages produced per template page: the template
// pages in turn, each giving its next output page, until all are placed.
// `counts` holds each template page's number of output pages (in order).
std::vector<int32_t> CollatedOrder(const std::vector<int32_t>& counts);

// The most template pages a report may have.
inline constexpr int kMaxTemplatePages = 1000;

} // namespace vx

#pragma once

// TvxSubReportView: marks where the contents of another template page are
// printed.

#include "report/view.h"

namespace vx {

class TvxSubReportView : public TvxView {
public:
    explicit TvxSubReportView(TvxReport* report);

    QString ClassName() const override { return QStringLiteral("TvxSubReportView"); }
    void Assign(const TvxView& source) override;
    void Draw(Canvas& canvas) override;
    void LoadFromStream(ByteReader& stream) override;
    void SaveToStream(ByteWriter& stream) const override;

    int32_t SubPage = 0; // position from 0 of the page it prints
};

} // namespace vx

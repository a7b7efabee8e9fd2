#include "platform/emf/emf_text.h"

#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_records.h"

namespace vx::emf {

namespace {

EmfTextItem itemOf(const TextRecord& t, const EmfRecord& rec, int index) {
    EmfTextItem item;
    item.recordIndex = index;
    item.recordType = rec.type;
    item.text = t.text;
    item.reference = t.reference;
    item.bounds = t.bounds;
    item.textRect = t.rect;
    item.options = t.options;
    item.advances = t.dx;
    return item;
}

} // namespace

std::optional<EmfTextItem> textOfRecord(const EmfRecord& rec, int recordIndex) {
    if (rec.type != EMR_EXTTEXTOUTW && rec.type != EMR_EXTTEXTOUTA)
        return std::nullopt;
    const auto t = readExtTextOut(rec, rec.type == EMR_EXTTEXTOUTW);
    if (!t)
        return std::nullopt;
    return itemOf(*t, rec, recordIndex);
}

std::vector<EmfTextItem> extractText(const EmfPicture& picture) {
    std::vector<EmfTextItem> out;
    const int n = picture.recordCount();
    for (int i = 0; i < n; ++i) {
        const EmfRecord rec = picture.record(i);
        switch (rec.type) {
        case EMR_EXTTEXTOUTW:
        case EMR_EXTTEXTOUTA:
            if (auto item = textOfRecord(rec, i))
                out.push_back(std::move(*item));
            break;
        case EMR_POLYTEXTOUTW:
        case EMR_POLYTEXTOUTA:
            if (auto all = readPolyTextOut(rec, rec.type == EMR_POLYTEXTOUTW))
                for (const TextRecord& t : *all)
                    out.push_back(itemOf(t, rec, i));
            break;
        case EMR_SMALLTEXTOUT:
            if (auto t = readSmallTextOut(rec))
                out.push_back(itemOf(*t, rec, i));
            break;
        default:
            break;
        }
    }
    return out;
}

} // namespace vx::emf

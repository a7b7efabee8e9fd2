// The library's start-up registers the six add-in object classes in their
// order, each with its hint and tool button.
#include "addins/register_addins.h"
#include "app/library_init.h"
#include "report/addin_registry.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(LibraryInit, RegistersTheSixAddInsInOrder) {
    EmptyAddInRegistryGuard emptyRegistry;
    RegisterAddIns();
    RegisterAddIns(); // a second call changes nothing
    const std::pair<const char*, const char*> expected[] = {
        {"TvxFramedMemoView", "Inserisci rettangolo bordato"},
        {"TvxOLEView", "Inserisci oggetto OLE"},
        {"TvxGraphView", "Inserisci grafico"},
        {"TvxCodeBarreView", "Inserisci codice a barre"},
        {"TvxShapeView", "Inserisci forma geometrica"},
        {"TvxRichView", "Inserisci oggetto RichText"},
    };
    const auto& rows = AddInObjects();
    ASSERT_EQ(rows.size(), std::size(expected));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].ClassName, QString::fromUtf8(expected[i].first));
        EXPECT_EQ(rows[i].ButtonHint, QString::fromUtf8(expected[i].second));
    }
}

} // namespace
} // namespace vx

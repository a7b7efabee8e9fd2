#include "addins/register_addins.h"

#include "addins/barcode/codebarre_view.h"
#include "addins/chart/graph_view.h"
#include "addins/framedtext/framed_memo_view.h"
#include "addins/ole/ole_view.h"
#include "addins/richtext/rich_view.h"
#include "addins/shape/shape_view.h"
#include "report/library_state.h"

namespace vx {

void RegisterAddIns() {
    libraryState().addInitialiser(QStringLiteral("add-ins"), [] {
        RegisterFramedMemoAddIn();
        RegisterOleAddIn();
        RegisterGraphAddIn();
        RegisterBarcodeAddIn();
        RegisterShapeAddIn();
        RegisterRichTextAddIn();
    });
}

} // namespace vx

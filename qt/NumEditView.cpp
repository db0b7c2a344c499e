// The numeric edit: a right-aligned line whose every key, paste and input-method
// commit goes to the model (KeyEditView).
#include "qt/KeyEditView.h"

namespace kel::qt {

std::unique_ptr<ControlView> MakeNumEditView(CWnd& model, DialogView& dialog, QWidget* parent) {
    auto view = std::make_unique<KeyEditView>(model, dialog, parent);
    view->Edit()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return view;
}

}  // namespace kel::qt

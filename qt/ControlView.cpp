#include "qt/ControlView.h"

#include <QEvent>
#include <QFocusEvent>

#include "host/win/Controls.h"
#include "qt/DialogView.h"

namespace kel::qt {

ControlView::ControlView(CWnd& model, DialogView& dialog) : m_model(&model), m_dialog(dialog) { model.SetView(this); }

ControlView::~ControlView() {
    if (m_model && m_model->GetView() == this) m_model->SetView(nullptr);
    if (m_widget) m_widget->removeEventFilter(this);
}

void ControlView::Detach() {
    if (m_model && m_model->GetView() == this) m_model->SetView(nullptr);
    if (m_model) OnDetached();
    m_model = nullptr;
    if (m_widget) m_widget->removeEventFilter(this);
}

void ControlView::SetWidget(QWidget* widget) {
    m_widget = widget;
    // Hidden controls keep their place, as on the dialog they were drawn for.
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
    widget->installEventFilter(this);
    widget->setObjectName(QString::number(m_model->GetDlgCtrlID()));
}

void ControlView::ModelChanged(CWnd& wnd, win::Aspect aspect) {
    if (&wnd != m_model || !m_widget) return;
    UpdateGuard guard(*this);
    using win::Aspect;
    bool all = aspect == Aspect::All;
    if (all || aspect == Aspect::Enabled || aspect == Aspect::Style) m_widget->setEnabled(m_model->IsWindowEnabled());
    if (all || aspect == Aspect::Visible) m_widget->setVisible(m_model->IsWindowVisible());
    if ((all || aspect == Aspect::Focus) && m_model->HasFocus() && !m_widget->hasFocus() && m_widget->isVisible())
        m_widget->setFocus(Qt::OtherFocusReason);
    Refresh(aspect);
}

bool ControlView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_widget && m_model && !Updating()) {
        if (event->type() == QEvent::FocusIn) {
            UpdateGuard guard(*this);
            m_model->SetFocus();  // quiet: only the dialog's record of the focus moves
        } else if (event->type() == QEvent::FocusOut) {
            // Leaving counts when the person moves on, not when another window (a
            // message box, a list popping up) takes the keyboard for a while.
            auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) OnLeave();
        }
    }
    return QObject::eventFilter(watched, event);
}

void ControlView::AfterUserAction() { m_dialog.AfterUserAction(); }

std::unique_ptr<ControlView> MakeControlView(CWnd& model, DialogView& dialog, QWidget* parent) {
    using win::ControlKind;
    std::unique_ptr<ControlView> view;
    switch (model.GetKind()) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
        case ControlKind::GroupBox: view = MakeButtonView(model, dialog, parent); break;
        case ControlKind::Edit: view = MakeEditView(model, dialog, parent); break;
        case ControlKind::NumEdit: view = MakeNumEditView(model, dialog, parent); break;
        case ControlKind::Combo: view = MakeComboView(model, dialog, parent); break;
        case ControlKind::CheckList: view = MakeCheckListView(model, dialog, parent); break;
        case ControlKind::ReportList: view = MakeReportListView(model, dialog, parent); break;
        case ControlKind::Grid: view = MakeGridView(model, dialog, parent); break;
        case ControlKind::DateTime: view = MakeDateView(model, dialog, parent); break;
        default: break;
    }
    // A model of another type than its kind promises (or a kind without a view)
    // shows its text.
    if (!view) view = MakeLabelView(model, dialog, parent);
    view->RefreshAll();
    return view;
}

}  // namespace kel::qt

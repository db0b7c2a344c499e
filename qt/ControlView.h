// The view of one control model: a widget that shows the model and carries the
// person's actions back through the model's User... operations. Changes the program
// makes to the model reach the widget through ModelChanged and raise no user
// handler: while the view updates its widget, the widget's signals are not taken
// for the person's doing.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "host/win/Wnd.h"

namespace kel::qt {

class DialogView;

class ControlView : public QObject, public win::WndView {
public:
    ControlView(CWnd& model, DialogView& dialog);
    ~ControlView() override;

    QWidget* Widget() const { return m_widget; }
    CWnd* Model() const { return m_model; }
    // The model is going away: the widget stays, inert.
    void Detach();
    void ModelChanged(CWnd& wnd, win::Aspect aspect) final;
    void RefreshAll() { ModelChanged(*m_model, win::Aspect::All); }
    // Whether the layout should give this control spare width / height.
    virtual bool Stretches() const { return false; }
    virtual bool StretchesVertically() const { return false; }

protected:
    // Takes the widget in (focus tracking, the model's enabled/visible state).
    void SetWidget(QWidget* widget);
    // Brings the kind's own state of the widget in line with the model.
    virtual void Refresh(win::Aspect aspect) = 0;
    // The person moved the focus out of the control.
    virtual void OnLeave() {}
    // The model has gone; drop anything else that points into it.
    virtual void OnDetached() {}

    // Runs the person's action on the model, unless the view itself is updating the
    // widget or the model is gone; then lets the dialog see whether it has ended.
    template <class F>
    void User(F&& action) {
        if (!m_model || m_updating > 0) return;
        action(*m_model);
        AfterUserAction();
    }
    bool Updating() const { return m_updating > 0; }
    struct UpdateGuard {
        explicit UpdateGuard(ControlView& v) : view(v) { ++view.m_updating; }
        ~UpdateGuard() { --view.m_updating; }
        ControlView& view;
    };

    bool eventFilter(QObject* watched, QEvent* event) override;
    void AfterUserAction();

    CWnd* m_model;
    DialogView& m_dialog;

private:
    QPointer<QWidget> m_widget;
    int m_updating = 0;
};

// The view for a model, by its kind; its widget is a child of `parent`.
std::unique_ptr<ControlView> MakeControlView(CWnd& model, DialogView& dialog, QWidget* parent);

// One maker per kind (each in its own file).
std::unique_ptr<ControlView> MakeLabelView(CWnd& model, DialogView& dialog, QWidget* parent);
std::unique_ptr<ControlView> MakeButtonView(CWnd& model, DialogView& dialog, QWidget* parent);
std::unique_ptr<ControlView> MakeEditView(CWnd& model, DialogView& dialog, QWidget* parent);
std::unique_ptr<ControlView> MakeNumEditView(CWnd& model, DialogView& dialog, QWidget* parent);
std::unique_ptr<ControlView> MakeComboView(CWnd& model, DialogView& dialog, QWidget* parent);
std::unique_ptr<ControlView> MakeCheckListView(CWnd& model, DialogView& dialog, QWidget* parent);
std::unique_ptr<ControlView> MakeReportListView(CWnd& model, DialogView& dialog, QWidget* parent);
std::unique_ptr<ControlView> MakeGridView(CWnd& model, DialogView& dialog, QWidget* parent);
std::unique_ptr<ControlView> MakeDateView(CWnd& model, DialogView& dialog, QWidget* parent);

}  // namespace kel::qt

// The window of one modal dialog: built from the dialog's controls (its template
// and the members that took their places), laid out on a grid from the layout hints.
// Enter, Esc and the close box go to the dialog model, which decides.
#pragma once

#include <QDialog>

#include <map>
#include <memory>
#include <vector>

#include "host/win/Dialog.h"
#include "qt/ControlView.h"

namespace kel::qt {

class QtDriver;

class DialogView : public QDialog, public win::WndView {
public:
    DialogView(CDialog& model, QtDriver& driver, QWidget* parent);
    ~DialogView() override;

    CDialog* Model() const { return m_model; }
    // The widget showing control `id` (null when none).
    QWidget* WidgetFor(int id) const;
    // Gives the keyboard to the control the model has the focus on.
    void FocusModelItem();
    // Every view forgets its model; the widgets stay but do nothing.
    void DetachAll();
    // After each of the person's actions: the dialog may have ended.
    void AfterUserAction();

    void ModelChanged(CWnd& wnd, win::Aspect aspect) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void accept() override {}

private:
    void Build();
    template <class F>
    void User(F&& action);

    CDialog* m_model;
    QtDriver& m_driver;
    std::vector<std::unique_ptr<ControlView>> m_views;
    std::map<int, ControlView*> m_byId;
};

}  // namespace kel::qt

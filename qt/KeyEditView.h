// The view of a field whose model takes the user's input itself (win::KeyInput: the
// numeric edit, the date field). Every way text can enter the line edit is handed to
// the model as keys or as a paste: keys, the clipboard, the primary selection (a
// middle click), an input method's commit, a drop. The model decides what the field
// holds and where the caret goes; the widget shows it. A change the widget makes by
// any other way (undo, say) is taken back: nothing reaches the text unchecked.
#pragma once

#include <QLineEdit>

#include <functional>

#include "qt/ControlView.h"

namespace win {
class KeyInput;
}

namespace kel::qt {

// Where a middle click takes its text: the primary selection of platforms that have
// one. Tests put in their own reader (the off-screen platform has no selection); an
// empty function puts the platform's back.
using SelectionReader = std::function<QString()>;
void SetPrimarySelectionReader(SelectionReader reader);

class KeyEditView : public ControlView {
public:
    KeyEditView(CWnd& model, DialogView& dialog, QWidget* parent);
    bool Stretches() const override { return true; }
    QLineEdit* Edit() const { return m_edit; }

protected:
    void Refresh(win::Aspect aspect) override;
    void OnLeave() override;
    // The model's selection (byte offsets) and read-only state, by its type; the
    // base knows the edit.
    virtual bool ModelSelection(int& start, int& end) const;
    virtual bool ModelReadOnly() const;

private:
    class Line;
    win::KeyInput* Input() const;
    void ShowSelection(const QString& text);
    void SendCaret(win::KeyInput& input);
    template <class F>
    void Forward(F&& action);

    bool HandleKey(QKeyEvent* event);
    void Type(const QString& text);
    void Paste(const QString& text);
    void TakeBack();

    QLineEdit* m_edit;
};

}  // namespace kel::qt

// The numeric edit: every key and paste goes to the model (win::KeyInput), which
// decides what the field holds and where the caret goes; the widget only moves the
// caret itself (arrows, Home, End) and shows the result. The system clipboard and
// the window layer's clipboard are kept in step around cut, copy and paste. A model
// that takes no keys one by one is edited as plain text.
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <functional>

#include "host/qt/ControlView.h"
#include "host/qt/Text.h"
#include "host/win/Controls.h"
#include "host/win/KeyInput.h"

namespace kel::qt {
namespace {

class KeyLineEdit : public QLineEdit {
public:
    using KeyHandler = std::function<bool(QKeyEvent*)>;
    KeyLineEdit(QWidget* parent, KeyHandler handler) : QLineEdit(parent), m_handler(std::move(handler)) {
        setContextMenuPolicy(Qt::NoContextMenu);  // cut and paste only through the keys
        setDragEnabled(false);
        setAcceptDrops(false);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (m_handler && m_handler(event)) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

private:
    KeyHandler m_handler;
};

class NumEditView : public ControlView {
public:
    NumEditView(CWnd& model, DialogView& dialog, QWidget* parent) : ControlView(model, dialog) {
        m_edit = new KeyLineEdit(parent, [this](QKeyEvent* e) { return HandleKey(e); });
        m_edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        SetWidget(m_edit);
        // Plain editing for a model that does not take keys itself.
        connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& text) {
            User([&](CWnd& m) {
                if (auto* edit = dynamic_cast<CEdit*>(&m))
                    edit->UserSetText(C(text));
                else
                    m.SetWindowText(C(text));
            });
            if (m_model) ModelChanged(*m_model, win::Aspect::Text);
        });
    }
    bool Stretches() const override { return true; }

protected:
    void Refresh(win::Aspect aspect) override {
        using win::Aspect;
        auto* edit = dynamic_cast<CEdit*>(m_model);
        if ((aspect == Aspect::All || aspect == Aspect::Style) && edit) m_edit->setReadOnly(edit->IsReadOnly());
        if (aspect == Aspect::All || aspect == Aspect::Text || aspect == Aspect::Selection) {
            QString text = Q(m_model->GetText());
            if (m_edit->text() != text) m_edit->setText(text);
            if (edit && aspect != Aspect::All) ShowSelection(*edit, text);
        }
    }
    void OnLeave() override {
        User([](CWnd& m) {
            if (auto* edit = dynamic_cast<CEdit*>(&m)) edit->UserLeave();
        });
    }

private:
    void ShowSelection(CEdit& edit, const QString& text) {
        int a = 0, b = 0;
        edit.GetSel(a, b);
        int start = CharPosition(text, a);
        int end = CharPosition(text, b);
        if (start == end)
            m_edit->setCursorPosition(start);
        else
            m_edit->setSelection(start, end - start);
    }

    void SendCaret(win::KeyInput& input) {
        QString text = m_edit->text();
        int start = m_edit->hasSelectedText() ? m_edit->selectionStart() : m_edit->cursorPosition();
        int end = m_edit->hasSelectedText() ? m_edit->selectionEnd() : start;
        input.SetCaret(Utf8Offset(text, start), Utf8Offset(text, end));
    }

    bool HandleKey(QKeyEvent* e) {
        auto* input = dynamic_cast<win::KeyInput*>(m_model);
        if (!input || m_edit->isReadOnly()) return false;
        auto forward = [&](auto&& action) {
            SendCaret(*input);
            User([&](CWnd&) { action(*input); });
            return true;
        };
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (e->matches(QKeySequence::Paste)) {
            win::Clipboard::SetText(C(clipboard->text()));
            return forward([](win::KeyInput& in) { in.OnChar(kCtrlV); });
        }
        if (e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Copy)) {
            unsigned ch = e->matches(QKeySequence::Cut) ? kCtrlX : kCtrlC;
            win::Clipboard::SetText(CString());
            forward([ch](win::KeyInput& in) { in.OnChar(ch); });
            CString copied = win::Clipboard::GetText();
            if (!copied.IsEmpty()) clipboard->setText(Q(copied));
            return true;
        }
        switch (e->key()) {
            case Qt::Key_Backspace: return forward([](win::KeyInput& in) { in.OnChar(VK_BACK); });
            case Qt::Key_Delete: return forward([](win::KeyInput& in) { in.OnKeyDown(VK_DELETE); });
            case Qt::Key_Insert: return forward([](win::KeyInput& in) { in.OnKeyDown(VK_INSERT); });
            default: break;
        }
        const auto modifiers = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        QString text = e->text();
        if (modifiers || text.isEmpty() || !text[0].isPrint()) return false;  // caret keys, Enter, Esc, Tab
        return forward([&](win::KeyInput& in) {
            for (QChar ch : text) in.OnChar(ch.unicode());
        });
    }

    KeyLineEdit* m_edit;
};

}  // namespace

std::unique_ptr<ControlView> MakeNumEditView(CWnd& model, DialogView& dialog, QWidget* parent) {
    return std::make_unique<NumEditView>(model, dialog, parent);
}

}  // namespace kel::qt

#include "qt/KeyEditView.h"

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "host/win/Controls.h"
#include "host/win/KeyInput.h"
#include "qt/Text.h"

namespace kel::qt {
namespace {

SelectionReader& Reader() {
    static SelectionReader reader;
    return reader;
}

QString PrimarySelection() {
    if (Reader()) return Reader()();
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard->supportsSelection() ? clipboard->text(QClipboard::Selection) : QString();
}

// An input method in Chinese mode commits full-width digits and signs ("１２。５"):
// they mean the ASCII ones.
QChar Halfwidth(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E) return QChar(static_cast<char16_t>(u - 0xFEE0));
    if (u == 0x3002) return QChar(u'.');  // the ideographic full stop
    if (u == 0x3000) return QChar(u' ');
    return c;
}

}  // namespace

void SetPrimarySelectionReader(SelectionReader reader) { Reader() = std::move(reader); }

// The line edit: hands every way of entering text to its view.
class KeyEditView::Line : public QLineEdit {
public:
    Line(QWidget* parent, KeyEditView& view) : QLineEdit(parent), m_view(view) {
        setContextMenuPolicy(Qt::NoContextMenu);  // cut and paste through the keys
        setDragEnabled(false);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (m_view.HandleKey(event)) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    // What the input method commits is typed; what it is still composing is not
    // shown in the field.
    void inputMethodEvent(QInputMethodEvent* event) override {
        if (!event->commitString().isEmpty()) m_view.Type(event->commitString());
        event->accept();
    }
    // A middle click pastes the primary selection (the press has put the caret).
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::MiddleButton) {
            const QString text = PrimarySelection();
            if (!text.isEmpty()) m_view.Paste(text);
            event->accept();
            return;
        }
        QLineEdit::mouseReleaseEvent(event);
    }
    void dropEvent(QDropEvent* event) override {
        if (!event->mimeData()->hasText() || isReadOnly()) {
            event->ignore();
            return;
        }
        setCursorPosition(cursorPositionAt(event->position().toPoint()));
        m_view.Paste(event->mimeData()->text());
        event->acceptProposedAction();
        update();
    }

private:
    KeyEditView& m_view;
};

KeyEditView::KeyEditView(CWnd& model, DialogView& dialog, QWidget* parent) : ControlView(model, dialog) {
    m_edit = new Line(parent, *this);
    SetWidget(m_edit);
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (Updating() || !m_model) return;
        if (Input()) {
            TakeBack();  // a way in that bypassed the model
            return;
        }
        // A model that takes no keys one by one is edited as plain text.
        User([&](CWnd& m) {
            if (auto* edit = dynamic_cast<CEdit*>(&m))
                edit->UserSetText(C(text));
            else
                m.SetWindowText(C(text));
        });
        if (m_model) ModelChanged(*m_model, win::Aspect::Text);
    });
}

win::KeyInput* KeyEditView::Input() const { return dynamic_cast<win::KeyInput*>(m_model); }

bool KeyEditView::ModelSelection(int& start, int& end) const {
    auto* edit = dynamic_cast<CEdit*>(m_model);
    if (!edit) return false;
    edit->GetSel(start, end);
    return true;
}

bool KeyEditView::ModelReadOnly() const {
    auto* edit = dynamic_cast<CEdit*>(m_model);
    return edit && edit->IsReadOnly();
}

void KeyEditView::Refresh(win::Aspect aspect) {
    using win::Aspect;
    if (aspect == Aspect::All || aspect == Aspect::Style) m_edit->setReadOnly(ModelReadOnly());
    if (aspect == Aspect::All || aspect == Aspect::Text || aspect == Aspect::Selection) {
        QString text = Q(m_model->GetText());
        if (m_edit->text() != text) m_edit->setText(text);
        if (aspect != Aspect::All) ShowSelection(text);
    }
}

void KeyEditView::OnLeave() {
    User([](CWnd& m) {
        if (auto* edit = dynamic_cast<CEdit*>(&m)) edit->UserLeave();
    });
}

void KeyEditView::ShowSelection(const QString& text) {
    int a = 0, b = 0;
    if (!ModelSelection(a, b)) return;
    int start = CharPosition(text, a);
    int end = CharPosition(text, b);
    if (start == end)
        m_edit->setCursorPosition(start);
    else
        m_edit->setSelection(start, end - start);
}

void KeyEditView::TakeBack() {
    UpdateGuard guard(*this);
    QString text = Q(m_model->GetText());
    m_edit->setText(text);
    ShowSelection(text);
}

void KeyEditView::SendCaret(win::KeyInput& input) {
    QString text = m_edit->text();
    int start = m_edit->hasSelectedText() ? m_edit->selectionStart() : m_edit->cursorPosition();
    int end = m_edit->hasSelectedText() ? m_edit->selectionEnd() : start;
    input.SetCaret(Utf8Offset(text, start), Utf8Offset(text, end));
}

template <class F>
void KeyEditView::Forward(F&& action) {
    win::KeyInput* input = Input();
    if (!input || m_edit->isReadOnly()) return;
    SendCaret(*input);
    User([&](CWnd&) { action(*input); });
}

void KeyEditView::Type(const QString& text) {
    Forward([&](win::KeyInput& in) {
        for (QChar ch : text) in.OnChar(Halfwidth(ch).unicode());
    });
}

void KeyEditView::Paste(const QString& text) {
    // The model pastes from the window layer's clipboard, which otherwise mirrors
    // the system's.
    win::Clipboard::SetText(C(text));
    Forward([](win::KeyInput& in) { in.OnChar(kCtrlV); });
    win::Clipboard::SetText(C(QGuiApplication::clipboard()->text()));
}

bool KeyEditView::HandleKey(QKeyEvent* e) {
    if (!Input() || m_edit->isReadOnly()) return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (e->matches(QKeySequence::Paste)) {
        Paste(clipboard->text());
        return true;
    }
    if (e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Copy)) {
        unsigned ch = e->matches(QKeySequence::Cut) ? kCtrlX : kCtrlC;
        win::Clipboard::SetText(CString());
        Forward([ch](win::KeyInput& in) { in.OnChar(ch); });
        CString copied = win::Clipboard::GetText();
        if (!copied.IsEmpty()) clipboard->setText(Q(copied));
        return true;
    }
    // The widget's own history would bring back text the model never saw.
    if (e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo)) return true;
    switch (e->key()) {
        case Qt::Key_Backspace: Forward([](win::KeyInput& in) { in.OnChar(VK_BACK); }); return true;
        case Qt::Key_Delete: Forward([](win::KeyInput& in) { in.OnKeyDown(VK_DELETE); }); return true;
        case Qt::Key_Insert: Forward([](win::KeyInput& in) { in.OnKeyDown(VK_INSERT); }); return true;
        default: break;
    }
    const auto modifiers = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    QString text = e->text();
    if (modifiers || text.isEmpty() || !text[0].isPrint()) return false;  // caret keys, Enter, Esc, Tab
    Type(text);
    return true;
}

}  // namespace kel::qt

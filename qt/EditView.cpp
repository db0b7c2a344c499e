// Edits: single-line in a QLineEdit, multi-line (ES_MULTILINE) in a QPlainTextEdit.
// What the person types goes through the model's filter (upper case, digits only,
// length limit, the field's number shape); the widget then shows what the model
// kept, with the caret where it was.
#include <QLineEdit>
#include <QPlainTextEdit>

#include "host/win/Controls.h"
#include "qt/ControlView.h"
#include "qt/Text.h"

namespace kel::qt {
namespace {

// Multi-line edits hold "\r\n" line ends, as the platform's edit control did.
QString ToWidget(const CString& text) { return Q(text).remove(u'\r'); }
CString ToModel(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return C(t);
}

class EditView : public ControlView {
public:
    EditView(CEdit& model, DialogView& dialog, QWidget* parent) : ControlView(model, dialog) {
        if (model.GetStyle() & ES_MULTILINE) {
            m_multi = new QPlainTextEdit(parent);
            m_multi->setTabChangesFocus(true);
            SetWidget(m_multi);
            connect(m_multi, &QPlainTextEdit::textChanged, this, [this] {
                if (Updating()) return;
                User([this](CWnd& m) { static_cast<CEdit&>(m).UserSetText(ToModel(m_multi->toPlainText())); });
                if (m_model) ModelChanged(*m_model, win::Aspect::Text);
            });
        } else {
            m_line = new QLineEdit(parent);
            if (model.GetStyle() & ES_RIGHT) m_line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            SetWidget(m_line);
            connect(m_line, &QLineEdit::textEdited, this, [this](const QString& text) {
                User([&](CWnd& m) { static_cast<CEdit&>(m).UserSetText(C(text)); });
                if (!m_model) return;
                ModelChanged(*m_model, win::Aspect::Text);  // shows what the model kept
                // The caret after what the model took (before a refused key).
                int start = 0, end = 0;
                static_cast<CEdit&>(*m_model).GetSel(start, end);
                m_line->setCursorPosition(CharPosition(m_line->text(), end));
            });
        }
    }
    bool Stretches() const override { return true; }
    bool StretchesVertically() const override { return m_multi != nullptr; }

protected:
    void Refresh(win::Aspect aspect) override {
        using win::Aspect;
        auto& model = static_cast<CEdit&>(*m_model);
        bool all = aspect == Aspect::All;
        if (all || aspect == Aspect::Style) {
            if (m_line) {
                m_line->setReadOnly(model.IsReadOnly());
                m_line->setEchoMode(model.GetStyle() & ES_PASSWORD ? QLineEdit::Password : QLineEdit::Normal);
            } else {
                m_multi->setReadOnly(model.IsReadOnly());
            }
        }
        if (all || aspect == Aspect::Text) {
            if (m_line) {
                QString text = Q(model.GetText());
                if (m_line->text() != text) {
                    int caret = m_line->cursorPosition();
                    m_line->setText(text);
                    m_line->setCursorPosition(std::min<int>(caret, static_cast<int>(text.size())));
                }
            } else {
                QString text = ToWidget(model.GetText());
                if (m_multi->toPlainText() != text) {
                    int caret = m_multi->textCursor().position();
                    m_multi->setPlainText(text);
                    QTextCursor cursor = m_multi->textCursor();
                    cursor.setPosition(std::min<int>(caret, static_cast<int>(text.size())));
                    m_multi->setTextCursor(cursor);
                }
            }
        }
    }
    void OnLeave() override {
        User([](CWnd& m) { static_cast<CEdit&>(m).UserLeave(); });
    }

private:
    QLineEdit* m_line = nullptr;
    QPlainTextEdit* m_multi = nullptr;
};

}  // namespace

std::unique_ptr<ControlView> MakeEditView(CWnd& model, DialogView& dialog, QWidget* parent) {
    auto* edit = dynamic_cast<CEdit*>(&model);
    if (!edit) return nullptr;
    return std::make_unique<EditView>(*edit, dialog, parent);
}

}  // namespace kel::qt

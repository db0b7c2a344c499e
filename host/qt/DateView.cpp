// Date and year-month fields: a masked line ("####/##/##" becomes "0000/00/00")
// whose digits go to the model; the model decides what the field holds.
#include <QLineEdit>

#include "host/qt/ControlView.h"
#include "host/qt/Text.h"
#include "host/qxctlset/QXDateTime.h"

namespace kel::qt {
namespace {

QString InputMaskFor(const CString& mask) {
    QString m;
    for (QChar ch : Q(mask)) {
        if (ch == u'#')
            m += u'0';
        else if (QStringLiteral("09AaNnXx!<>\\#Hh;Bb[]{}").contains(ch))
            m += u'\\', m += ch;
        else
            m += ch;
    }
    return m + QStringLiteral(";_");
}

QString DigitsOf(const QString& text) {
    QString digits;
    for (QChar ch : text)
        if (ch.isDigit()) digits += ch;
    return digits;
}

class DateView : public ControlView {
public:
    DateView(CQXDateTime& model, DialogView& dialog, QWidget* parent) : ControlView(model, dialog) {
        m_edit = new QLineEdit(parent);
        SetWidget(m_edit);
        connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& text) {
            User([&](CWnd& m) { static_cast<CQXDateTime&>(m).UserType(C(DigitsOf(text))); });
            if (m_model) ModelChanged(*m_model, win::Aspect::Text);
        });
    }

protected:
    void Refresh(win::Aspect aspect) override {
        using win::Aspect;
        auto& model = static_cast<CQXDateTime&>(*m_model);
        if (aspect == Aspect::All || aspect == Aspect::Style) {
            QString mask = InputMaskFor(model.GetMask());
            if (m_edit->inputMask() != mask) m_edit->setInputMask(mask);
            m_edit->setReadOnly(model.IsReadOnly());
            m_edit->setMinimumWidth(m_edit->fontMetrics().horizontalAdvance(Q(model.GetMask())) + 24);
        }
        if (aspect == Aspect::All || aspect == Aspect::Style || aspect == Aspect::Text) {
            QString value = Q(model.GetTime());
            if (DigitsOf(m_edit->text()) != DigitsOf(value)) {
                int caret = m_edit->cursorPosition();
                m_edit->setText(value);
                m_edit->setCursorPosition(caret);
            }
        }
    }
    void OnLeave() override {
        User([](CWnd& m) { static_cast<CQXDateTime&>(m).UserLeave(); });
    }

private:
    QLineEdit* m_edit;
};

}  // namespace

std::unique_ptr<ControlView> MakeDateView(CWnd& model, DialogView& dialog, QWidget* parent) {
    auto* field = dynamic_cast<CQXDateTime*>(&model);
    if (!field) return nullptr;
    return std::make_unique<DateView>(*field, dialog, parent);
}

}  // namespace kel::qt

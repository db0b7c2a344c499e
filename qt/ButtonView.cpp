// Push buttons, check boxes, radio buttons and group boxes: one button model. The
// texts keep their mnemonics ("确定[&S]" shows S underlined and answers Alt+S; "&&"
// shows "&"). Radio groups are the model's: Qt's own exclusivity is off.
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "host/win/Controls.h"
#include "qt/ControlView.h"
#include "qt/Text.h"

namespace kel::qt {
namespace {

class ButtonView : public ControlView {
public:
    ButtonView(CButton& model, DialogView& dialog, QWidget* parent) : ControlView(model, dialog) {
        switch (model.GetKind()) {
            case win::ControlKind::GroupBox:
                m_group = new QGroupBox(parent);
                SetWidget(m_group);
                m_group->setFocusPolicy(Qt::NoFocus);
                return;
            case win::ControlKind::CheckBox: m_button = new QCheckBox(parent); break;
            case win::ControlKind::Radio: {
                auto* radio = new QRadioButton(parent);
                radio->setAutoExclusive(false);
                m_button = radio;
                break;
            }
            default: {
                auto* push = new QPushButton(parent);
                push->setAutoDefault(true);  // the focused button answers Enter
                m_button = push;
                break;
            }
        }
        SetWidget(m_button);
        connect(m_button, &QAbstractButton::clicked, this,
                [this] { User([](CWnd& m) { static_cast<CButton&>(m).UserClick(); }); });
    }

protected:
    void Refresh(win::Aspect aspect) override {
        using win::Aspect;
        auto& model = static_cast<CButton&>(*m_model);
        bool all = aspect == Aspect::All;
        if (m_group) {
            if (all || aspect == Aspect::Text) m_group->setTitle(WithoutMnemonic(Q(model.GetText())));
            return;
        }
        if (all || aspect == Aspect::Text) m_button->setText(Q(model.GetText()));
        if (all || aspect == Aspect::Check) {
            if (m_button->isCheckable() || model.GetKind() != win::ControlKind::Button) {
                m_button->setCheckable(true);
                m_button->setChecked(model.GetCheck() == BST_CHECKED);
            }
        }
        if (all || aspect == Aspect::Style)
            if (auto* push = qobject_cast<QPushButton*>(m_button)) push->setDefault(model.IsDefault());
    }

private:
    QAbstractButton* m_button = nullptr;
    QGroupBox* m_group = nullptr;
};

}  // namespace

std::unique_ptr<ControlView> MakeButtonView(CWnd& model, DialogView& dialog, QWidget* parent) {
    auto* button = dynamic_cast<CButton*>(&model);
    if (!button) return nullptr;
    return std::make_unique<ButtonView>(*button, dialog, parent);
}

}  // namespace kel::qt

// Combo boxes: a drop-down list (CBS_DROPDOWNLIST) or an editable one
// (CBS_DROPDOWN). Code-list combos show their items as the model holds them,
// "code  name". Opening the list first tells the model (CBN_DROPDOWN), so that a
// screen may load it, then shows what the model holds.
#include <QComboBox>
#include <QLineEdit>

#include <functional>

#include "host/win/Controls.h"
#include "qt/ControlView.h"
#include "qt/Text.h"

namespace kel::qt {
namespace {

class DropComboBox : public QComboBox {
public:
    DropComboBox(QWidget* parent, std::function<void()> beforePopup)
        : QComboBox(parent), m_beforePopup(std::move(beforePopup)) {}

protected:
    void showPopup() override {
        if (m_beforePopup) m_beforePopup();
        QComboBox::showPopup();
    }

private:
    std::function<void()> m_beforePopup;
};

class ComboView : public ControlView {
public:
    ComboView(CComboBox& model, DialogView& dialog, QWidget* parent) : ControlView(model, dialog) {
        m_combo =
            new DropComboBox(parent, [this] { User([](CWnd& m) { static_cast<CComboBox&>(m).UserDropDown(); }); });
        m_combo->setMaxVisibleItems(20);
        m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        m_combo->setMinimumContentsLength(8);
        bool editable = (model.GetStyle() & 0x3) == CBS_DROPDOWN;
        m_combo->setEditable(editable);
        SetWidget(m_combo);
        connect(m_combo, &QComboBox::activated, this, [this](int index) {
            User([index](CWnd& m) { static_cast<CComboBox&>(m).UserSelect(index); });
            if (m_model) ModelChanged(*m_model, win::Aspect::Selection);
        });
        if (editable) {
            connect(m_combo->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
                User([&](CWnd& m) {
                    m.SetWindowText(C(text));
                    if (CWnd* parent = m.GetParent())
                        parent->SendMessage(WM_COMMAND,
                                            MAKEWPARAM(static_cast<unsigned>(m.GetDlgCtrlID()), CBN_EDITCHANGE),
                                            reinterpret_cast<LPARAM>(&m));
                });
            });
        }
    }
    bool Stretches() const override { return true; }

protected:
    void Refresh(win::Aspect aspect) override {
        using win::Aspect;
        auto& model = static_cast<CComboBox&>(*m_model);
        if (aspect == Aspect::All || aspect == Aspect::Items) {
            QStringList items;
            for (const CString& item : model.Items()) items << Q(item);
            m_combo->clear();
            m_combo->addItems(items);
        }
        if (aspect == Aspect::All || aspect == Aspect::Items || aspect == Aspect::Selection || aspect == Aspect::Text) {
            int sel = model.GetCurSel();
            QString text = Q(model.GetText());
            if (sel >= 0 && sel < m_combo->count() && m_combo->itemText(sel) == text) {
                m_combo->setCurrentIndex(sel);
            } else if (m_combo->isEditable()) {
                m_combo->setCurrentIndex(sel);
                if (m_combo->currentText() != text) m_combo->setEditText(text);
            } else {
                // Text that is no item of the list shows as the box's text.
                m_combo->setCurrentIndex(-1);
                m_combo->setPlaceholderText(text);
            }
        }
    }
    void OnLeave() override {
        User([](CWnd& m) { static_cast<CComboBox&>(m).UserLeave(); });
    }

private:
    DropComboBox* m_combo;
};

}  // namespace

std::unique_ptr<ControlView> MakeComboView(CWnd& model, DialogView& dialog, QWidget* parent) {
    auto* combo = dynamic_cast<CComboBox*>(&model);
    if (!combo) return nullptr;
    return std::make_unique<ComboView>(*combo, dialog, parent);
}

}  // namespace kel::qt

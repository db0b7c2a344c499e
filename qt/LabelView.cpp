// Labels (and controls nobody models yet): the text, without mnemonic marks.
#include <QLabel>

#include "qt/ControlView.h"
#include "qt/Text.h"

namespace kel::qt {
namespace {

class LabelView : public ControlView {
public:
    LabelView(CWnd& model, DialogView& dialog, QWidget* parent) : ControlView(model, dialog) {
        m_label = new QLabel(parent);
        m_label->setTextFormat(Qt::PlainText);
        m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        SetWidget(m_label);
    }

protected:
    void Refresh(win::Aspect aspect) override {
        if (aspect == win::Aspect::Text || aspect == win::Aspect::All)
            m_label->setText(WithoutMnemonic(Q(m_model->GetText())));
    }

private:
    QLabel* m_label;
};

}  // namespace

std::unique_ptr<ControlView> MakeLabelView(CWnd& model, DialogView& dialog, QWidget* parent) {
    return std::make_unique<LabelView>(model, dialog, parent);
}

}  // namespace kel::qt

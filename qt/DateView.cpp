// Date and year-month fields: the model (a win::KeyInput) places each digit into its
// part of the mask and never moves digits between parts; the line shows the model's
// text, blanks and all, with the caret where the model puts it.
#include "host/qxctlset/QXDateTime.h"
#include "qt/KeyEditView.h"
#include "qt/Text.h"

namespace kel::qt {
namespace {

class DateView : public KeyEditView {
public:
    DateView(CQXDateTime& model, DialogView& dialog, QWidget* parent) : KeyEditView(model, dialog, parent) {}
    bool Stretches() const override { return false; }

protected:
    void Refresh(win::Aspect aspect) override {
        if (aspect == win::Aspect::All || aspect == win::Aspect::Style) {
            // An empty field shows where the digits go.
            QString mask = Q(Field().GetMask());
            mask.replace(u'#', QChar(CQXDateTime::kBlank));
            Edit()->setPlaceholderText(mask);
            Edit()->setMinimumWidth(Edit()->fontMetrics().horizontalAdvance(mask) + 24);
        }
        KeyEditView::Refresh(aspect);
    }
    bool ModelSelection(int& start, int& end) const override {
        Field().GetSel(start, end);
        return true;
    }
    bool ModelReadOnly() const override { return Field().IsReadOnly(); }
    void OnLeave() override {
        User([](CWnd& m) { static_cast<CQXDateTime&>(m).UserLeave(); });
    }

private:
    CQXDateTime& Field() const { return static_cast<CQXDateTime&>(*m_model); }
};

}  // namespace

std::unique_ptr<ControlView> MakeDateView(CWnd& model, DialogView& dialog, QWidget* parent) {
    auto* field = dynamic_cast<CQXDateTime*>(&model);
    if (!field) return nullptr;
    return std::make_unique<DateView>(*field, dialog, parent);
}

}  // namespace kel::qt

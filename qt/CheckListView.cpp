// The check list: one check box per item.
#include <QListWidget>

#include "host/win/Controls.h"
#include "qt/ControlView.h"
#include "qt/RowList.h"
#include "qt/Text.h"

namespace kel::qt {
namespace {

class CheckListView : public ControlView {
public:
    CheckListView(CCheckListBox& model, DialogView& dialog, QWidget* parent) : ControlView(model, dialog) {
        m_list = new QListWidget(parent);
        m_list->setMinimumSize(200, 120);
        SetUpRowList(*m_list);
        SetWidget(m_list);
        connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
            if (Updating()) return;
            int row = m_list->row(item);
            User([row](CWnd& m) { static_cast<CCheckListBox&>(m).UserToggle(row); });
            if (m_model) ModelChanged(*m_model, win::Aspect::Check);  // shows what the model kept
        });
        // The item the keys highlight becomes the model's current item.
        connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current) {
                    if (Updating() || !current.isValid() || !m_list->selectionModel()->isRowSelected(current.row(), {}))
                        return;
                    const int row = current.row();
                    User([row](CWnd& m) { static_cast<CCheckListBox&>(m).SetCurSel(row); });
                });
    }
    bool Stretches() const override { return true; }
    bool StretchesVertically() const override { return true; }

protected:
    void Refresh(win::Aspect aspect) override {
        using win::Aspect;
        auto& model = static_cast<CCheckListBox&>(*m_model);
        if (aspect == Aspect::All || aspect == Aspect::Items || m_list->count() != model.GetCount()) {
            m_list->clear();
            for (int i = 0; i < model.GetCount(); ++i) {
                CString text;
                model.GetText(i, text);
                auto* item = new QListWidgetItem(Q(text), m_list);
                item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
        }
        for (int i = 0; i < model.GetCount(); ++i)
            m_list->item(i)->setCheckState(model.GetCheck(i) ? Qt::Checked : Qt::Unchecked);
        if (model.GetCurSel() >= 0) m_list->setCurrentRow(model.GetCurSel());
    }

private:
    QListWidget* m_list;
};

}  // namespace

std::unique_ptr<ControlView> MakeCheckListView(CWnd& model, DialogView& dialog, QWidget* parent) {
    auto* list = dynamic_cast<CCheckListBox*>(&model);
    if (!list) return nullptr;
    return std::make_unique<CheckListView>(*list, dialog, parent);
}

}  // namespace kel::qt

#include "qt/RowList.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPalette>

namespace kel::qt {
namespace {

// Ctrl+Tab and Ctrl+Shift+Tab go on as Tab and Shift+Tab would: a dialog's
// controls that take Tab themselves are left with Ctrl+Tab.
class CtrlTabLeaves : public QObject {
public:
    explicit CtrlTabLeaves(QAbstractItemView& list) : QObject(&list) { list.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & Qt::ControlModifier)) return false;
        const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) return false;
        QKeyEvent plain(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(watched, &plain);
        return true;
    }
};

}  // namespace

void SetUpRowList(QAbstractItemView& list) {
    list.setTabKeyNavigation(false);
    new CtrlTabLeaves(list);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    QPalette colours = list.palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    list.setPalette(colours);
}

}  // namespace kel::qt

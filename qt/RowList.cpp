#include "qt/RowList.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QStyledItemDelegate>
#include <QToolTip>

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

// A cell whose column is too narrow for its text (drawn cut, with "…") shows the
// whole text in a tooltip; a cell that shows all of it has none.
class CutTextTips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (!event || !view || event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = CutText(view, option, index);
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
        }
        return true;
    }

private:
    // The cell's text when the view draws it cut, else nothing.
    QString CutText(QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index) const {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        if (cell.text.isEmpty()) return {};
        const QStyle* style = view->style();
        const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view);
        // The style keeps this margin on both sides of the text (as it elides it).
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        return cell.fontMetrics.horizontalAdvance(cell.text) > room.width() - 2 * margin ? cell.text : QString();
    }
};

}  // namespace

void SetUpRowList(QAbstractItemView& list) {
    list.setTabKeyNavigation(false);
    new CtrlTabLeaves(list);
    list.setItemDelegate(new CutTextTips(&list));
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    QPalette colours = list.palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    list.setPalette(colours);
}

}  // namespace kel::qt

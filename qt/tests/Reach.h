// What a person cannot reach in a dialog on its screen's free area (the part the
// task bar leaves): the window sticking out, or a control neither in view nor
// brought into view by the dialog's scroll area.
#pragma once

#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QWidget>

#include "qt/DialogView.h"

namespace qttest {

inline QRect GlobalRect(const QWidget& w) { return QRect(w.mapToGlobal(QPoint(0, 0)), w.size()); }

inline QString Describe(const QWidget& w) {
    return QStringLiteral("%1 '%2' at %3,%4 %5x%6")
        .arg(w.metaObject()->className(), w.property("text").toString())
        .arg(GlobalRect(w).x())
        .arg(GlobalRect(w).y())
        .arg(w.width())
        .arg(w.height());
}

inline QStringList OutOfReach(kel::qt::DialogView& v) {
    QStringList out;
    const QRect free = v.screen()->availableGeometry();
    if (!free.contains(v.frameGeometry())) out << QStringLiteral("the window %1x%2").arg(v.width()).arg(v.height());
    const QRect window = GlobalRect(v).intersected(free);
    auto* area = v.findChild<QScrollArea*>();
    // The page holding the template's controls: scrolled, or the dialog's first item.
    QWidget* page = area ? area->widget() : v.layout()->itemAt(0)->widget();
    QList<QWidget*> controls = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* w : v.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != area && w != page) controls << w;  // kept below the scroll area
    for (QWidget* c : controls) {
        if (!c->isVisibleTo(&v)) continue;
        QRect view = window;
        if (area && page->isAncestorOf(c)) {
            area->ensureWidgetVisible(c, 0, 0);
            view = GlobalRect(*area->viewport()).intersected(window);
        }
        const QRect r = GlobalRect(*c);
        const bool fits = r.width() <= view.width() && r.height() <= view.height();
        if (fits ? !view.contains(r) : !view.intersects(r)) out << Describe(*c);
    }
    if (area) {
        area->verticalScrollBar()->setValue(0);
        area->horizontalScrollBar()->setValue(0);
    }
    return out;
}

}  // namespace qttest

#include "qt/DialogView.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

#include "host/win/DialogTemplate.h"
#include "qt/QtDriver.h"
#include "qt/Text.h"

namespace kel::qt {

DialogView::DialogView(CDialog& model, QtDriver& driver, QWidget* parent)
    : QDialog(parent), m_model(&model), m_driver(driver) {
    // A modal screen offers its close box only: minimised or maximised it would
    // hide or swallow the screen that waits for it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(Q(model.GetText()));
    setSizeGripEnabled(true);
    model.SetView(this);
    Build();
}

DialogView::~DialogView() {
    DetachAll();
    m_views.clear();  // before the widgets they point to
}

void DialogView::DetachAll() {
    for (auto& view : m_views) view->Detach();
    if (m_model && m_model->GetView() == this) m_model->SetView(nullptr);
    m_model = nullptr;
}

QWidget* DialogView::WidgetFor(int id) const {
    auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second->Widget();
}

namespace {

// Room the window manager's title bar and borders take around a dialog.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 40;

}  // namespace

// Template rows and columns become the odd rows and columns of the layout; the even
// ones between them stay empty (no size, no spacing) except where a group box has
// its title or its border, which then get room. A form taller or wider than the
// screen's free area scrolls, its bottom row of buttons kept below the scroll area.
void DialogView::Build() {
    auto* content = new QWidget;
    auto* grid = new QGridLayout(content);
    grid->setContentsMargins(14, 12, 14, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    const int titleRoom = fontMetrics().height() + 4;

    for (CWnd* control : m_model->Controls()) {
        auto view = MakeControlView(*control, *this, content);
        QWidget* widget = view->Widget();
        const win::Layout& l = control->GetLayout();
        const int rowSpan = std::max(1, l.rowSpan);
        const int colSpan = std::max(1, l.colSpan);
        if (l.minWidth > 0) widget->setMinimumWidth(l.minWidth);
        if (l.minHeight > 0) widget->setMinimumHeight(l.minHeight);
        if (control->GetKind() == win::ControlKind::GroupBox) {
            grid->addWidget(widget, 2 * l.row, 2 * l.col, 2 * rowSpan + 1, 2 * colSpan + 1);
            grid->setRowMinimumHeight(2 * l.row, titleRoom);
            grid->setRowMinimumHeight(2 * (l.row + rowSpan), 6);
            grid->setColumnMinimumWidth(2 * l.col, 6);
            grid->setColumnMinimumWidth(2 * (l.col + colSpan), 6);
            widget->lower();  // behind the controls it frames
        } else {
            // Check boxes and radio buttons keep their natural width: a click beside
            // their text would otherwise fall on nothing.
            auto kind = control->GetKind();
            Qt::Alignment align = kind == win::ControlKind::CheckBox || kind == win::ControlKind::Radio
                                      ? Qt::AlignLeft | Qt::AlignVCenter
                                      : Qt::Alignment();
            grid->addWidget(widget, 2 * l.row + 1, 2 * l.col + 1, 2 * rowSpan - 1, 2 * colSpan - 1, align);
            if (view->Stretches())
                for (int c = l.col; c < l.col + colSpan; ++c) grid->setColumnStretch(2 * c + 1, 1);
            if (view->StretchesVertically())
                for (int r = l.row; r < l.row + rowSpan; ++r) grid->setRowStretch(2 * r + 1, 1);
        }
        m_byId.emplace(control->GetDlgCtrlID(), view.get());
        m_views.push_back(std::move(view));
    }
    const QSize wanted = grid->minimumSize();

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14);
    const QSize room(free.width() - kFrameWidth, free.height() - kFrameHeight);
    if (wanted.width() <= room.width() && wanted.height() <= room.height()) {
        content->setMinimumSize(wanted);
        outer->addWidget(content);
        return;
    }

    auto* area = new QScrollArea(this);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);  // a larger window grows the lists, as without scrolling
    content->setMinimumSize(wanted);
    area->setWidget(content);
    outer->addWidget(area, 1);
    int footerHeight = 0;
    if (std::vector<CWnd*> buttons = win::BottomButtonRow(m_model->Controls()); !buttons.empty()) {
        auto* footer = new QHBoxLayout;
        footer->setContentsMargins(14, 6, 14, 12);
        footer->setSpacing(8);
        footer->addStretch(1);
        for (CWnd* b : buttons) {
            QWidget* w = WidgetFor(b->GetDlgCtrlID());
            grid->removeWidget(w);
            footer->addWidget(w);
        }
        outer->addLayout(footer);
        footerHeight = footer->sizeHint().height();
    }
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize natural = content->sizeHint().expandedTo(content->minimumSize());
    setMinimumSize(std::min(room.width(), 480), std::min(room.height(), 320));
    resize(std::min(room.width(), natural.width() + bar + 2), std::min(room.height(), natural.height() + footerHeight));
}

void DialogView::FocusModelItem() {
    if (!m_model) return;
    if (QWidget* w = WidgetFor(m_model->GetFocusID()); w && w->isVisible() && w->isEnabled())
        w->setFocus(Qt::OtherFocusReason);
}

void DialogView::AfterUserAction() { m_driver.CheckEnded(); }

void DialogView::ModelChanged(CWnd& wnd, win::Aspect aspect) {
    if (&wnd == m_model && (aspect == win::Aspect::Text || aspect == win::Aspect::All))
        setWindowTitle(Q(m_model->GetText()));
}

template <class F>
void DialogView::User(F&& action) {
    if (!m_model) return;
    action(*m_model);
    AfterUserAction();
}

void DialogView::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QDialog::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: User([](CDialog& d) { d.UserPressEnter(); }); break;
        case Qt::Key_Escape: User([](CDialog& d) { d.UserPressEscape(); }); break;
        default: QDialog::keyPressEvent(event); return;
    }
    event->accept();
}

void DialogView::closeEvent(QCloseEvent* event) {
    event->ignore();  // the dialog decides whether it closes
    User([](CDialog& d) { d.UserCloseBox(); });
}

void DialogView::reject() {
    User([](CDialog& d) { d.UserPressEscape(); });
}

}  // namespace kel::qt

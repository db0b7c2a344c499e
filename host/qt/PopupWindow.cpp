#include "host/qt/PopupWindow.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTextLayout>

#include "host/qt/GuiBridge.h"
#include "host/qt/Text.h"

namespace kel::qt {

QString FitText(const QString& text, const QFont& font, const QSize& box) {
    QFontMetrics metrics(font);
    const int width = std::max(1, box.width());
    const int lineHeight = metrics.lineSpacing();
    const int maxLines = std::max(1, box.height() / std::max(1, lineHeight));
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        if (lines.size() + 1 == maxLines) {
            // The last line that fits: the rest of the text, cut with an ellipsis.
            QString rest = text.mid(line.textStart()).simplified();
            lines << metrics.elidedText(rest, Qt::ElideRight, width);
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines.join(u'\n');
}

PopupWindow::PopupWindow(const win::PopupLook& look, win::PopupInput input)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_look(look),
      m_input(std::move(input)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::PointingHandCursor);
    if (!look.bitmapPath.empty()) m_bitmap.load(Q(look.bitmapPath));
    m_font = QFont(Q(look.font.family));
    m_font.setStyleHint(QFont::SansSerif);
    m_font.setPointSize(look.font.pointSize);
    m_font.setWeight(static_cast<QFont::Weight>(look.font.weight));
}

void PopupWindow::SetUnderline(bool underline) {
    m_underline = underline;
    update();
}

void PopupWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const COLORREF bk = m_look.background;
    painter.fillRect(rect(), QColor(GetRValue(bk), GetGValue(bk), GetBValue(bk)));
    if (!m_bitmap.isNull())
        painter.drawPixmap(0, 0, m_bitmap, 0, 0, std::min(m_bitmap.width(), m_look.bitmapMaxWidth),
                           std::min(m_bitmap.height(), m_look.bitmapMaxHeight));
    QFont font = m_font;
    font.setUnderline(m_underline);
    painter.setFont(font);
    const COLORREF fg = m_look.textColour;
    painter.setPen(QColor(GetRValue(fg), GetGValue(fg), GetBValue(fg)));
    const win::Rect& r = m_look.textRect;
    QRect box(r.left, r.top, r.Width(), r.Height());
    painter.drawText(box, Qt::AlignCenter, FitText(Q(m_look.text), font, box.size()));
}

void PopupWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && m_input)
        m_input(WM_LBUTTONUP);
}

void PopupWindow::enterEvent(QEnterEvent*) {
    if (m_input) m_input(WM_MOUSEHOVER);
}

void PopupWindow::leaveEvent(QEvent*) {
    if (m_input) m_input(WM_MOUSELEAVE);
}

namespace {

struct Slot {
    QPointer<PopupWindow> window;  // touched on the GUI thread only
};

class QtPopupSurface : public win::PopupSurface {
public:
    QtPopupSurface(std::shared_ptr<GuiBridge> bridge, const win::PopupLook& look, win::PopupInput input)
        : m_bridge(std::move(bridge)), m_slot(std::make_shared<Slot>()) {
        m_bridge->Post(
            [slot = m_slot, look, input = std::move(input)] { slot->window = new PopupWindow(look, input); });
    }
    ~QtPopupSurface() override {
        m_bridge->Post([slot = m_slot] { delete slot->window.data(); });
    }
    void Place(const win::Rect& r) override {
        m_bridge->Post([slot = m_slot, r] {
            PopupWindow* w = slot->window;
            if (!w) return;
            if (r.Width() <= 0 || r.Height() <= 0) {
                w->hide();
                return;
            }
            w->setGeometry(r.left, r.top, r.Width(), r.Height());
            w->show();
            w->raise();
            w->update();
        });
    }
    void SetUnderline(bool underline) override {
        m_bridge->Post([slot = m_slot, underline] {
            if (slot->window) slot->window->SetUnderline(underline);
        });
    }

private:
    std::shared_ptr<GuiBridge> m_bridge;
    std::shared_ptr<Slot> m_slot;
};

}  // namespace

std::unique_ptr<win::PopupSurface> MakePopupSurface(std::shared_ptr<GuiBridge> bridge, const win::PopupLook& look,
                                                    win::PopupInput input) {
    return std::make_unique<QtPopupSurface>(std::move(bridge), look, std::move(input));
}

}  // namespace kel::qt

#include "qt/PopupWindow.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTextLayout>

#include "qt/GuiBridge.h"
#include "qt/Text.h"

namespace kel::qt {

FittedText FitLines(const QString& text, const QFont& font, const QSize& box, QPaintDevice* device) {
    // Line heights come from the laid-out text: Chinese is drawn in a fallback font
    // whose lines are taller than the requested font's own metrics say.
    const qreal width = std::max(1, box.width());
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    struct Laid {
        int start, length;
        qreal height;
    };
    QList<Laid> laid;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        laid.append({line.textStart(), line.textLength(), line.height()});
    }
    layout.endLayout();

    FittedText fitted;
    qreal used = 0;
    for (int i = 0; i < laid.size(); ++i) {
        // A line is kept only when the next one fits below it too (the first line
        // always shows); otherwise it is the last and takes the rest, elided.
        const bool last = i + 1 == laid.size();
        if (!last && used + laid[i].height + laid[i + 1].height > box.height()) {
            const QString rest = text.mid(laid[i].start).simplified();
            fitted.lines << QFontMetrics(font, device).elidedText(rest, Qt::ElideRight, static_cast<int>(width));
            fitted.heights << laid[i].height;
            break;
        }
        fitted.lines << text.mid(laid[i].start, laid[i].length).trimmed();
        fitted.heights << laid[i].height;
        used += laid[i].height;
    }
    return fitted;
}

QString FitText(const QString& text, const QFont& font, const QSize& box) {
    return FitLines(text, font, box).lines.join(u'\n');
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
    const QRect box(r.left, r.top, r.Width(), r.Height());
    // Drawn line by line as measured, centred both ways in the text rectangle.
    const FittedText fitted = FitLines(Q(m_look.text), font, box.size(), this);
    qreal y = box.top() + (box.height() - fitted.Height()) / 2;
    for (int i = 0; i < fitted.lines.size(); ++i) {
        const QRectF line(box.left(), y, box.width(), fitted.heights[i]);
        painter.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextDontClip, fitted.lines[i]);
        y += fitted.heights[i];
    }
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

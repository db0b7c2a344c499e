// The task-bar popup's window on the GUI thread, and the surface through which the
// popup's own thread drives it with queued calls.
#pragma once

#include <QFont>
#include <QList>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

#include <memory>

#include "host/win/PopupSurface.h"

namespace kel::qt {

class GuiBridge;

// The text as lines that fit `box`: wrapped at word breaks (anywhere in a word too
// long for a line), and the last line that fits ending in an ellipsis when text is
// left. Measured as the text is drawn on `device` (the screen when null), with the
// height of each line as laid out.
struct FittedText {
    QStringList lines;
    QList<qreal> heights;
    qreal Height() const {
        qreal sum = 0;
        for (qreal h : heights) sum += h;
        return sum;
    }
};
FittedText FitLines(const QString& text, const QFont& font, const QSize& box, QPaintDevice* device = nullptr);
// The fitted lines joined by '\n'.
QString FitText(const QString& text, const QFont& font, const QSize& box);

class PopupWindow : public QWidget {
public:
    PopupWindow(const win::PopupLook& look, win::PopupInput input);
    void SetUnderline(bool underline);
    const win::PopupLook& Look() const { return m_look; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    win::PopupLook m_look;
    win::PopupInput m_input;
    QPixmap m_bitmap;
    QFont m_font;
    bool m_underline = false;
};

// A surface whose calls (from any thread) reach its PopupWindow in order on the GUI
// thread; destroying it closes the window.
std::unique_ptr<win::PopupSurface> MakePopupSurface(std::shared_ptr<GuiBridge> bridge, const win::PopupLook& look,
                                                    win::PopupInput input);

}  // namespace kel::qt

// The Qt Test suites of the driver, and what they share.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <deque>
#include <functional>
#include <memory>

#include "qt/DialogView.h"
#include "qt/QtDriver.h"

namespace qttest {

std::unique_ptr<QObject> MakeControlsTest();
std::unique_ptr<QObject> MakeGridViewTest();
std::unique_ptr<QObject> MakeModalTest();
std::unique_ptr<QObject> MakePopupTest();
std::unique_ptr<QObject> MakeFitTest();
std::unique_ptr<QObject> MakePrintTest();

// Scripts the person for each dialog that opens, in order (nested ones too), as the
// headless driver does; the window is active and on the screen when a script runs.
class Scripts {
public:
    using Script = std::function<void(kel::qt::DialogView&)>;
    explicit Scripts(kel::qt::QtDriver& driver) {
        driver.SetDialogShownHook([this](CDialog& dialog, kel::qt::DialogView& view) { Run(dialog, view); });
    }
    Scripts& Then(Script script) {
        m_scripts.push_back(std::move(script));
        return *this;
    }
    bool AllUsed() const { return m_scripts.empty(); }

private:
    void Run(CDialog& dialog, kel::qt::DialogView& view) {
        // A script that stops early (a failed check) must not leave the dialog open.
        struct Closer {
            CDialog& d;
            ~Closer() {
                if (!d.IsEnded()) d.EndDialog(IDCANCEL);
            }
        } closer{dialog};
        QApplication::setActiveWindow(&view);
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.FocusModelItem();
        if (m_scripts.empty()) return;
        Script next = std::move(m_scripts.front());
        m_scripts.pop_front();
        next(view);
    }

    std::deque<Script> m_scripts;
};

// Answers the next message box that opens: `answer` looks at it and presses a button.
inline void WhenMessageBox(std::function<void(QMessageBox&)> answer) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        answer(*box);
    });
    timer->start(10);
}

// The button of a box with that text (mnemonic marks and all).
inline QAbstractButton* ButtonNamed(QMessageBox& box, const QString& text) {
    for (QAbstractButton* b : box.buttons())
        if (b->text() == text) return b;
    return nullptr;
}

// The tooltip a list shows when the mouse rests on the cell under `pos` (viewport
// coordinates); empty when it shows none.
inline QString TipAt(QAbstractItemView& list, QPoint pos) {
    QToolTip::hideText();  // gone only after a moment
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) return QStringLiteral("(a tip stays)");
    QHelpEvent rest(QEvent::ToolTip, pos, list.viewport()->mapToGlobal(pos));
    QCoreApplication::sendEvent(list.viewport(), &rest);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace qttest

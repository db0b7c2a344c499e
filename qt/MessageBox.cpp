#include "qt/MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

#include "qt/Text.h"

namespace kel::qt {
namespace {

struct BoxButton {
    int answer;
    const char* text;
    QMessageBox::ButtonRole role;
};

BoxButton ButtonFor(int answer) {
    switch (answer) {
        case IDCANCEL: return {IDCANCEL, "取消", QMessageBox::RejectRole};
        case IDYES: return {IDYES, "是(&Y)", QMessageBox::YesRole};
        case IDNO: return {IDNO, "否(&N)", QMessageBox::NoRole};
        case IDABORT: return {IDABORT, "中止(&A)", QMessageBox::RejectRole};
        case IDRETRY: return {IDRETRY, "重试(&R)", QMessageBox::AcceptRole};
        case IDIGNORE: return {IDIGNORE, "忽略(&I)", QMessageBox::AcceptRole};
        default: return {IDOK, "确定", QMessageBox::AcceptRole};
    }
}

std::vector<BoxButton> ButtonsFor(const win::MessageBoxRequest& request) {
    std::vector<BoxButton> buttons;
    for (int answer : request.Answers()) buttons.push_back(ButtonFor(answer));
    return buttons;
}

QMessageBox::Icon IconFor(UINT icon) {
    switch (icon) {
        case MB_ICONHAND: return QMessageBox::Critical;
        case MB_ICONQUESTION: return QMessageBox::Question;
        case MB_ICONEXCLAMATION: return QMessageBox::Warning;
        case MB_ICONASTERISK: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

}  // namespace

int RunMessageBox(const win::MessageBoxRequest& request, QWidget* parent) {
    QMessageBox box(parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(Q(request.text));
    box.setWindowTitle(request.caption.empty() ? QStringLiteral("Kelmor") : Q(request.caption));
    box.setIcon(IconFor(request.Icon()));
    const auto choices = ButtonsFor(request);
    std::vector<QPushButton*> buttons;
    for (const auto& choice : choices) buttons.push_back(box.addButton(QString::fromUtf8(choice.text), choice.role));
    int defaultIndex = request.DefaultIndex();
    if (defaultIndex < 0 || defaultIndex >= static_cast<int>(buttons.size())) defaultIndex = 0;
    box.setDefaultButton(buttons[static_cast<size_t>(defaultIndex)]);
    // Esc: Cancel where there is one, the only button of an OK box; none for Yes/No.
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].answer == IDCANCEL || choices.size() == 1) box.setEscapeButton(buttons[i]);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (clicked == buttons[i]) return choices[i].answer;
    for (const auto& choice : choices)
        if (choice.answer == IDCANCEL) return IDCANCEL;
    if (choices.size() == 1) return IDOK;
    return request.Buttons() == MB_ABORTRETRYIGNORE ? IDABORT : IDNO;
}

}  // namespace kel::qt

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

std::vector<BoxButton> ButtonsFor(UINT buttons) {
    const BoxButton ok{IDOK, "确定", QMessageBox::AcceptRole};
    const BoxButton cancel{IDCANCEL, "取消", QMessageBox::RejectRole};
    const BoxButton yes{IDYES, "是(&Y)", QMessageBox::YesRole};
    const BoxButton no{IDNO, "否(&N)", QMessageBox::NoRole};
    const BoxButton abort{IDABORT, "中止(&A)", QMessageBox::RejectRole};
    const BoxButton retry{IDRETRY, "重试(&R)", QMessageBox::AcceptRole};
    const BoxButton ignore{IDIGNORE, "忽略(&I)", QMessageBox::AcceptRole};
    switch (buttons) {
        case MB_OKCANCEL: return {ok, cancel};
        case MB_ABORTRETRYIGNORE: return {abort, retry, ignore};
        case MB_YESNOCANCEL: return {yes, no, cancel};
        case MB_YESNO: return {yes, no};
        case MB_RETRYCANCEL: return {retry, cancel};
        default: return {ok};
    }
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
    const auto choices = ButtonsFor(request.Buttons());
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

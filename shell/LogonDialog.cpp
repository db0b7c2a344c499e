#include "shell/LogonDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Session.h"

namespace kel::shell {

LogonDialog::LogonDialog(Session& session, const QString& user, const QString& password, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setWindowTitle(QStringLiteral("用户登录 - Tessan保险业务系统"));
    m_user = new QLineEdit(user, this);
    m_user->setMaxLength(20);
    m_password = new QLineEdit(password, this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(42);
    m_message = new QLabel(this);
    m_message->setStyleSheet(QStringLiteral("color: #b00020"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("用户代码(&U):"), m_user);
    form->addRow(QStringLiteral("密    码(&P):"), m_password);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("登录(&L)"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("退出(&X)"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryLogOn(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_message);
    layout->addWidget(buttons);
    setMinimumWidth(340);
    (user.isEmpty() ? m_user : m_password)->setFocus();
}

QString LogonDialog::User() const { return m_user->text().trimmed(); }

void LogonDialog::TryLogOn() {
    if (User().isEmpty()) {
        m_message->setText(QStringLiteral("请输入用户代码"));
        m_user->setFocus();
        return;
    }
    std::string error;
    bool refused = false;
    setCursor(Qt::WaitCursor);
    bool ok = m_session.LogOn(User().toStdString(), m_password->text().toStdString(), error, refused);
    unsetCursor();
    if (ok) {
        accept();
        return;
    }
    m_message->setText(QString::fromStdString(error));
    (refused ? m_password : m_user)->setFocus();
    if (refused) m_password->selectAll();
}

}  // namespace kel::shell

// The log-on dialog: user code and password, checked through the session.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace kel::shell {

class Session;

class LogonDialog : public QDialog {
public:
    LogonDialog(Session& session, const QString& user, const QString& password, QWidget* parent = nullptr);
    QString User() const;

private:
    void TryLogOn();

    Session& m_session;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLabel* m_message;
};

}  // namespace kel::shell

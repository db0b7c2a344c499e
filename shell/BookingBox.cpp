#include "shell/BookingBox.h"

#include <QApplication>
#include <QMessageBox>

#include "qt/DialogView.h"
#include "qt/QtDriver.h"

namespace kel::shell {

void ShowBookingBox(kel::qt::QtDriver& driver, const std::string& number, char type) {
    QWidget* owner = driver.TopDialog();
    if (!owner) owner = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Information, QStringLiteral("临分业务处理"),
                    QStringLiteral("单证号: %1\n单证类型: %2")
                        .arg(QString::fromStdString(number), QString(QChar::fromLatin1(type))),
                    QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("facBooking"));
    box.exec();
    if (owner) {
        owner->raise();
        owner->activateWindow();
    }
}

}  // namespace kel::shell

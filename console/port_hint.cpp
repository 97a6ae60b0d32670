#include "port_hint.h"

namespace talveno::console {

QString PortFailureDetail(const link::PortError& error) {
    const QString reason = QString::fromStdString(error.osText);
    switch (error.kind) {
        case link::PortErrorKind::NotFound:
            return QStringLiteral(
                       "Порт не найден (%1). Проверьте имя порта и подключение "
                       "адаптера USB-COM.")
                .arg(reason);
        case link::PortErrorKind::Permission:
            return QStringLiteral(
                       "Нет доступа к порту (%1). Пользователь должен входить в группу, "
                       "которой принадлежит устройство, обычно dialout: "
                       "sudo adduser $USER dialout, затем войдите в систему заново.")
                .arg(reason);
        case link::PortErrorKind::Busy:
            return QStringLiteral(
                       "Порт занят другой программой (%1). Закройте её и выберите "
                       "порт снова.")
                .arg(reason);
        case link::PortErrorKind::Io:
            return QStringLiteral("Порт не принял настройки или не отвечает (%1).").arg(reason);
        case link::PortErrorKind::Closed:
        case link::PortErrorKind::None:
            break;
    }
    return reason;
}

}  // namespace talveno::console

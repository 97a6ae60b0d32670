#include "talveno_application.h"

#include <exception>

#include "user_dialogs.h"

namespace talveno::console {

TalvenoApplication::TalvenoApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("TALVENO"));
    setApplicationVersion(QStringLiteral("1.0"));
}

bool TalvenoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        QtUserDialogs fallback;
        ShowHandlerError(dialogs_ != nullptr ? *dialogs_ : fallback,
                         QString::fromUtf8(error.what()));
    } catch (...) {
        QtUserDialogs fallback;
        ShowHandlerError(dialogs_ != nullptr ? *dialogs_ : fallback,
                         QStringLiteral("Unknown error."));
    }
    return false;
}

void TalvenoApplication::ShowHandlerError(UserDialogs& dialogs, const QString& text) {
    dialogs.showMessage(QStringLiteral("TALVENO"), text, BoxIcon::Error);
}

}  // namespace talveno::console

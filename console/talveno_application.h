// The application object. An error that leaves an event handler is shown the
// toolkit's way, in a box titled "TALVENO", and the program goes on.
#pragma once

#include <QApplication>

namespace talveno::console {

class UserDialogs;

class TalvenoApplication : public QApplication {
public:
    TalvenoApplication(int& argc, char** argv);

    // Where handler errors are shown; the real dialogs unless set.
    void setDialogs(UserDialogs* dialogs) { dialogs_ = dialogs; }

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error that left a handler: the text, "TALVENO", the error icon.
    static void ShowHandlerError(UserDialogs& dialogs, const QString& text);

private:
    UserDialogs* dialogs_ = nullptr;
};

}  // namespace talveno::console

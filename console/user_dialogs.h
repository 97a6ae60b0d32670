// Everything the console asks of a person goes through here: message boxes
// and file dialogs. The real one shows Qt's dialogs; tests answer them.
#pragma once

#include <QString>

class QWidget;

namespace talveno::console {

enum class BoxIcon { None, Information, Warning, Error, Question };

struct FileDialogRequest {
    QString title;
    QString directory;      // where the dialog opens
    QString filter;         // e.g. "WAV (*.wav)"
    QString defaultSuffix;  // added to a name typed without one
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // A modal box with one OK button; `detail` (may be empty) stands under
    // the text, for the reason behind a failure.
    virtual void showMessage(const QString& title, const QString& text, BoxIcon icon,
                             const QString& detail = {}) = 0;

    // The chosen file's path, or an empty text when the person cancelled.
    [[nodiscard]] virtual QString openFileName(const FileDialogRequest& request) = 0;
    [[nodiscard]] virtual QString saveFileName(const FileDialogRequest& request) = 0;
};

class QtUserDialogs final : public UserDialogs {
public:
    void showMessage(const QString& title, const QString& text, BoxIcon icon,
                     const QString& detail = {}) override;
    [[nodiscard]] QString openFileName(const FileDialogRequest& request) override;
    [[nodiscard]] QString saveFileName(const FileDialogRequest& request) override;
};

}  // namespace talveno::console

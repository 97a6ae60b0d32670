#include "user_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace talveno::console {

namespace {

QMessageBox::Icon ToQt(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::Warning:
            return QMessageBox::Warning;
        case BoxIcon::Error:
            return QMessageBox::Critical;
        case BoxIcon::Question:
            return QMessageBox::Question;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QString RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    // No owner window, as the console's boxes have none.
    QFileDialog dialog(nullptr, request.title, request.directory, request.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

void QtUserDialogs::showMessage(const QString& title, const QString& text, BoxIcon icon,
                                const QString& detail) {
    QMessageBox box(ToQt(icon), title, text, QMessageBox::Ok);
    if (!detail.isEmpty()) {
        box.setInformativeText(detail);
    }
    box.exec();
}

QString QtUserDialogs::openFileName(const FileDialogRequest& request) {
    return RunFileDialog(request, QFileDialog::AcceptOpen);
}

QString QtUserDialogs::saveFileName(const FileDialogRequest& request) {
    return RunFileDialog(request, QFileDialog::AcceptSave);
}

}  // namespace talveno::console

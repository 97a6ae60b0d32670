// Answers the console's message boxes and file dialogs in GUI tests: boxes
// are recorded, file dialogs answered from a queue (empty: cancelled).
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "user_dialogs.h"

namespace testing_support {

struct ShownBox {
    QString title;
    QString text;
    talveno::console::BoxIcon icon;
    QString detail;
};

class ScriptedDialogs final : public talveno::console::UserDialogs {
public:
    void showMessage(const QString& title, const QString& text, talveno::console::BoxIcon icon,
                     const QString& detail) override {
        boxes.push_back({title, text, icon, detail});
        if (onBox) {
            onBox(boxes.back());
        }
    }
    QString openFileName(const talveno::console::FileDialogRequest& request) override {
        requests.push_back(request);
        return next();
    }
    QString saveFileName(const talveno::console::FileDialogRequest& request) override {
        requests.push_back(request);
        return next();
    }

    std::vector<ShownBox> boxes;
    std::vector<talveno::console::FileDialogRequest> requests;
    std::deque<QString> fileAnswers;
    // Runs inside the box, as a person would act while it is open.
    std::function<void(const ShownBox&)> onBox;

private:
    QString next() {
        if (fileAnswers.empty()) {
            return {};
        }
        QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

}  // namespace testing_support

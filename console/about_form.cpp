#include "about_form.h"

#include <QLabel>

namespace talveno::console {

namespace {

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, QRect where, int pointSize,
                 bool bold) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(where);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    // Clicks go through to the window, which closes on any of them.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

}  // namespace

TFormAbout::TFormAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("О программе..."));
    setFixedSize(490, 281);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    // The banner across the top.
    auto* banner =
        AddLabel(this, "imgBanner", QStringLiteral("  TALVENO"), {0, 0, 490, 64}, 22, true);
    banner->setAutoFillBackground(true);
    banner->setStyleSheet(
        QStringLiteral("background-color: rgb(0, 0, 128); color: white; padding-left: 16px;"));

    AddLabel(this, "lbProduct",
             QStringLiteral("Консоль обслуживания и настройки речевого информатора"),
             {24, 80, 440, 40}, 11, true);
    AddLabel(this, "lbVersion", QStringLiteral("Версия 1.0"), {24, 126, 440, 20}, 10, false);
    AddLabel(this, "lbContacts",
             QStringLiteral("Контакты изготовителя и поддержка: см. файл README.md проекта."),
             {24, 160, 440, 40}, 9, false);
    AddLabel(this, "lbHint", QStringLiteral("Щёлкните мышью, чтобы закрыть окно."),
             {24, 240, 440, 20}, 8, false);
}

void TFormAbout::FormClick() {
    accept();
}

void TFormAbout::mousePressEvent(QMouseEvent* /*event*/) {
    FormClick();
}

}  // namespace talveno::console

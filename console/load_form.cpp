#include "load_form.h"

#include <QGuiApplication>
#include <QScreen>

namespace talveno::console {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect where, bool bold,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(where);
    label->setAlignment(align);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

}  // namespace

TLoadForm::TLoadForm()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("LoadForm"));
    setWindowTitle(QStringLiteral("Загрузка данных..."));
    setFixedSize(491, 181);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    Label1 = MakeLabel(this, "Label1", QStringLiteral("Выполняется загрузка данных :"),
                       {16, 10, 300, 18}, true);
    Label1->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    Label3 = MakeLabel(this, "Label3", QStringLiteral("Файл"), {16, 38, 50, 18}, false);
    lbFile = MakeLabel(this, "lbFile", QStringLiteral("lbFile"), {64, 38, 421, 18}, true);
    Label2 = MakeLabel(this, "Label2", QStringLiteral("Сектор"), {16, 66, 60, 18}, false);
    lbSector =
        MakeLabel(this, "lbSector", QStringLiteral("00"), {80, 66, 40, 18}, true, Qt::AlignCenter);
    Label5 = MakeLabel(this, "Label5", QStringLiteral("Страница"), {150, 66, 70, 18}, false);
    lbPage =
        MakeLabel(this, "lbPage", QStringLiteral("000"), {222, 66, 50, 18}, true, Qt::AlignCenter);
    pBar = new QProgressBar(this);
    pBar->setObjectName(QStringLiteral("pBar"));
    pBar->setGeometry(16, 96, 459, 20);
    pBar->setRange(0, 65535);
    pBar->setValue(0);
    pBar->setTextVisible(false);
    Label4 = MakeLabel(this, "Label4", QStringLiteral("Всего загружено байт"), {16, 136, 170, 18},
                       false);
    lbBytes = MakeLabel(this, "lbBytes", QStringLiteral("000000"), {190, 136, 80, 18}, true,
                        Qt::AlignCenter);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

}  // namespace talveno::console

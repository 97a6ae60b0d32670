// Renders the console's pages offscreen against the simulated device and
// saves them as PNG files, for the README. Usage: talveno_screenshots DIR
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "load_page.h"
#include "main_form.h"
#include "page_control.h"
#include "simulator.h"
#include "status_page.h"
#include "talveno_application.h"
#include "user_dialogs.h"

using namespace talveno;
using namespace talveno::console;

namespace {

class NoDialogs final : public UserDialogs {
public:
    void showMessage(const QString&, const QString& text, BoxIcon, const QString&) override {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
    }
    QString openFileName(const FileDialogRequest&) override { return answer; }
    QString saveFileName(const FileDialogRequest&) override { return {}; }
    QString answer;
};

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Save(QWidget& widget, const QDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    const bool ok = widget.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TalvenoApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: talveno_screenshots DIR\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("."));

    devsim::Simulator device;
    if (!device.ok()) {
        std::fprintf(stderr, "no simulated device: %s\n", device.error().c_str());
        return 1;
    }
    NoDialogs dialogs;
    ConsoleOptions options;
    options.portPaths = {{"COM1", device.portPath()}};
    TMainForm form(dialogs, options);
    form.show();
    auto* pages = form.findChild<PageControl*>(QStringLiteral("PageControl"));
    bool ok = true;

    // The status page in remote control, one input driven from the screen.
    pages->setCurrentIndex(0);
    Wait(1500);
    auto* status = form.findChild<StatusPage*>(QStringLiteral("pDebug"));
    status->btGrand->click();
    Wait(1000);
    status->BitBtn[2]->click();
    status->trackFuel->setValue(150);
    Wait(2500);  // the clock and a few polls
    ok = Save(form, out, "status-page.png") && ok;
    status->btGrand->click();
    Wait(1000);

    // The load page with the sample messages chosen.
    pages->setCurrentIndex(1);
    auto* load = form.findChild<LoadPage*>(QStringLiteral("pLoad"));
    const QDir samples(QStringLiteral(TALVENO_SAMPLE_DIR));
    const QStringList files = samples.entryList({QStringLiteral("*.wav")}, QDir::Files);
    for (int n = 0; n < files.size() && n < kMessageCount; ++n) {
        dialogs.answer = samples.filePath(files[n]);
        load->btOpenFileClick(n);
        load->rows[static_cast<std::size_t>(n)].tick->setChecked(n > 0);
    }
    Wait(300);
    ok = Save(form, out, "load-page.png") && ok;

    pages->setCurrentIndex(2);
    Wait(300);
    ok = Save(form, out, "config-page.png") && ok;

    form.close();
    return ok ? 0 : 1;
}

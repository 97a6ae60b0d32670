// talveno: the service and configuration console.
#include <QCommandLineParser>

#include "main_form.h"
#include "process_priority.h"
#include "single_instance.h"
#include "talveno_application.h"
#include "user_dialogs.h"

using namespace talveno::console;

int main(int argc, char** argv) {
    TalvenoApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Voice annunciator service console"));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Open <name> at start instead of COM1."),
                                  QStringLiteral("name"));
    const QCommandLineOption simulator(
        QStringLiteral("simulator"),
        QStringLiteral("Start the simulated device and open it at start."));
    parser.addOption(port);
    parser.addOption(simulator);
    parser.process(app);

    QtUserDialogs dialogs;
    SingleInstance instance(kCaption);
    if (!instance.acquire()) {
        dialogs.showMessage(QStringLiteral(" Внимание: "),
                            QStringLiteral(" Приложение уже запущено ! "), BoxIcon::Warning);
        return 0;
    }
    RaiseProcessPriority();
    app.setDialogs(&dialogs);

    ConsoleOptions options;
    if (parser.isSet(port)) {
        options.port = parser.value(port);
    }
    options.simulator = parser.isSet(simulator);

    TMainForm form(dialogs, options);
    form.show();
    (void)app.exec();
    return 0;
}

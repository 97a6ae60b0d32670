#include "single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace talveno::console {

SingleInstance::SingleInstance(const QString& name) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    QDir().mkpath(folder);
    QString file = name.trimmed();
    file.replace(QLatin1Char(' '), QLatin1Char('-'));
    path_ = QDir(folder).filePath(file + QStringLiteral(".lock"));
}

bool SingleInstance::acquire() {
    lock_ = std::make_unique<QLockFile>(path_);
    // QLockFile takes over a lock whose process no longer runs.
    return lock_->tryLock(0);
}

}  // namespace talveno::console

// Refuses a second copy of the console for the same user: a lock file named
// after the window caption. A lock left by a crashed run is taken over.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace talveno::console {

class SingleInstance {
public:
    // `name` identifies the program (its caption); the lock lives in the
    // user's runtime folder.
    explicit SingleInstance(const QString& name);

    // True when no other live copy holds the lock; it is then held until this
    // object goes away.
    [[nodiscard]] bool acquire();

    [[nodiscard]] QString lockPath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace talveno::console

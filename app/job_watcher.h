// Watches the file of the drawn job and reports once the file has changed on
// disk and the writing has settled: rewritten in place, or replaced by a
// rename as job generators do. The folder is watched too, since a rename
// over the file, or the file coming back after it vanished, shows only there.
#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

// What tells one version of a file from the next without reading it.
struct FileStamp {
    bool exists = false;
    std::int64_t size = 0;
    QDateTime modified;
    QDateTime changed;  // status change: a new file renamed into place has its own

    static FileStamp Of(const QString& path);
    bool operator==(const FileStamp&) const = default;
};

class JobWatcher {
public:
    // How long the file must stay unchanged before it counts as written.
    static constexpr int kSettleMilliseconds = 200;

    // onChanged runs once the watched file differs from its stamp and has
    // settled; it gets the file's stamp as it is now.
    explicit JobWatcher(std::function<void(const FileStamp&)> onChanged);

    // Watches path, whose version on screen is stamp (taken before it was
    // read, so that a change during the load still counts).
    void Watch(const QString& path, const FileStamp& stamp);
    void Forget();
    // Asks again after the settle time, for a change that cannot be acted on
    // yet.
    void Retry() { m_settle.start(); }
    // The version now on screen, or that the user was told about.
    void Acknowledge(const FileStamp& stamp) { m_stamp = stamp; }
    const QString& Path() const { return m_path; }

private:
    void Check();

    std::function<void(const FileStamp&)> m_onChanged;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_path;
    FileStamp m_stamp;
};

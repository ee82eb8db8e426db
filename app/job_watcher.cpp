#include "app/job_watcher.h"

#include <QFileInfo>

FileStamp FileStamp::Of(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return {};
    return {true, info.size(), info.lastModified(), info.metadataChangeTime()};
}

JobWatcher::JobWatcher(std::function<void(const FileStamp&)> onChanged)
    : m_onChanged(std::move(onChanged)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMilliseconds);
    // Every notice restarts the wait, so a file written in pieces is read
    // once, after its last piece.
    const auto restart = [this] { m_settle.start(); };
    QObject::connect(&m_watcher, &QFileSystemWatcher::fileChanged, restart);
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, restart);
    QObject::connect(&m_settle, &QTimer::timeout, [this] { Check(); });
}

void JobWatcher::Watch(const QString& path, const FileStamp& stamp) {
    Forget();
    m_path = path;
    m_stamp = stamp;
    m_watcher.addPath(QFileInfo(path).absolutePath());
    m_watcher.addPath(path);
    // Changed while it was read and drawn, before any watch was on it.
    if (!(FileStamp::Of(path) == stamp)) m_settle.start();
}

void JobWatcher::Forget() {
    m_settle.stop();
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty()) m_watcher.removePaths(watched);
    m_path.clear();
    m_stamp = {};
}

void JobWatcher::Check() {
    if (m_path.isEmpty()) return;
    const FileStamp now = FileStamp::Of(m_path);
    // Notices about other files of the folder leave the job as it is.
    if (now == m_stamp) return;
    // A file replaced by a rename is a new file: the old watch went with the
    // old one.
    if (now.exists && !m_watcher.files().contains(m_path)) m_watcher.addPath(m_path);
    m_onChanged(now);
}

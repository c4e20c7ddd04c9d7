#include "document/version_keeper.h"

#include "files/system_files.h"

#include <QThread>

#include <atomic>

namespace modMain {
namespace {

// Whether a store that cannot be written was told of in this run.
std::atomic<bool> g_failureTold = false;

}  // namespace

VersionKeeper::VersionKeeper(QString folder, QObject* parent)
    : QObject(parent)
    , folder_(std::move(folder))
    , thread_(new QThread)
    , worker_(new QObject)
{
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_->start();
}

VersionKeeper::~VersionKeeper()
{
    // What was handed on is kept before the program ends.
    finish();
    thread_->quit();
    thread_->wait();
    delete thread_;
}

void VersionKeeper::keep(const QString& target, files::FileBytes bytes, files::VersionSource source)
{
    if (target.isEmpty())
        return;
    QMetaObject::invokeMethod(
        worker_,
        [this, store = files::VersionStore(folder_), target, bytes = std::move(bytes), source,
         timeNs = files::nowNs()]() mutable {
            QString error;
            try {
                error = store.keep(target, bytes.view(), source, timeNs);
            } catch (const std::bad_alloc&) {
                error = QStringLiteral("Não há memória suficiente para guardar a versão.");
            }
            if (!error.isEmpty() && !g_failureTold.exchange(true))
                QMetaObject::invokeMethod(
                    this, [this, error] { emit failed(error); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void VersionKeeper::finish()
{
    QMetaObject::invokeMethod(
        worker_, [] {}, Qt::BlockingQueuedConnection);
}

}  // namespace modMain

#pragma once

#include "help/compiledhelp.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>
#include <exception>
#include <functional>
#include <stdexcept>

/**
 * Runs `work` on a pool thread over the help file at `path`, opened anew there, so nothing it reads
 * is shared with the window's thread. Whatever is thrown ends the future with that exception.
 */
template <typename Result>
QFuture<Result> readInBackground(const QString &path, std::function<void(QPromise<Result> &, const CompiledHelp &)> work)
{
    return QtConcurrent::run([path, work = std::move(work)](QPromise<Result> &promise) {
        try {
            const CompiledHelp help(path);
            // The file was read when it opened in the window; it may have changed since.
            if (!help.isOpen())
                throw std::runtime_error("the help file can no longer be read");
            work(promise, help);
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}

/** Watches a background reading for the window: when it goes, the reading is cancelled and nothing it sent arrives. */
template <typename Result>
class ReadingWatcher : public QFutureWatcher<Result>
{
public:
    ~ReadingWatcher() override { this->cancel(); }
};

// Runs work on the GUI thread for other threads (the popups' threads): queued,
// in order, and never after the driver has gone. A caller that needs an answer
// waits at most a time-out, so a thread never hangs on a GUI that has stopped.
#pragma once

#include <QObject>
#include <QThread>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace kel::qt {

class GuiBridge {
public:
    // `context` lives on the GUI thread; the bridge does not own it.
    explicit GuiBridge(QObject* context) : m_context(context) {}

    bool OnGuiThread() const { return QThread::currentThread() == m_context->thread(); }

    // Queues `work` for the GUI thread; false once the bridge is closed.
    bool Post(std::function<void()> work) {
        std::lock_guard lock(m_mutex);
        if (m_closed) return false;
        QMetaObject::invokeMethod(m_context, std::move(work), Qt::QueuedConnection);
        return true;
    }

    // Runs `work` on the GUI thread and returns its value: at once on the GUI
    // thread, else queued and awaited; nullopt after `timeoutMs` or once closed.
    template <class T>
    std::optional<T> Call(std::function<T()> work, int timeoutMs = 5000) {
        if (OnGuiThread()) return work();
        struct State {
            std::mutex mutex;
            std::condition_variable done;
            std::optional<T> value;
        };
        auto state = std::make_shared<State>();
        if (!Post([state, work = std::move(work)] {
                T value = work();
                std::lock_guard lock(state->mutex);
                state->value = std::move(value);
                state->done.notify_all();
            }))
            return std::nullopt;
        std::unique_lock lock(state->mutex);
        state->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state->value.has_value(); });
        return state->value;
    }

    // No more work is taken; work already queued is dropped with the context.
    void Close() {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }

private:
    std::mutex m_mutex;
    QObject* m_context;
    bool m_closed = false;
};

}  // namespace kel::qt

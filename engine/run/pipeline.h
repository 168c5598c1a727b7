#pragma once

#include <QtGlobal>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Jobs done ahead by worker threads and handed back in the order they were
// given: the thread that pushes them takes each result in turn, waiting only
// when the workers have not got that far. Each worker has a number of its
// own (0 to workers - 1) for the state it keeps from job to job; results
// that are dropped, or still unclaimed when the pipeline goes, are destroyed
// (on whichever thread lets them go), so they must clean up after themselves.
template<typename Job, typename Result>
class Pipeline
{
public:
    using Work = std::function<Result(int worker, const Job &job)>;

    Pipeline(int workers, Work work) : m_work(std::move(work))
    {
        for (int worker = 0; worker < workers; ++worker)
            m_threads.emplace_back([this, worker] { serve(worker); });
    }
    ~Pipeline()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_ending = true;
        }
        m_wake.notify_all();
        for (std::thread &thread : m_threads)
            thread.join();
    }
    Pipeline(const Pipeline &) = delete;
    Pipeline &operator=(const Pipeline &) = delete;

    // Jobs given and not yet taken.
    qsizetype pending() const
    {
        const std::lock_guard lock(m_mutex);
        return qsizetype(m_slots.size());
    }

    void push(Job job)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_slots.push_back(Slot{std::move(job), {}});
        }
        m_wake.notify_one();
    }

    // The result of the oldest job not yet taken, when it is done. There
    // must be one (pending() > 0).
    Result take()
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_slots.front().result.has_value(); });
        Result result = std::move(*m_slots.front().result);
        m_slots.pop_front();
        ++m_first;
        return result;
    }

    // Forgets the oldest job not yet taken, without waiting for it: what
    // was done of it is destroyed, and what is being done is when it is.
    void dropFirst()
    {
        std::optional<Slot> dropped;
        const std::lock_guard lock(m_mutex);
        dropped.emplace(std::move(m_slots.front()));
        m_slots.pop_front();
        ++m_first;
        m_next = std::max(m_next, m_first);
    }

    // Forgets every job not yet taken: what was done of them is destroyed,
    // and what is being done is destroyed when it is.
    void dropAll()
    {
        std::deque<Slot> dropped;
        const std::lock_guard lock(m_mutex);
        dropped.swap(m_slots);
        m_first += dropped.size();
        m_next = m_first;
    }

private:
    struct Slot
    {
        Job job;
        std::optional<Result> result;
    };

    void serve(int worker)
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_ending || m_next < m_first + m_slots.size(); });
            if (m_ending)
                return;
            const quint64 number = m_next++;
            const Job job = m_slots[number - m_first].job;
            lock.unlock();
            std::optional<Result> result(m_work(worker, job));
            lock.lock();
            // Dropped meanwhile: it goes here, with the lock held only by this thread.
            if (number < m_first)
                continue;
            m_slots[number - m_first].result.emplace(std::move(*result));
            m_done.notify_one();
        }
    }

    Work m_work;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;   // a job was given, or the pipeline ends
    std::condition_variable m_done;   // a result is ready
    std::deque<Slot> m_slots;         // jobs given and not taken, the oldest first
    quint64 m_first = 0;              // the number of the job in m_slots.front()
    quint64 m_next = 0;               // the number of the next job a worker takes up
    bool m_ending = false;
    std::vector<std::thread> m_threads;   // last: they start once all else is made
};

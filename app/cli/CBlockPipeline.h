#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

// Works a stream of items on worker threads, block by block, and hands the
// worked blocks back in the order they were filled. The caller's thread
// fills the next blocks and writes the finished ones while the other workers
// work the earlier ones, so reading and writing overlap with the work instead
// of stopping it at every block; while it waits for a block, the caller's
// thread works items too, so that n workers keep n cores busy, not n + 1.
//
//   for each block: nextBlock(), fill it, publish(count);
//   when every block is in flight (or the input has ended): oldest(), use
//   its items, release().
template <typename Item>
class CBlockPipeline {
public:
    // work(worker, item) runs for worker `worker` (0 .. workers-1); the last
    // one is the caller's thread, the others have threads of their own.
    using Work = std::function<void(std::size_t worker, Item& item)>;

    CBlockPipeline(std::size_t workers, std::size_t blocks, std::size_t blockSize, Work work)
        : m_work(std::move(work)), m_nCaller(workers - 1)
    {
        for (std::size_t b = 0; b < blocks; ++b) {
            m_blocks.push_back(std::make_unique<Block>());
            m_blocks.back()->items.resize(blockSize);
        }
        for (std::size_t w = 0; w < m_nCaller; ++w)
            m_threads.emplace_back([this, w] { run(w); });
    }

    ~CBlockPipeline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_bStop.store(true);
        }
        m_workReady.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }

    CBlockPipeline(const CBlockPipeline&) = delete;
    CBlockPipeline& operator=(const CBlockPipeline&) = delete;

    // The next block to fill, or an empty span while every block is in flight.
    std::span<Item> nextBlock()
    {
        if (m_nTail - m_nHead == m_blocks.size())
            return {};
        return at(m_nTail).items;
    }

    // The block of nextBlock() holds count items (at least one): the workers
    // may take them.
    void publish(std::size_t count)
    {
        {
            std::lock_guard lock(m_mutex);
            Block& block = at(m_nTail);
            block.count.store(count);
            block.done.store(0);
            block.next.store(0);
            ++m_nTail;
        }
        m_workReady.notify_all();
    }

    bool inFlight() const { return m_nHead != m_nTail; }

    // The oldest block in flight, once every item of it is worked. Rethrows
    // what a worker threw.
    std::span<Item> oldest()
    {
        Block& block = at(m_nHead);
        std::unique_lock lock(m_mutex);
        while (block.done.load() != block.count.load()) {
            Block* open = takeable();
            if (!open) {
                // Every item is taken: the workers finish them.
                m_blockDone.wait(lock, [&] { return block.done.load() == block.count.load(); });
                break;
            }
            lock.unlock();
            workOne(*open, m_nCaller);
            lock.lock();
        }
        if (m_error)
            std::rethrow_exception(m_error);
        return std::span<Item>(block.items).first(block.count.load());
    }

    // The oldest block is used up: it may be filled again.
    void release()
    {
        std::lock_guard lock(m_mutex);
        // A worker that still holds the block from before finds nothing left
        // to take until it is published again.
        at(m_nHead).next.store(kClosed);
        ++m_nHead;
    }

private:
    static constexpr std::size_t kClosed = std::size_t(1) << 62;

    struct Block {
        std::vector<Item> items;
        std::atomic<std::size_t> count{0};
        std::atomic<std::size_t> next{kClosed}; // the next item to take
        std::atomic<std::size_t> done{0};       // items worked
    };

    Block& at(std::size_t sequence) { return *m_blocks[sequence % m_blocks.size()]; }

    // The oldest block in flight with items left to take; null when none.
    Block* takeable()
    {
        for (std::size_t s = m_nHead; s != m_nTail; ++s)
            if (Block& block = at(s); block.next.load() < block.count.load())
                return &block;
        return nullptr;
    }

    void run(std::size_t worker)
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            Block* block = nullptr;
            m_workReady.wait(lock, [&] { return m_bStop || (block = takeable()) != nullptr; });
            if (m_bStop)
                return;
            lock.unlock();
            while (!m_bStop.load() && workOne(*block, worker)) {
            }
            lock.lock();
        }
    }

    // Takes the next item of block and works it; false when none was left.
    bool workOne(Block& block, std::size_t worker)
    {
        const std::size_t i = block.next.fetch_add(1);
        if (i >= block.count.load())
            return false;
        try {
            m_work(worker, block.items[i]);
        } catch (...) {
            std::lock_guard errorLock(m_mutex);
            if (!m_error)
                m_error = std::current_exception();
        }
        if (block.done.fetch_add(1) + 1 == block.count.load()) {
            std::lock_guard doneLock(m_mutex);
            m_blockDone.notify_all();
        }
        return true;
    }

    Work m_work;
    std::size_t m_nCaller; // the caller's thread's worker number
    std::vector<std::unique_ptr<Block>> m_blocks;
    std::size_t m_nHead = 0; // the oldest block in flight, as a running number
    std::size_t m_nTail = 0; // the next block to fill
    std::mutex m_mutex;
    std::condition_variable m_workReady, m_blockDone;
    std::exception_ptr m_error;
    std::atomic<bool> m_bStop{false};
    std::vector<std::thread> m_threads; // last: started once everything else is ready
};

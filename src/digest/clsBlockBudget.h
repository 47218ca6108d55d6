// The read buffers of the digest pool: one memory budget cut into blocks of one size. Readers fill blocks and
// hand pieces of them to the hashing workers; a block goes back to the budget when the last piece of it has
// been hashed. Thread-safe.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

class clsBlockBudget {
public:
    struct Block {
        unsigned char* data = nullptr;
        std::atomic<unsigned> refs{0};
    };

    /// `count` blocks of `blockBytes` bytes each (both at least 1), page-aligned, allocated at once.
    clsBlockBudget(std::size_t blockBytes, std::size_t count);
    ~clsBlockBudget();
    clsBlockBudget(const clsBlockBudget&) = delete;
    clsBlockBudget& operator=(const clsBlockBudget&) = delete;

    std::size_t BlockBytes() const { return m_BlockBytes; }
    std::size_t Blocks() const { return m_Blocks.size(); }

    /// A free block with one reference, or nullptr when none is free now.
    Block* TryAcquire();

    /// A free block with one reference; waits for one. nullptr once `stop` is true (checked whenever the
    /// budget changes and on Interrupt).
    Block* Acquire(const std::atomic<bool>& stop);

    /// Another holder of `block`.
    static void AddRef(Block* block) { block->refs.fetch_add(1, std::memory_order_relaxed); }

    /// Drops one reference; the last one gives the block back. Null is ignored.
    void Release(Block* block);

    /// Wakes every Acquire to look at its stop flag again.
    void Interrupt();

    /// Blocks handed out and not given back.
    std::size_t InUse() const;

private:
    struct FreeMemory {
        void operator()(unsigned char* memory) const;
    };

    Block* TakeFree(); // with m_Mutex held and a block free

    const std::size_t m_BlockBytes;
    std::unique_ptr<unsigned char, FreeMemory> m_Memory;
    std::vector<Block> m_Blocks;
    mutable std::mutex m_Mutex;
    std::condition_variable m_Freed;
    std::vector<Block*> m_Free;
};

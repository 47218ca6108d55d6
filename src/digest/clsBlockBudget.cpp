#include "digest/clsBlockBudget.h"

#include <algorithm>
#include <new>

namespace {

// Page-aligned blocks: the system copies file pages into them fastest.
constexpr std::align_val_t kAlignment{4096};

} // namespace

void clsBlockBudget::FreeMemory::operator()(unsigned char* memory) const {
    ::operator delete(memory, kAlignment);
}

clsBlockBudget::clsBlockBudget(std::size_t blockBytes, std::size_t count)
    : m_BlockBytes(std::max<std::size_t>(blockBytes, 1)), m_Blocks(std::max<std::size_t>(count, 1)) {
    m_Memory.reset(static_cast<unsigned char*>(::operator new(m_BlockBytes* m_Blocks.size(), kAlignment)));
    m_Free.reserve(m_Blocks.size());
    for (std::size_t i = m_Blocks.size(); i-- > 0;) {
        m_Blocks[i].data = m_Memory.get() + i * m_BlockBytes;
        m_Free.push_back(&m_Blocks[i]);
    }
}

clsBlockBudget::~clsBlockBudget() = default;

clsBlockBudget::Block* clsBlockBudget::TryAcquire() {
    const std::lock_guard lock(m_Mutex);
    return m_Free.empty() ? nullptr : TakeFree();
}

clsBlockBudget::Block* clsBlockBudget::Acquire(const std::atomic<bool>& stop) {
    std::unique_lock lock(m_Mutex);
    m_Freed.wait(lock, [&] { return !m_Free.empty() || stop.load(); });
    return stop.load() ? nullptr : TakeFree();
}

// The block freed last, with one reference: it is the likeliest to be in the processor's cache still.
clsBlockBudget::Block* clsBlockBudget::TakeFree() {
    Block* block = m_Free.back();
    m_Free.pop_back();
    block->refs.store(1, std::memory_order_relaxed);
    return block;
}

void clsBlockBudget::Release(Block* block) {
    if (block == nullptr || block->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) {
        return;
    }
    const std::lock_guard lock(m_Mutex);
    m_Free.push_back(block);
    m_Freed.notify_one();
}

void clsBlockBudget::Interrupt() {
    const std::lock_guard lock(m_Mutex);
    m_Freed.notify_all();
}

std::size_t clsBlockBudget::InUse() const {
    const std::lock_guard lock(m_Mutex);
    return m_Blocks.size() - m_Free.size();
}

#include "module/spare_core.h"

namespace vemra::module {
namespace {

// About a tenth of a millisecond of spinning: longer than the gap between two steps of a
// dense run, shorter than what the rounds do between runs (the check between the angles).
constexpr int kSpinsBeforeSleep = 20000;

thread_local SpareCore* currentSpareCore = nullptr;

void pause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

std::uint32_t generationOf(std::uint64_t claims) { return static_cast<std::uint32_t>(claims >> 32); }

} // namespace

SpareCore::~SpareCore()
{
    if (!helper_.joinable())
        return;
    stop_.store(true);
    claims_.fetch_add(std::uint64_t{1} << 32); // a new generation wakes the helper
    claims_.notify_one();
    helper_.join();
}

bool SpareCore::claim(std::uint32_t generation, bool fromBack, int& begin, int& end)
{
    std::uint64_t seen = claims_.load(std::memory_order_acquire);
    for (;;) {
        if (generationOf(seen) != generation)
            return false;
        const auto front = static_cast<std::uint32_t>(seen & 0xffffu);
        const auto back = static_cast<std::uint32_t>((seen >> 16) & 0xffffu);
        if (front >= back)
            return false;
        const std::uint32_t chunk = fromBack ? back - 1 : front;
        const std::uint64_t after = fromBack ? seen - (std::uint64_t{1} << 16) : seen + 1;
        if (claims_.compare_exchange_weak(seen, after, std::memory_order_acq_rel)) {
            const int size = chunkSize_.load(std::memory_order_relaxed);
            const int count = count_.load(std::memory_order_relaxed);
            begin = static_cast<int>(chunk) * size;
            end = begin + size < count ? begin + size : count;
            return true;
        }
    }
}

void SpareCore::runClaimed(std::uint32_t generation, bool fromBack)
{
    int begin = 0, end = 0;
    while (claim(generation, fromBack, begin, end)) {
        work_.load(std::memory_order_relaxed)(context_.load(std::memory_order_relaxed), begin, end);
        chunksDone_.fetch_add(1, std::memory_order_release);
    }
}

void SpareCore::split(int count, int chunkSize, Chunk work, void* context)
{
    const int chunks = (count + chunkSize - 1) / chunkSize;
    if (chunks > 0xffff) {
        work(context, 0, count);
        return;
    }
    if (!helper_.joinable())
        helper_ = std::thread([this] { help(); });
    count_.store(count, std::memory_order_relaxed);
    chunkSize_.store(chunkSize, std::memory_order_relaxed);
    work_.store(work, std::memory_order_relaxed);
    context_.store(context, std::memory_order_relaxed);
    chunksDone_.store(0, std::memory_order_relaxed);
    ++generation_;
    // Publishes the loop: whoever sees this generation in the claims sees its fields.
    claims_.store((static_cast<std::uint64_t>(generation_) << 32) | (static_cast<std::uint64_t>(chunks) << 16),
                  std::memory_order_seq_cst);
    if (sleeping_.load(std::memory_order_seq_cst))
        claims_.notify_one();
    runClaimed(generation_, false);
    while (chunksDone_.load(std::memory_order_acquire) < chunks)
        pause();
}

void SpareCore::help()
{
    std::uint32_t seen = 0;
    while (!stop_.load(std::memory_order_acquire)) {
        std::uint64_t claims = claims_.load(std::memory_order_acquire);
        for (int spins = 0; generationOf(claims) == seen && spins < kSpinsBeforeSleep; ++spins) {
            pause();
            claims = claims_.load(std::memory_order_acquire);
        }
        if (generationOf(claims) == seen) {
            sleeping_.store(true, std::memory_order_seq_cst);
            claims = claims_.load(std::memory_order_seq_cst);
            if (generationOf(claims) == seen)
                claims_.wait(claims, std::memory_order_seq_cst);
            sleeping_.store(false, std::memory_order_relaxed);
            continue;
        }
        seen = generationOf(claims);
        runClaimed(seen, true);
    }
}

SpareCore* spareCore() { return currentSpareCore; }

SpareCoreScope::SpareCoreScope(bool wanted) : previous_(currentSpareCore)
{
    if (wanted && std::thread::hardware_concurrency() > 1) {
        own_ = std::make_unique<SpareCore>();
        currentSpareCore = own_.get();
    }
}

SpareCoreScope::~SpareCoreScope()
{
    currentSpareCore = previous_;
}

} // namespace vemra::module

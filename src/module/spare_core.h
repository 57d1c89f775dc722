// A second core for the loops of one solve. Where a solve runs while another core has nothing
// to do (the first search of a project whose λ one programme finds), the longest loops of each
// dense simplex step — the pass over the rows, the update of the inverse — are split between
// the solving thread and a helper on that core.
//
// The loop is cut into chunks that the two threads claim from a shared counter, the solving
// thread from the front, the helper from the back: a helper that is slow to wake costs nothing
// but its share, and otherwise each thread takes the same rows step after step and finds them
// in its own cache. Every entry is computed exactly as one thread alone computes it (the chunks keep the
// pairing of rows the kernels use), so the results do not depend on which thread took what.
// Between steps the helper waits for the next loop by spinning for a while, then sleeps.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

namespace vemra::module {

class SpareCore {
public:
    // One chunk of a loop: the entries from begin to end (exclusive).
    using Chunk = void (*)(void* context, int begin, int end);

    // The helper starts with the first loop long enough to share: small programmes never pay
    // for a thread.
    SpareCore() = default;
    ~SpareCore();
    SpareCore(const SpareCore&) = delete;
    SpareCore& operator=(const SpareCore&) = delete;

    // Runs work over [0, count) in chunks of chunkSize (the last may be shorter) on this thread
    // and the helper, and returns once every chunk is done. Only the thread that made the spare
    // core may call it, one loop at a time.
    void split(int count, int chunkSize, Chunk work, void* context);

    // Whether the helper thread runs yet (a loop long enough to share has come by).
    bool started() const { return helper_.joinable(); }

    // Runs f(begin, end) over [0, count), each entry worth about workPerEntry multiply-adds:
    // split where a spare core is given and the loop is long enough to pay for the hand-over,
    // on this thread alone otherwise.
    template <class F>
    static void loop(SpareCore* core, int count, int chunkSize, int workPerEntry, F& f)
    {
        if (core == nullptr || count <= chunkSize || static_cast<long>(count) * workPerEntry < kLeastSharedWork) {
            f(0, count);
            return;
        }
        core->split(count, chunkSize, [](void* context, int begin, int end) { (*static_cast<F*>(context))(begin, end); },
                    &f);
    }

private:
    // A hand-over costs about a microsecond; a loop of this many multiply-adds takes about five
    // on one core.
    static constexpr long kLeastSharedWork = 20000;

    // Claims the first (or, for the helper, the last) unclaimed chunk of the loop of the given
    // generation; false when none is left (or the loop is another one by now).
    bool claim(std::uint32_t generation, bool fromBack, int& begin, int& end);
    void runClaimed(std::uint32_t generation, bool fromBack);
    void help();

    // The generation of the current loop in the upper half; in the lower half the first chunk
    // not claimed from the front (bits 0 to 15) and one past the last not claimed from the
    // back (bits 16 to 31). A claim that still sees its loop's generation is a claim of that loop.
    std::atomic<std::uint64_t> claims_{0};
    std::atomic<int> count_{0}, chunkSize_{1}, chunksDone_{0};
    std::atomic<Chunk> work_{nullptr};
    std::atomic<void*> context_{nullptr};
    std::atomic<bool> sleeping_{false}, stop_{false};
    std::uint32_t generation_ = 0;
    std::thread helper_;
};

// The spare core of the solve running on this thread, or nullptr.
SpareCore* spareCore();

// Gives the solves of this thread a spare core while the scope lasts.
class SpareCoreScope {
public:
    explicit SpareCoreScope(bool wanted);
    ~SpareCoreScope();
    SpareCoreScope(const SpareCoreScope&) = delete;
    SpareCoreScope& operator=(const SpareCoreScope&) = delete;

private:
    SpareCore* previous_;
    std::unique_ptr<SpareCore> own_;
};

} // namespace vemra::module

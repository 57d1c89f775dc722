// Work started on another core before it is known whether its result will be needed, such as
// the next level of a bisection should the level being solved turn out unreachable. Called
// off, it stops where the search polls for a stop request (between simplex iterations and
// between programmes), and what it found is never read.
#pragma once

#include "module/stop_request.h"

#include <atomic>
#include <exception>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

namespace vemra::module {

template <class Result>
class WorkAhead {
public:
    // onDone is called on the task's thread once the work has ended, however it ended.
    explicit WorkAhead(std::function<Result()> work, std::function<void()> onDone = {})
        : thread_([this, work = std::move(work), onDone = std::move(onDone)] {
              {
                  const CallOffScope scope(&calledOff_);
                  try {
                      result_ = work();
                  } catch (...) {
                      error_ = std::current_exception();
                  }
              }
              done_.store(true, std::memory_order_release);
              if (onDone)
                  onDone();
          })
    {
    }
    WorkAhead(const WorkAhead&) = delete;
    WorkAhead& operator=(const WorkAhead&) = delete;
    // Waits for work that is no longer wanted to reach its next poll.
    ~WorkAhead()
    {
        callOff();
        if (thread_.joinable())
            thread_.join();
    }

    void callOff() { calledOff_.store(true, std::memory_order_relaxed); }
    bool done() const { return done_.load(std::memory_order_acquire); }

    // Waits for the work and returns its result, or throws what it threw.
    Result take()
    {
        thread_.join();
        if (error_)
            std::rethrow_exception(error_);
        return std::move(*result_);
    }

private:
    std::atomic<bool> calledOff_{false};
    std::atomic<bool> done_{false};
    std::optional<Result> result_;
    std::exception_ptr error_;
    std::thread thread_; // last, so that it starts once the members above exist
};

} // namespace vemra::module

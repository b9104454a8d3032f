// Jobs run side by side on worker threads, their results handed back one by one in the order given.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace tracewell {

// Up to `width` jobs run at once, each on a worker thread of the pool. Their
// results come back on the calling thread only, strictly in submission order,
// through the `deliver` function passed to submit or drain, so everything a
// caller prints stays in the order it would have had one job after another.
// A job that throws does not end its thread: the exception is rethrown by
// the submit or drain call that reaches its turn, after the results before
// it were delivered. The destructor waits for every submitted job to end and
// drops undelivered results. Only one thread may call the members.
template <typename R>
class orderedpool {
 public:
  using job = std::function<R()>;
  using deliverer = std::function<void(R&)>;

  // Starts `width` worker threads (at least one). When the system refuses
  // threads, the pool is as wide as the threads it got, and with none at all
  // each job runs within submit.
  explicit orderedpool(std::size_t width) {
    try {
      for (std::size_t i = 0; i < std::max<std::size_t>(width, 1); ++i)
        workers_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
    }
    width_ = std::max<std::size_t>(workers_.size(), 1);
  }
  ~orderedpool() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
  }
  orderedpool(const orderedpool&) = delete;
  orderedpool& operator=(const orderedpool&) = delete;

  std::size_t width() const { return width_; }

  // Blocks until fewer than width() jobs are running, delivering the results
  // that are ready at the front meanwhile. A caller about to take memory for
  // its next job calls this first, so no more than width() jobs' worth is held.
  void makeroom(const deliverer& deliver) {
    std::unique_lock lock(mutex_);
    for (;;) {
      deliverready(lock, deliver);
      if (running_ < width_) return;
      done_.wait(lock);
    }
  }

  // Starts `j` once fewer than width() jobs run (see makeroom); its result
  // waits behind every result submitted before it.
  void submit(job j, const deliverer& deliver) {
    makeroom(deliver);
    auto s = std::make_shared<slot>();
    s->run = std::move(j);
    if (workers_.empty()) {
      finish(*s);
      const std::lock_guard lock(mutex_);
      s->finished = true;
      order_.push_back(std::move(s));
      return;
    }
    {
      const std::lock_guard lock(mutex_);
      order_.push_back(s);
      queue_.push_back(std::move(s));
      ++running_;
    }
    wake_.notify_one();
  }

  // Waits for every job and delivers all results in order.
  void drain(const deliverer& deliver) {
    std::unique_lock lock(mutex_);
    for (;;) {
      deliverready(lock, deliver);
      if (order_.empty()) return;
      done_.wait(lock);
    }
  }

  // Submitted jobs whose results were not delivered yet.
  std::size_t pending() const {
    const std::lock_guard lock(mutex_);
    return order_.size();
  }

 private:
  struct slot {
    job run;
    std::optional<R> value;
    std::exception_ptr error;
    bool finished = false;
  };

  // Hands over the finished results at the front, the lock released around
  // each delivery so that workers go on meanwhile.
  void deliverready(std::unique_lock<std::mutex>& lock, const deliverer& deliver) {
    while (!order_.empty() && order_.front()->finished) {
      const std::shared_ptr<slot> s = std::move(order_.front());
      order_.pop_front();
      lock.unlock();
      // The lock is taken back however the delivery ends, for the caller's guard.
      struct relock {
        std::unique_lock<std::mutex>& l;
        ~relock() { l.lock(); }
      } again{lock};
      if (s->error) std::rethrow_exception(s->error);
      deliver(*s->value);
    }
  }

  // Runs the job of `s`. Until `finished` is set under the lock, only the
  // thread running it touches the slot.
  static void finish(slot& s) {
    try {
      s.value.emplace(s.run());
    } catch (...) {
      s.error = std::current_exception();
    }
    s.run = nullptr;  // what the job holds goes now, not at delivery
  }

  void work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;
      const std::shared_ptr<slot> s = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      finish(*s);
      lock.lock();
      s->finished = true;
      --running_;
      done_.notify_all();
    }
  }

  std::size_t width_ = 1;
  mutable std::mutex mutex_;
  std::condition_variable wake_;             // a job is queued, or the pool stops
  std::condition_variable done_;             // a job finished
  std::deque<std::shared_ptr<slot>> queue_;  // submitted, not started
  std::deque<std::shared_ptr<slot>> order_;  // submitted, not delivered, in submission order
  std::size_t running_ = 0;                  // submitted, not finished
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace tracewell

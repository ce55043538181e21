// Implements: the worker pool of workers.h. Workers wait a moment for the next call before
// they sleep, since a frame's calls follow one another within microseconds.
// Leaves out: work stealing and priorities.
#include "workers.h"

#include <algorithm>
#include <chrono>

#include "tuning.h"

namespace refdevice {

namespace {

// How long a worker keeps looking for the next call before it sleeps: long enough to bridge
// the gaps between a frame's calls, short enough to cost nothing between frames.
constexpr std::chrono::microseconds kWorkerSpin{50};
// How long a call waits actively for the workers' last tasks before it sleeps.
constexpr std::chrono::microseconds kCallerSpin{20};

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

int ResolveThreadCount(int requested) {
  int count = requested;
  if (count <= 0) count = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(count, 1, tuning::kMaxThreads);
}

WorkerPool::WorkerPool(int threadCount) {
  for (int i = 1; i < threadCount; ++i) threads_.emplace_back([this] { WorkerLoop(); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    generation_.fetch_add(1);
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

size_t WorkerPool::RunTasks(const std::function<void(size_t)>& task, size_t count) {
  size_t ran = 0;
  for (size_t index = nextIndex_.fetch_add(1); index < count; index = nextIndex_.fetch_add(1)) {
    task(index);
    ++ran;
  }
  return ran;
}

bool WorkerPool::JoinNextCall(size_t& seenGeneration, const std::function<void(size_t)>*& task, size_t& count) {
  auto spinEnd = std::chrono::steady_clock::now() + kWorkerSpin;
  while (generation_.load(std::memory_order_acquire) == seenGeneration && std::chrono::steady_clock::now() < spinEnd) {
    for (int i = 0; i < 64; ++i) Pause();
  }
  std::unique_lock<std::mutex> lock(mutex_);
  wake_.wait(lock, [&] { return generation_.load() != seenGeneration; });
  if (stopping_) return false;
  // The call's task and count, read under the mutex, belong to this generation.
  seenGeneration = generation_.load();
  task = task_;
  count = taskCount_;
  ++activeWorkers_;
  return true;
}

void WorkerPool::WorkerLoop() {
  size_t seenGeneration = 0;
  const std::function<void(size_t)>* task = nullptr;
  size_t count = 0;
  while (JoinNextCall(seenGeneration, task, count)) {
    size_t ran = RunTasks(*task, count);
    bool lastTask = ran > 0 && finished_.fetch_add(ran, std::memory_order_acq_rel) + ran == count;
    std::lock_guard<std::mutex> lock(mutex_);
    if (lastTask) callDone_.notify_all();
    if (--activeWorkers_ == 0) idle_.notify_all();
  }
}

void WorkerPool::ParallelFor(size_t count, const std::function<void(size_t)>& task) {
  if (count == 0) return;
  if (threads_.empty() || count == 1) {
    for (size_t i = 0; i < count; ++i) task(i);
    return;
  }
  {
    std::unique_lock<std::mutex> lock(mutex_);
    // A worker that woke late for the previous call may still hold its task; it finds no index
    // left, but the counters may only be reset once it has gone.
    idle_.wait(lock, [&] { return activeWorkers_ == 0; });
    task_ = &task;
    taskCount_ = count;
    nextIndex_.store(0);
    finished_.store(0);
    generation_.fetch_add(1, std::memory_order_release);
  }
  wake_.notify_all();
  size_t ran = RunTasks(task, count);
  finished_.fetch_add(ran, std::memory_order_acq_rel);
  // Every index has been taken: wait for the workers' last tasks, actively for a moment since
  // they are usually short, then asleep.
  auto spinEnd = std::chrono::steady_clock::now() + kCallerSpin;
  while (finished_.load(std::memory_order_acquire) < count && std::chrono::steady_clock::now() < spinEnd) {
    for (int i = 0; i < 16; ++i) Pause();
  }
  std::unique_lock<std::mutex> lock(mutex_);
  callDone_.wait(lock, [&] { return finished_.load(std::memory_order_acquire) >= count; });
}

}  // namespace refdevice

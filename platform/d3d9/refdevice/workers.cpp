// Implements: the worker pool of workers.h. Leaves out: work stealing and priorities.
#include "workers.h"

#include <algorithm>

#include "tuning.h"

namespace refdevice {

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
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

// Takes indices under the lock: tasks are large (a tile, a chunk of triangles), so the lock
// is cheap next to them and keeps the bookkeeping simple.
void WorkerPool::RunTasks() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (nextIndex_ < taskCount_) {
    size_t index = nextIndex_++;
    const std::function<void(size_t)>* task = task_;
    lock.unlock();
    (*task)(index);
    lock.lock();
  }
}

void WorkerPool::WorkerLoop() {
  size_t seenGeneration = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || generation_ != seenGeneration; });
      if (stopping_) return;
      seenGeneration = generation_;
      ++busyWorkers_;
    }
    RunTasks();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --busyWorkers_;
    }
    finished_.notify_all();
  }
}

void WorkerPool::ParallelFor(size_t count, const std::function<void(size_t)>& task) {
  if (count == 0) return;
  if (threads_.empty() || count == 1) {
    for (size_t i = 0; i < count; ++i) task(i);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    task_ = &task;
    taskCount_ = count;
    nextIndex_ = 0;
    ++generation_;
  }
  wake_.notify_all();
  RunTasks();
  std::unique_lock<std::mutex> lock(mutex_);
  // Every index has been taken; wait for the workers still running theirs. A worker that
  // wakes late finds no index left and leaves at once.
  finished_.wait(lock, [&] { return busyWorkers_ == 0; });
  task_ = nullptr;
  taskCount_ = 0;
}

}  // namespace refdevice

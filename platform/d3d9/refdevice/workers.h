// Worker threads: a fixed pool that runs one indexed task at a time, the calling thread
// working alongside. Which thread takes which index varies from run to run; callers make each
// index's result depend on the index alone, which keeps the output deterministic.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace refdevice {

class WorkerPool {
 public:
  explicit WorkerPool(int threadCount);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Threads that run tasks, the calling thread included.
  int ThreadCount() const { return static_cast<int>(threads_.size()) + 1; }

  // Runs task(i) for every i in [0, count) and returns when all have finished.
  void ParallelFor(size_t count, const std::function<void(size_t)>& task);

 private:
  void WorkerLoop();
  // Takes indices until none is left; returns how many tasks this thread ran.
  size_t RunTasks(const std::function<void(size_t)>& task, size_t count);
  // Waits for a call newer than `seenGeneration` and joins it: false when the pool is stopping.
  bool JoinNextCall(size_t& seenGeneration, const std::function<void(size_t)>*& task, size_t& count);

  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::condition_variable callDone_;
  // Published under the mutex, one call of ParallelFor at a time.
  const std::function<void(size_t)>* task_ = nullptr;
  size_t taskCount_ = 0;
  std::atomic<size_t> generation_{0};
  int activeWorkers_ = 0;  // workers between taking a call's task and leaving it
  bool stopping_ = false;
  // Indices are handed out and counted without the mutex: a frame's calls are many and short.
  std::atomic<size_t> nextIndex_{0};
  std::atomic<size_t> finished_{0};
};

// One worker per available core when asked for 0, within the device's limit.
int ResolveThreadCount(int requested);

}  // namespace refdevice

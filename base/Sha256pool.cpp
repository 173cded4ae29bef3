// The worker thread of the digests: a queue of byte strings, each answered through a promise.
#include "base/Sha256pool.h"

#include "base/Sha256.h"

#include <system_error>

TDigestPool::TDigestPool() {
  try {
    Worker = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread: Digest computes in the caller.
  }
}

TDigestPool::~TDigestPool() {
  {
    std::lock_guard<std::mutex> hold(Lock);
    Stopping = true;
  }
  Wake.notify_one();
  if (Worker.joinable()) Worker.join();
}

std::shared_future<std::string> TDigestPool::Digest(std::string bytes) {
  TJob job{std::move(bytes), {}};
  std::shared_future<std::string> result = job.Done.get_future().share();
  if (!Worker.joinable()) {
    job.Done.set_value(Sha256Hex(job.Bytes));
    return result;
  }
  {
    std::lock_guard<std::mutex> hold(Lock);
    Jobs.push_back(std::move(job));
  }
  Wake.notify_one();
  return result;
}

void TDigestPool::Run() {
  for (;;) {
    TJob job;
    {
      std::unique_lock<std::mutex> hold(Lock);
      Wake.wait(hold, [this] { return Stopping || !Jobs.empty(); });
      if (Jobs.empty()) return; // stopping, and every digest is given
      job = std::move(Jobs.front());
      Jobs.pop_front();
    }
    job.Done.set_value(Sha256Hex(job.Bytes));
  }
}

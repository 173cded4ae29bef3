// Digests computed beside the caller: a batch hands over bytes it has in memory and goes on with
// its file work (a flush, the next object) while another core hashes them.
#pragma once
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <string>
#include <thread>

// One worker thread, digests in the order given. It only hashes memory: it makes no file call.
// Where no thread can be started, each digest is computed at once by the caller.
class TDigestPool {
public:
  TDigestPool();
  // Waits for the digests still queued.
  ~TDigestPool();
  TDigestPool(const TDigestPool&) = delete;
  TDigestPool& operator=(const TDigestPool&) = delete;
  // The SHA-256 of bytes, as Sha256Hex gives it, when it is done.
  std::shared_future<std::string> Digest(std::string bytes);

private:
  struct TJob {
    std::string Bytes;
    std::promise<std::string> Done;
  };
  void Run();
  std::mutex Lock;
  std::condition_variable Wake;
  std::deque<TJob> Jobs;
  bool Stopping = false;
  std::thread Worker;
};

// The benchmark run: suite generation, the timed operations with their baselines, the I/O call
// counts through the seam, and the report. Baselines use the plain OS calls on purpose: they are
// the least any program must spend on the same files.
#include "tools/bench/Bench.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>
#include <atomic>
#include <thread>
#include <vector>

#include "base/Codec.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Sysio.h"
#include "tools/demosuite/Demosuite.h"
#include "workflow/History.h"
#include "workflow/Batch.h"
#include "workflow/Objects.h"
#include "workflow/Readahead.h"
#include "workflow/Ucommon.h"

namespace fs = std::filesystem;

namespace {

const char* const kMarker = ".ravinel-bench"; // marks a directory this tool may remove

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A POSIX backend that counts every call by kind and the time spent in it.
class TCountingIo : public TPosixIoSys {
public:
  enum { kOpen, kClose, kRead, kWrite, kSeek, kSync, kStat, kRename, kUnlink, kOther, kKinds };
  long N[kKinds] = {};
  double T[kKinds] = {};
  template <class F> auto Timed(int kind, F call) {
    double t0 = Now();
    auto rc = call();
    T[kind] += Now() - t0;
    ++N[kind];
    return rc;
  }
  long Total() const {
    long t = 0;
    for (long n : N)
      t += n;
    return t;
  }
  int Open(const std::string& p, int f, mode_t m) override {
    return Timed(kOpen, [&] { return TPosixIoSys::Open(p, f, m); });
  }
  int Close(int fd) override {
    return Timed(kClose, [&] { return TPosixIoSys::Close(fd); });
  }
  ssize_t Read(int fd, void* b, size_t c) override {
    return Timed(kRead, [&] { return TPosixIoSys::Read(fd, b, c); });
  }
  ssize_t PRead(int fd, void* b, size_t c, off_t o) override {
    return Timed(kRead, [&] { return TPosixIoSys::PRead(fd, b, c, o); });
  }
  ssize_t Write(int fd, const void* b, size_t c) override {
    return Timed(kWrite, [&] { return TPosixIoSys::Write(fd, b, c); });
  }
  off_t Seek(int fd, off_t o, int w) override {
    return Timed(kSeek, [&] { return TPosixIoSys::Seek(fd, o, w); });
  }
  int DataSync(int fd) override {
    return Timed(kSync, [&] { return TPosixIoSys::DataSync(fd); });
  }
  int FullSync(int fd) override {
    return Timed(kSync, [&] { return TPosixIoSys::FullSync(fd); });
  }
  int Truncate(int fd, off_t l) override {
    return Timed(kOther, [&] { return TPosixIoSys::Truncate(fd, l); });
  }
  int Rename(const std::string& a, const std::string& b) override {
    return Timed(kRename, [&] { return TPosixIoSys::Rename(a, b); });
  }
  int Unlink(const std::string& p) override {
    return Timed(kUnlink, [&] { return TPosixIoSys::Unlink(p); });
  }
  int Stat(const std::string& p, struct stat* st) override {
    return Timed(kStat, [&] { return TPosixIoSys::Stat(p, st); });
  }
  int Link(const std::string& a, const std::string& b) override {
    return Timed(kOther, [&] { return TIoSys::Link(a, b); });
  }
  int Mkdir(const std::string& p, mode_t m) override {
    return Timed(kOther, [&] { return TPosixIoSys::Mkdir(p, m); });
  }
  int ListDir(const std::string& p, std::vector<std::string>& n) override {
    return Timed(kOther, [&] { return TPosixIoSys::ListDir(p, n); });
  }
  int Lock(int fd, int op) override {
    return Timed(kOther, [&] { return TIoSys::Lock(fd, op); });
  }
  int FileStat(int fd, struct stat* st) override {
    return Timed(kStat, [&] { return TIoSys::FileStat(fd, st); });
  }
  int ChangeMode(int fd, mode_t m) override {
    return Timed(kOther, [&] { return TIoSys::ChangeMode(fd, m); });
  }
  int ChangeOwner(int fd, uid_t u, gid_t g) override {
    return Timed(kOther, [&] { return TIoSys::ChangeOwner(fd, u, g); });
  }
  ssize_t ListAttrs(int fd, char* n, size_t size) override {
    return Timed(kOther, [&] { return TIoSys::ListAttrs(fd, n, size); });
  }
  ssize_t GetAttr(int fd, const char* n, void* v, size_t size) override {
    return Timed(kOther, [&] { return TIoSys::GetAttr(fd, n, v, size); });
  }
  int SetAttr(int fd, const char* n, const void* v, size_t size) override {
    return Timed(kOther, [&] { return TIoSys::SetAttr(fd, n, v, size); });
  }
};

class TCountScope {
public:
  TCountScope() : Previous(SetIoSys(&Io)) {}
  ~TCountScope() { SetIoSys(Previous); }
  TCountingIo Io;

private:
  TIoSys* Previous;
};

// Milliseconds per item spent in each kind of call.
std::string TimeBreakdown(const TCountingIo& io, double per) {
  static const char* names[] = {"open", "close", "read",   "write",  "seek",
                                "sync", "stat",  "rename", "unlink", "other"};
  std::string out;
  char buf[64];
  double total = 0;
  for (int k = 0; k < TCountingIo::kKinds; ++k)
    if (io.N[k]) {
      total += io.T[k];
      std::snprintf(buf, sizeof buf, "%s%s %.3f", out.empty() ? "" : ", ", names[k],
                    1000 * io.T[k] / per);
      out += buf;
    }
  std::snprintf(buf, sizeof buf, "; in all %.3f ms", 1000 * total / per);
  return out + buf;
}

std::string Breakdown(const TCountingIo& io, double per) {
  static const char* names[] = {"open", "close", "read",   "write",  "seek",
                                "sync", "stat",  "rename", "unlink", "other"};
  std::string out;
  char buf[64];
  for (int k = 0; k < TCountingIo::kKinds; ++k)
    if (io.N[k]) {
      std::snprintf(buf, sizeof buf, "%s%s %.2f", out.empty() ? "" : ", ", names[k],
                    static_cast<double>(io.N[k]) / per);
      out += buf;
    }
  return out;
}

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

std::string ReadFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail(path);
  std::string out;
  char buf[65536];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0)
    out.append(buf, static_cast<size_t>(n));
  ::close(fd);
  if (n < 0) Fail(path);
  return out;
}

void WriteFile(const std::string& path, const std::string& bytes, bool sync) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) Fail(path);
  for (size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) Fail(path);
    done += static_cast<size_t>(n);
  }
  if (sync && ::fdatasync(fd) != 0) Fail(path);
  ::close(fd);
}

// Baseline of the check: every object file read whole with plain read() calls.
uint64_t ReadAll(const std::vector<std::string>& paths, std::vector<char>& buf) {
  uint64_t bytes = 0;
  for (const std::string& p : paths) {
    int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(p);
    ssize_t n;
    while ((n = ::read(fd, buf.data(), buf.size())) > 0)
      bytes += static_cast<uint64_t>(n);
    ::close(fd);
  }
  return bytes;
}

// Baseline of the change: each file copied to a new name with fdatasync and rename. Each
// repetition has names of its own, removed only when every repetition is done: on a file
// system that skips inodes freed in the last minute when it makes a new one (ext4 without a
// journal), a thousand files removed just before an operation make its every new file cost a
// walk past them, and would weigh on whichever operation came next.
void SafeCopy(const std::vector<std::string>& paths, int rep) {
  std::string suffix = ".copy" + std::to_string(rep);
  for (const std::string& p : paths) {
    WriteFile(p + suffix + "$", ReadFile(p), true);
    if (::rename((p + suffix + "$").c_str(), (p + suffix).c_str()) != 0) Fail(p);
  }
}

void RemoveCopies(const std::vector<std::string>& paths, int reps) {
  for (int r = 0; r < reps; ++r)
    for (const std::string& p : paths)
      ::unlink((p + ".copy" + std::to_string(r)).c_str());
}

// Time of one fdatasync after a small overwrite, the unit that bounds every safe write.
double SyncCost(const std::string& dir) {
  std::string path = dir + "/sync.probe";
  WriteFile(path, std::string(4096, 'x'), true);
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) Fail(path);
  std::vector<double> t;
  for (int i = 0; i < 30; ++i) {
    double t0 = Now();
    if (::pwrite(fd, "abcdefgh", 8, 8 * (i % 64)) != 8 || ::fdatasync(fd) != 0) Fail(path);
    t.push_back(Now() - t0);
  }
  ::close(fd);
  ::unlink(path.c_str());
  return Median(t);
}

struct TRow {
  std::string Name;
  std::vector<double> Times;
  double Items;
};

void PrintRows(const std::vector<TRow>& rows) {
  std::printf("%-30s %10s %10s %10s %9s %12s %12s\n", "operation", "median s", "min s", "max s",
              "items", "ms per item", "items/s");
  for (const TRow& r : rows) {
    double med = Median(r.Times);
    double lo = *std::min_element(r.Times.begin(), r.Times.end());
    double hi = *std::max_element(r.Times.begin(), r.Times.end());
    std::printf("%-30s %10.4f %10.4f %10.4f %9.0f %12.4f %12.0f\n", r.Name.c_str(), med, lo, hi,
                r.Items, r.Items > 0 ? 1000 * med / r.Items : 0, med > 0 ? r.Items / med : 0);
  }
}

std::string PrepareDir(const TBenchOptions& o) {
  fs::path dir = o.Dir.empty() ? fs::current_path() / "ravinel-bench-suite" : fs::path(o.Dir);
  dir = fs::absolute(dir).lexically_normal();
  if (fs::exists(dir)) {
    if (!fs::is_empty(dir) && !fs::exists(dir / kMarker))
      throw std::runtime_error(dir.string() + " is not empty and was not made by ravinel-bench");
    fs::remove_all(dir);
  }
  fs::create_directories(dir);
  WriteFile((dir / kMarker).string(), "", false);
  std::string s = dir.string();
  while (s.size() > 1 && s.back() == '/')
    s.pop_back();
  return s;
}

struct TResults {
  std::vector<TRow> Rows;
  double WindowRatio = 0; // 0: not measured
  double CheckRatio = 0, ChangeRatio = 0, UndoRatio = 0, ListSeconds = 0;
  double ColdRatio = 0, ColdGain = 0; // 0: the cold rows were not measured
  long CheckCalls = 0;
  std::vector<std::string> Notes;
};

void MeasureCheck(const TBenchOptions& o, TObjectFiles& files, const TListInfo& info,
                  const std::vector<TObjLine>& lines, TResults& res) {
  std::vector<std::string> paths;
  for (const TObjLine& l : lines)
    if (sysio::FileExists(GetRealName(l.File))) paths.push_back(sysio::OsPath(GetRealName(l.File)));
  std::vector<char> buf(1 << 20);
  std::vector<TObjLine> work = lines;
  ReadAll(paths, buf); // warm the page cache and the code
  CheckObjectLines(files, info, work, 1);
  TRow read{"read-all (baseline)", {}, static_cast<double>(paths.size())};
  TRow check{"check", {}, static_cast<double>(lines.size())};
  uint64_t bytes = 0;
  for (int r = 0; r < o.Reps; ++r) {
    double t0 = Now();
    bytes = ReadAll(paths, buf);
    read.Times.push_back(Now() - t0);
    work = lines;
    t0 = Now();
    CheckObjectLines(files, info, work, 1);
    check.Times.push_back(Now() - t0);
  }
  res.Rows.push_back(read);
  res.Rows.push_back(check);
  res.CheckRatio = Median(check.Times) / Median(read.Times);
  int states[5] = {};
  for (const TObjLine& l : work)
    for (int b = 0; b < 5; ++b)
      states[b] += (l.State >> b) & 1;
  char note[256];
  std::snprintf(note, sizeof note,
                "check states: missing %d, replaceable %d, replaced %d, user-changed %d, "
                "unreadable %d; read-all %.1f MiB per pass",
                states[0], states[1], states[2], states[3], states[4], bytes / 1048576.0);
  res.Notes.push_back(note);
  work = lines;
  TCountScope count;
  CheckObjectLines(files, info, work, 1);
  double per = static_cast<double>(std::max<size_t>(1, lines.size()));
  res.CheckCalls = static_cast<long>(count.Io.Total() / per + 0.5);
  res.Notes.push_back("io calls per checked object: " + Breakdown(count.Io, per));
}

void MeasureWindow(const TBenchOptions& o, TResults& res) {
#ifdef RAVINEL_BENCH_WINDOW
  TWindowOpenTimes t = MeasureWindowOpen(o.Reps);
  double n = static_cast<double>(t.Lines);
  res.Rows.push_back({"check of the list (baseline)", t.Check, n});
  res.Rows.push_back({"window open 5000", t.Window, n});
  res.WindowRatio = Median(t.Window) / Median(t.Check);
  if (t.Lines != 5000) res.Notes.push_back("window open: " + std::to_string(t.Lines) + " lines");
#else
  (void)o;
  (void)res;
#endif
}

// Empties the page cache; false when this process may not.
bool DropCaches() {
  ::sync();
  int fd = ::open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::write(fd, "3\n", 2) == 2;
  ::close(fd);
  return ok;
}

// Baseline of the cold check: the first 16 KiB of each object file read by parallel readers.
void ParallelHeads(const std::vector<std::string>& paths, int readers) {
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (int r = 0; r < readers; ++r)
    threads.emplace_back([&] {
      std::vector<char> buf(16 * 1024);
      for (size_t i; (i = next++) < paths.size();) {
        int fd = ::open(paths[i].c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (::pread(fd, buf.data(), buf.size(), 0) < 0) Fail(paths[i]);
        ::close(fd);
      }
    });
  for (std::thread& t : threads)
    t.join();
}

std::vector<TObjLine> ColdCheck(TObjectFiles& files, const TListInfo& info,
                                const std::vector<TObjLine>& lines, int workers, TRow& row) {
  std::vector<TObjLine> work = lines;
  SetReadAheadWorkers(workers);
  DropCaches();
  double t0 = Now();
  CheckObjectLines(files, info, work, 1);
  row.Times.push_back(Now() - t0);
  return work;
}

// The check on a cold page cache, with and without read-ahead, against parallel readers.
void MeasureCold(const TBenchOptions& o, TObjectFiles& files, const TListInfo& info,
                 const std::vector<TObjLine>& lines, TResults& res) {
  if (!DropCaches()) {
    res.Notes.push_back("--cold: this process may not drop the page cache (root needed); "
                        "measured warm only");
    return;
  }
  std::vector<std::string> paths;
  for (const TObjLine& l : lines)
    if (sysio::FileExists(GetRealName(l.File))) paths.push_back(sysio::OsPath(GetRealName(l.File)));
  std::vector<TObjLine> warm = lines;
  CheckObjectLines(files, info, warm, 1);
  int workers = ReadAheadWorkers();
  TRow base{"read-ahead baseline (cold)", {}, static_cast<double>(paths.size())};
  TRow with{"check (cold)", {}, static_cast<double>(lines.size())};
  TRow without{"check without read-ahead (cold)", {}, static_cast<double>(lines.size())};
  for (int r = 0; r < o.Reps; ++r) {
    DropCaches();
    double t0 = Now();
    ParallelHeads(paths, 16);
    base.Times.push_back(Now() - t0);
    std::vector<TObjLine> a = ColdCheck(files, info, lines, workers, with);
    std::vector<TObjLine> b = ColdCheck(files, info, lines, 0, without);
    for (size_t i = 0; i < lines.size(); ++i)
      if (a[i].State != warm[i].State || b[i].State != warm[i].State)
        throw std::runtime_error("a cold check found other states than the warm one");
  }
  SetReadAheadWorkers(workers);
  res.Rows.push_back(base);
  res.Rows.push_back(with);
  res.Rows.push_back(without);
  res.ColdRatio = Median(with.Times) / Median(base.Times);
  res.ColdGain = Median(without.Times) / Median(with.Times);
  res.Notes.push_back("cold rows: " + std::to_string(workers) + " read-ahead workers");
}

void MeasureList(const TBenchOptions& o, TObjectFiles& files, const TListInfo& info,
                 TResults& res) {
  std::string path = GetRealName(std::string(info.Prefix) + "#" + kLargeListName);
  TRow row{"list read and order", {}, static_cast<double>(o.ListRecords)};
  size_t got = 0;
  for (int r = 0; r < o.Reps + 1; ++r) {
    double t0 = Now();
    std::vector<TObjLine> lines;
    {
      WFile list(path);
      TObjectFiles large(list, files.Ref, files.Scratch);
      lines = LoadObjectLines(large, info, 1);
    }
    if (r > 0) row.Times.push_back(Now() - t0); // the first pass warms the cache
    got = lines.size();
    for (size_t i = 1; i < lines.size(); ++i)
      if (lines[i - 1].Number > lines[i].Number) throw std::runtime_error("list out of order");
  }
  if (got != static_cast<size_t>(o.ListRecords))
    throw std::runtime_error("list read " + std::to_string(got) + " records");
  res.Rows.push_back(row);
  res.ListSeconds = Median(row.Times) * 100000.0 / o.ListRecords;
  if (o.ListRecords != 100000)
    res.Notes.push_back("list has " + std::to_string(o.ListRecords) +
                        " records; the closing list figure is scaled linearly to 100k");
}

void MeasureChange(const TBenchOptions& o, TObjectFiles& files, const TListInfo& info,
                   const std::vector<TObjLine>& lines, const std::string& dir, TResults& res) {
  std::vector<TObjLine> work = lines;
  CheckObjectLines(files, info, work, 1);
  std::vector<const TObjLine*> chosen;
  for (const TObjLine& l : work)
    if ((l.State & stReplaceable) && chosen.size() < static_cast<size_t>(o.Changes))
      chosen.push_back(&l);
  std::vector<std::string> paths, pristine;
  for (const TObjLine* l : chosen) {
    paths.push_back(sysio::OsPath(GetRealName(l->File)));
    pristine.push_back(ReadFile(paths.back()));
  }
  TRow change{"change", {}, static_cast<double>(chosen.size())};
  TRow copy{"safe copy (baseline)", {}, static_cast<double>(chosen.size())};
  TRow undo{"undo", {}, static_cast<double>(chosen.size())};
  TCountingIo counted;
  double countedTime = 0; // of the pass whose calls were counted
  long failed = 0;
  auto safeCopy = [&](int r) {
    double t0 = Now();
    SafeCopy(paths, r);
    copy.Times.push_back(Now() - t0);
    ::sync();
  };
  // Every other repetition copies first: what a file costs to make depends on what the file
  // system freed in the last minute, and that changes in the course of a run.
  for (int r = 0; r < o.ChangeReps; ++r) {
    for (size_t i = 0; i < paths.size(); ++i)
      WriteFile(paths[i], pristine[i], false);
    ::sync();
    if (r % 2) safeCopy(r);
    std::unique_ptr<TCountScope> count;
    if (r == o.ChangeReps - 1) count = std::make_unique<TCountScope>(); // the warmest pass
    double t0 = Now();
    std::vector<TChangeFailure> failures;
    for (const TChangeItem& item : ChangeObjects(files, info, chosen, 1, failures))
      failed += item.Outcome.Result != TChangeResult::Changed;
    change.Times.push_back(Now() - t0);
    if (count) {
      counted = count->Io;
      countedTime = change.Times.back();
    }
    count.reset();
    ::sync();
    std::vector<std::string> batches = ListBatches(); // the newest is the change's
    if (!batches.empty()) {
      t0 = Now();
      UndoBatch(ReadBatch(batches.front()), {}, FileList);
      undo.Times.push_back(Now() - t0);
      ::sync();
    }
    if (r % 2 == 0) safeCopy(r);
  }
  RemoveCopies(paths, o.ChangeReps);
  res.Rows.push_back(copy);
  res.Rows.push_back(change);
  res.ChangeRatio = Median(copy.Times) > 0 ? Median(change.Times) / Median(copy.Times) : 0;
  if (!undo.Times.empty()) {
    res.Rows.push_back(undo);
    res.UndoRatio = Median(copy.Times) > 0 ? Median(undo.Times) / Median(copy.Times) : 0;
  }
  double per = static_cast<double>(std::max<size_t>(1, chosen.size()));
  char note[256];
  std::snprintf(note, sizeof note, "io calls per changed object: %.1f (%s)", counted.Total() / per,
                Breakdown(counted, per).c_str());
  res.Notes.push_back(note);
  res.Notes.push_back("ms per changed object inside the calls: " + TimeBreakdown(counted, per));
  if (failed) res.Notes.push_back("changes that did not succeed: " + std::to_string(failed));
  double sync = SyncCost(dir);
  double syncs = counted.N[TCountingIo::kSync] / per;
  std::snprintf(note, sizeof note,
                "flush bound: %.1f syncs per changed object spend %.2f ms of the %.2f ms a change "
                "took in the counted pass (a lone small in-place fdatasync: %.2f ms); the safe "
                "copy makes 1 sync",
                syncs, 1000 * counted.T[TCountingIo::kSync] / per, 1000 * countedTime / per,
                1000 * sync);
  res.Notes.push_back(note);
}

std::string LoadAverage() {
  double l[3];
  if (::getloadavg(l, 3) != 3) return "?";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f %.2f %.2f", l[0], l[1], l[2]);
  return buf;
}

} // namespace

int RunBench(const TBenchOptions& o) {
  std::string dir = PrepareDir(o);
  std::string cpDir = Cp1251FromUtf8(dir);
  std::printf("ravinel-bench: %d projects of %d KiB with %d calculations, %d changes, list of %d "
              "records, %d/%d repetitions\n",
              o.Projects, o.FileKb, o.Calcs, o.Changes, o.ListRecords, o.Reps, o.ChangeReps);
  std::printf("suite: %s; %ld cores online; load average at start %s\n", dir.c_str(),
              ::sysconf(_SC_NPROCESSORS_ONLN), LoadAverage().c_str());
  std::fflush(stdout);
  double t0 = Now();
  std::string ref = cpDir + "/oldnew145.tmp";
  ExtractReference(kProgramSelf, ref);
  TLargeSuiteOptions gen;
  gen.Projects = o.Projects;
  gen.FileBytes = o.FileKb * 1024;
  gen.Calculations = o.Calcs;
  gen.ListRecords = o.ListRecords;
  CreateLargeSuite(cpDir, ref, gen);
  sysio::Unlink(ref);
  ::sync();
  std::printf("generated in %.1f s\n", Now() - t0);
  std::fflush(stdout);

  TResults res;
  TTableFigures table;
  fs::path home = fs::current_path();
  fs::current_path(dir);
  {
    TWorkflowSession session;
    Cfg[CfgDocRussian] = 1;
    TListInfo info = ListInfoOf(1, 0);
    WFile list(GetRealName(ListAliasName(info, true)));
    TObjectFiles files(list, *FileRef, RecWork);
    std::vector<TObjLine> lines = LoadObjectLines(files, info, 1);
    MeasureCheck(o, files, info, lines, res);
    MeasureWindow(o, res);
    if (o.Cold) MeasureCold(o, files, info, lines, res);
    if (o.ListRecords > 0) MeasureList(o, files, info, res);
    if (o.ListRecords > 0) table = MeasureTableList(files, info, o.ListRecords, o.Reps);
    if (o.Changes > 0) MeasureChange(o, files, info, lines, dir, res);
  }
  fs::current_path(home);
  if (!o.Keep) fs::remove_all(dir);

  std::printf("\n");
  PrintRows(res.Rows);
  std::printf("\n");
  for (const std::string& n : res.Notes)
    std::printf("%s\n", n.c_str());
  std::printf("load average at end %s\n\n", LoadAverage().c_str());
  std::printf("ratio check/read-all: %.2f\n", res.CheckRatio);
  std::printf("ratio change/safe-copy: %.2f\n", res.ChangeRatio);
  if (res.UndoRatio > 0) std::printf("ratio undo/safe-copy: %.2f\n", res.UndoRatio);
  std::printf("list 100k records: %.3f s\n", res.ListSeconds);
  std::printf("io calls per checked object: %ld\n", res.CheckCalls);
  if (res.ColdRatio > 0) {
    std::printf("ratio check cold/parallel-read: %.2f\n", res.ColdRatio);
    std::printf("ratio check cold without/with read-ahead: %.2f\n", res.ColdGain);
  }
  PrintTableKeysBench(100000, 200);
  PrintTableFigures(table);
  if (res.WindowRatio > 0) std::printf("ratio window open/check 5000: %.2f\n", res.WindowRatio);
  return 0;
}

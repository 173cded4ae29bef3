// The batch folders of the history: names, the journal's lines read back and checked, the kept
// files, and the writer of one batch.
#include "workflow/History.h"

#include "base/Sha256.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "storage/Dsfile.h"
#include "storage/Filekeep.h"
#include "storage/Sysio.h"
#include "workflow/Ucommon.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr const char* kJournalName = "journal.jsonl";

} // namespace

std::string HistoryNow() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

namespace {

std::string HostName() {
  char buf[256] = {};
  if (gethostname(buf, sizeof buf - 1) != 0) return "";
  return buf;
}

// The leaf of an alias name ("LSS#5.aru" -> "5.aru").
std::string Leaf(const std::string& file) {
  size_t hash = file.find('#');
  return hash == std::string::npos ? file : file.substr(hash + 1);
}

void MakeDir(const std::string& dir) {
  if (sysio::Mkdir(dir, 0777) != 0 && errno != EEXIST) OutSystemErrorCode(dir, errno);
}

void CopyDurable(const std::string& from, const std::string& to) {
  SFile in(from, fmRead, O_NOFOLLOW);
  SFile out(to, fmRewrite, O_EXCL | O_NOFOLLOW, 0600);
  CopyBytes(in, out);
  out.Sync();
}

TJsonLine IntentLine(const TBatchEntry& e) {
  TJsonLine l;
  l.Put("rec", "intent").Put("n", e.N).Put("number", int64_t(e.Number)).Put("variant", e.Variant);
  l.Put("file", e.File).Put("adr", int64_t(e.Adr)).Put("flags_before", e.FlagsBefore);
  l.Put("state", e.State).Put("sha_before", e.ShaBefore).Put("size", e.Size);
  l.Put("backup", e.Backup);
  if (!e.Restores.empty()) l.Put("restores", e.Restores);
  return l;
}

bool IsHex64(const std::string& s) {
  return s.size() == 64 && s.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// The checks of one intent line against its batch: the file it names must be the one its list
// names for the object, and its kept file must lie in the batch folder.
void CheckIntent(const TBatchInfo& b, const TBatchEntry& e, const std::string& journal) {
  std::string file = ObjectFileName(b.ListInfo(), e.Number, e.Variant, b.DocRussian());
  if (file.empty() || file != e.File) SetError(journal + "|" + e.File, MsgOutsideSuite);
  if (e.Backup != BackupName(e.N, e.File)) SetError(journal + "|" + e.Backup, MsgOutsideSuite);
  if (!e.ShaBefore.empty() && !IsHex64(e.ShaBefore)) throw std::invalid_argument("sha_before");
  if (!e.Restores.empty()) CheckBatchId(e.Restores);
}

void ReadHead(TBatchInfo& b, const TJsonLine& l) {
  if (l.Text("rec") != "batch") throw std::invalid_argument("rec");
  b.Kind = l.Text("kind");
  if (b.Kind != "change" && b.Kind != "undo") throw std::invalid_argument("kind");
  if (l.Text("batch") != b.Id) throw std::invalid_argument("batch");
  b.Started = l.Text("started");
  b.Host = l.Text("host");
  b.User = l.Text("user");
  b.Pid = l.Number("pid");
  b.List = l.Text("list");
  b.DocLang = l.Text("doc_lang");
  b.TypeSub = static_cast<int>(l.Number("typesub"));
  b.TypeBn = static_cast<int>(l.Number("typebn"));
  b.Reference = l.Text("reference");
  if (l.Has("undoes")) b.Undoes = l.Text("undoes");
  bool known = (b.TypeSub >= 1 && b.TypeSub <= 3 && b.TypeBn == 0) ||
               (b.TypeSub == 5 && b.TypeBn >= 0 && b.TypeBn <= 3);
  if (!known || (b.DocLang != "rus" && b.DocLang != "ukr")) throw std::invalid_argument("list");
  if (b.List != ListAliasName(b.ListInfo(), b.DocRussian())) throw std::invalid_argument("list");
}

TBatchEntry ReadIntent(const TJsonLine& l) {
  TBatchEntry e;
  e.N = l.Number("n");
  int64_t number = l.Number("number"), adr = l.Number("adr");
  if (number < 0 || number > 0xFFFFFFFFll || adr < 0 || adr > 0xFFFFFFFFll)
    throw std::invalid_argument("number");
  e.Number = static_cast<uint32_t>(number);
  e.Adr = static_cast<uint32_t>(adr);
  e.Variant = l.Text("variant");
  e.File = l.Text("file");
  e.FlagsBefore = l.Number("flags_before");
  e.State = l.Text("state");
  e.ShaBefore = l.Text("sha_before");
  e.Size = l.Number("size");
  e.Backup = l.Text("backup");
  if (l.Has("restores")) e.Restores = l.Text("restores");
  return e;
}

void ReadOutcome(TBatchEntry& e, const TJsonLine& l) {
  e.Done = true;
  e.Result = l.Text("result");
  if (e.Result != kResChanged && e.Result != kResWarning && e.Result != kResFailed &&
      e.Result != kResSkipped)
    throw std::invalid_argument("result");
  e.ShaAfter = l.Text("sha_after");
  e.Message = l.Text("message");
  if (!e.ShaAfter.empty() && !IsHex64(e.ShaAfter)) throw std::invalid_argument("sha_after");
  if (l.Has("sha_before")) { // the digest the intent left to the outcome
    if (!e.ShaBefore.empty() || !IsHex64(l.Text("sha_before")))
      throw std::invalid_argument("sha_before");
    e.ShaBefore = l.Text("sha_before");
  }
}

void ReadLine(TBatchInfo& b, const TJsonLine& l, const std::string& journal) {
  const std::string& rec = l.Text("rec");
  if (b.Finished) throw std::invalid_argument(ByIface("запись после конца", "запис після кінця"));
  if (rec == "intent") {
    TBatchEntry e = ReadIntent(l);
    if (e.N != static_cast<int64_t>(b.Objects.size())) throw std::invalid_argument("n");
    CheckIntent(b, e, journal);
    b.Objects.push_back(std::move(e));
  } else if (rec == "outcome") {
    int64_t n = l.Number("n");
    if (n < 0 || n >= static_cast<int64_t>(b.Objects.size()) || b.Objects[n].Done)
      throw std::invalid_argument("n");
    ReadOutcome(b.Objects[n], l);
  } else if (rec == "end") {
    b.Finished = true;
    b.Ended = l.Text("ended");
    b.Recovered = l.Has("recovered") && l.Number("recovered") != 0;
  } else {
    throw std::invalid_argument("rec");
  }
}

// The bytes a kept file holds alone (its last name).
uint64_t HeldBytes(const std::string& path) {
  struct stat st;
  if (sysio::Stat(path, &st) != 0 || st.st_nlink > 1) return 0;
  return static_cast<uint64_t>(st.st_size);
}

} // namespace

size_t TBatchInfo::Count(const char* result) const {
  return static_cast<size_t>(std::count_if(
      Objects.begin(), Objects.end(), [&](const TBatchEntry& e) { return e.Result == result; }));
}

std::string HistoryDir() {
  return GetDirCfg() + "ravinel-history/";
}

std::string BatchDir(const std::string& id) {
  CheckBatchId(id);
  return HistoryDir() + id + "/";
}

std::string JournalPath(const std::string& id) {
  return BatchDir(id) + kJournalName;
}

void CheckBatchId(const std::string& id) {
  // 20261211T012345Z-4711[-2]
  bool ok = id.size() >= 18 && id.size() <= 40 && id[8] == 'T' && id[15] == 'Z' && id[16] == '-';
  for (size_t i = 0; ok && i < id.size(); ++i) {
    bool digit = id[i] >= '0' && id[i] <= '9';
    ok = i == 8 || i == 15 ? true : i >= 16 ? digit || id[i] == '-' : digit;
  }
  if (!ok) SetError(id, MsgBadBatchName);
}

std::vector<std::string> ListBatches() {
  std::vector<std::string> names, out;
  if (sysio::ListDir(HistoryDir(), names) != 0) {
    if (errno == ENOENT) return out;
    OutSystemErrorCode(HistoryDir(), errno);
  }
  for (const std::string& n : names) {
    try {
      CheckBatchId(n);
    } catch (const ZError&) {
      continue; // not a batch of the history
    }
    if (sysio::FileExistsExact(HistoryDir() + n + "/" + kJournalName)) out.push_back(n);
  }
  std::sort(out.rbegin(), out.rend());
  return out;
}

bool JournalEnded(const std::string& id) {
  int fd = sysio::Open(JournalPath(id), O_RDONLY | O_NOFOLLOW);
  if (fd < 0) return false;
  struct stat st;
  char tail[4096];
  ssize_t n = -1;
  if (IoSys().FileStat(fd, &st) == 0) {
    off_t from = std::max<off_t>(0, st.st_size - static_cast<off_t>(sizeof tail));
    n = sysio::PReadFull(fd, tail, static_cast<size_t>(st.st_size - from), from);
  }
  IoSys().Close(fd);
  if (n < 2 || tail[n - 1] != '\n') return false;
  std::string text(tail, static_cast<size_t>(n) - 1);
  size_t start = text.find_last_of('\n');
  std::string last = start == std::string::npos ? text : text.substr(start + 1);
  return last.rfind("{\"rec\":\"end\"", 0) == 0;
}

TBatchInfo ReadBatch(const std::string& id) {
  std::string path = JournalPath(id);
  if (!sysio::FileExistsExact(path)) SetError(id, MsgNoBatch);
  TJournalText text = ReadJournalFile(path);
  TBatchInfo b;
  b.Id = id;
  if (text.Lines.empty()) BadJournal(path, 1, ByIface("нет строки пакета", "немає рядка пакета"));
  for (size_t i = 0; i < text.Lines.size(); ++i) {
    try {
      if (i == 0)
        ReadHead(b, text.Lines[0]);
      else
        ReadLine(b, text.Lines[i], path);
    } catch (const std::invalid_argument& e) {
      BadJournal(path, i + 1, e.what());
    }
  }
  for (const TBatchEntry& e : b.Objects)
    b.Bytes += HeldBytes(BatchDir(id) + e.Backup);
  return b;
}

void CopyBytes(SFile& in, SFile& out) {
  std::vector<char> buf(1 << 20);
  for (int n; (n = in.SRead(buf.data(), static_cast<int>(buf.size()))) > 0;)
    out.SWrite(buf.data(), n);
}

std::string FileSha256(const std::string& path) {
  SFile in(path, fmRead, O_NOFOLLOW);
  TSha256 sha;
  std::vector<char> buf(1 << 18);
  for (int n; (n = in.SRead(buf.data(), static_cast<int>(buf.size()))) > 0;)
    sha.Add(buf.data(), static_cast<size_t>(n));
  return sha.HexDigest();
}

std::string BackupName(int64_t n, const std::string& file) {
  std::string leaf = Leaf(file);
  char num[24];
  std::snprintf(num, sizeof num, "%06lld-", static_cast<long long>(n));
  return num + leaf;
}

void KeepFile(const std::string& real, const std::string& target) {
  if (sysio::Link(real, target) == 0) return;
  int code = errno;
  if (code != EXDEV && code != EPERM && code != ENOTSUP && code != EMLINK && code != EOPNOTSUPP &&
      code != ENOSYS)
    OutSystemErrorCode(target, code);
  CopyDurable(real, target);
}

TBatchRecorder::TBatchRecorder(const char* kind, const TListInfo& info, bool docRussian,
                               const std::string& listName, const std::string& undoes) {
  bool fresh = !sysio::DirExists(HistoryDir());
  MakeDir(HistoryDir());
  if (fresh && sysio::SyncDir(GetDirCfg() + "ravinel-history") != 0)
    OutSystemErrorCode(HistoryDir(), errno);
  std::string stamp = HistoryNow(); // 2026-12-11T01:23:45Z
  std::string base = stamp.substr(0, 4) + stamp.substr(5, 2) + stamp.substr(8, 2) + "T" +
                     stamp.substr(11, 2) + stamp.substr(14, 2) + stamp.substr(17, 2) + "Z-" +
                     std::to_string(getpid());
  Batch = base;
  for (int k = 2; sysio::Mkdir(HistoryDir() + Batch, 0777) != 0; ++k) {
    if (errno != EEXIST || k > 99) OutSystemErrorCode(HistoryDir() + Batch, errno);
    Batch = base + "-" + std::to_string(k);
  }
  Dir = HistoryDir() + Batch + "/";
  if (sysio::SyncDir(HistoryDir() + Batch) != 0) OutSystemErrorCode(HistoryDir(), errno);
  Journal = std::make_unique<TJournalWriter>(Dir + kJournalName);
  TJsonLine head;
  head.Put("rec", "batch").Put("batch", Batch).Put("kind", kind).Put("started", stamp);
  head.Put("host", HostName()).Put("user", UserName(getuid())).Put("pid", int64_t(getpid()));
  head.Put("list", listName)
      .Put("typesub", int64_t(info.TypeSub))
      .Put("typebn", int64_t(info.TypeBn));
  head.Put("doc_lang", docRussian ? "rus" : "ukr");
  head.Put("reference", ReferenceFromSuite() ? ReferenceSourcePath() : std::string("program"));
  if (!undoes.empty()) head.Put("undoes", undoes);
  Journal->Add(head);
}

size_t TBatchRecorder::Keep(TBatchEntry e, const std::string& real) {
  e.N = static_cast<int64_t>(Objects.size());
  e.Backup = BackupName(e.N, e.File);
  KeepFile(real, Dir + e.Backup);
  struct stat st;
  if (sysio::Stat(Dir + e.Backup, &st) != 0) OutSystemErrorCode(Dir + e.Backup, errno);
  e.Size = st.st_size;
  Journal->Add(IntentLine(e));
  Objects.push_back(std::move(e));
  return Objects.size() - 1;
}

TBatchRecorder::~TBatchRecorder() {
  if (Committed || Batch.empty()) return;
  Journal.reset();
  try {
    RemoveBatch(Batch); // nothing was replaced under it
  } catch (const std::exception&) {
    // Left for the next start, which removes a batch without a journal line.
  }
}

void TBatchRecorder::Commit() {
  Journal->Flush();
  if (sysio::SyncDir(Dir + kJournalName) != 0) OutSystemErrorCode(Dir, errno);
  Committed = true;
}

void TBatchRecorder::Outcome(size_t n, const std::string& result, const std::string& message,
                             const std::string& real, const std::string& sha,
                             const std::string& shaBefore) {
  TBatchEntry& e = Objects.at(n);
  e.Done = true;
  e.Result = result;
  e.Message = message;
  bool changed = result == kResChanged || result == kResWarning;
  if (!sha.empty()) {
    e.ShaAfter = sha;
  } else if (changed) {
    try {
      e.ShaAfter = FileSha256(real);
    } catch (const ZError&) {
      e.ShaAfter.clear(); // the object is in place; undo then refuses it for want of a digest
    }
  }
  bool before = changed && e.ShaBefore.empty();
  try {
    if (before) e.ShaBefore = shaBefore.empty() ? FileSha256(Dir + e.Backup) : shaBefore;
  } catch (const ZError&) {
    before = false; // the kept file is gone: undo refuses the object for want of it
  }
  TJsonLine l;
  l.Put("rec", "outcome").Put("n", e.N).Put("result", result).Put("sha_after", e.ShaAfter);
  if (before) l.Put("sha_before", e.ShaBefore);
  l.Put("message", message);
  Journal->Add(l);
}

void TBatchRecorder::Finish() {
  TJsonLine l;
  l.Put("rec", "end").Put("ended", HistoryNow());
  Journal->Add(l);
  Journal->Flush();
}

namespace {

// Seconds since the epoch of a journal time; -1 when it is none.
long long TimeOf(const std::string& stamp) {
  std::tm tm{};
  if (stamp.size() != 20 || !strptime(stamp.c_str(), "%Y-%m-%dT%H:%M:%SZ", &tm)) return -1;
  return static_cast<long long>(timegm(&tm));
}

} // namespace

// The journal first, so that a prune cut short leaves no batch that lacks its kept files.
void RemoveBatch(const std::string& id) {
  std::string dir = BatchDir(id);
  if (sysio::UnlinkExact(dir + kJournalName) != 0 && errno != ENOENT)
    OutSystemErrorCode(dir + kJournalName, errno);
  std::vector<std::string> names;
  if (sysio::ListDir(dir, names) != 0) OutSystemErrorCode(dir, errno);
  for (const std::string& n : names)
    if (sysio::UnlinkExact(dir + n) != 0 && errno != ENOENT) OutSystemErrorCode(dir + n, errno);
  if (sysio::RemoveDir(dir) != 0) OutSystemErrorCode(dir, errno);
}

std::vector<std::string> PruneBatches(long keep, long olderThanDays) {
  std::vector<std::string> removed;
  std::vector<std::string> ids = ListBatches();
  long long limit = static_cast<long long>(std::time(nullptr)) - olderThanDays * 86400LL;
  for (size_t i = 0; i < ids.size(); ++i) {
    TBatchInfo b = ReadBatch(ids[i]);
    if (!b.Finished) continue;
    bool old = olderThanDays >= 0 ? TimeOf(b.Started) >= 0 && TimeOf(b.Started) < limit
                                  : static_cast<long>(i) >= keep;
    if (!old) continue;
    RemoveBatch(ids[i]);
    removed.push_back(ids[i]);
  }
  if (!removed.empty() && sysio::SyncDir(HistoryDir() + removed[0]) != 0)
    OutSystemErrorCode(HistoryDir(), errno);
  return removed;
}

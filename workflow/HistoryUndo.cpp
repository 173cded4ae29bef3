// Undo of a batch and the completion of journals a crash left unfinished: kept files put back
// by the same crash-safe replacement as the change, list flags made to match.
#include "workflow/History.h"

#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "storage/Dsfile.h"
#include "storage/Dwfile.h"
#include "storage/Filekeep.h"
#include "storage/Sysio.h"
#include "workflow/Fieldlists.h"

#include <cerrno>
#include <memory>
#include <set>

namespace {

// Writes the changed-flag bits of the project's list record at adr: set, or as bitsFrom held.
void SetListFlags(WFile& list, const TBatchEntry& e, bool set, int64_t bitsFrom) {
  if (e.FlagsBefore < 0) return; // a settings block has no flags
  WRec rec;
  list.WRead(e.Adr, &rec);
  TRecImage image;
  image.Resize(ImageSize(*ListFields147));
  RecStruct(ListFields147, &rec, image);
  if (image.Get<uint32_t>(kImgNumber) != e.Number)
    SetError(
        ByIface("Запись списка по адресу ", "Запис списку за адресою ") + std::to_string(e.Adr) +
            ByIface(" не принадлежит объекту ", " не належить об'єкту ") + std::to_string(e.Number),
        0);
  uint32_t flags = image.Get<uint32_t>(kImgFlags);
  uint32_t want =
      set ? flags | kChangedFlags
          : (flags & ~kChangedFlags) | (static_cast<uint32_t>(bitsFrom) & kChangedFlags);
  if (want == flags) return;
  image.Set<uint32_t>(kImgFlags, want);
  StructRec(ListFields147, image, &rec, rec.Prefix);
  list.WUpdate(e.Adr, &rec);
}

// The list file of a batch: FileList when it is that file, else one opened here.
class TBatchList {
public:
  TBatchList(const TBatchInfo& b, WFile* open) {
    std::string path = GetRealName(b.List);
    if (open && open->Name == path) {
      List = open;
    } else {
      Own = std::make_unique<WFile>(path);
      List = Own.get();
    }
    Durable = List->Durable;
    List->Durable = false; // one flush for all its records
  }
  ~TBatchList() { List->Durable = Durable; }
  WFile& File() { return *List; }
  void Flush() { List->File->Sync(); }

private:
  std::unique_ptr<WFile> Own;
  WFile* List = nullptr;
  bool Durable = true;
};

// The current file's bytes replaced by those of kept, keeping its mode, owner and attributes.
void PutBack(const std::string& kept, const std::string& real) {
  std::string work = real + "$w";
  sysio::UnlinkExact(work);
  TFileKeep keep;
  {
    SFile cur(real, fmRead, O_NOFOLLOW);
    keep = TakeFileKeep(cur.Handle, real);
  }
  try {
    SFile in(kept, fmRead, O_NOFOLLOW);
    SFile out(work, fmRewrite, O_EXCL | O_NOFOLLOW, keep.Mode & 0777);
    CopyBytes(in, out);
    GiveFileKeep(keep, out.Handle, real);
    if (IoSys().FullSync(out.Handle) != 0) OutSystemErrorCode(real, errno);
  } catch (...) {
    sysio::UnlinkExact(work);
    throw;
  }
  if (sysio::Rename(work, real) != 0) {
    int code = errno;
    sysio::UnlinkExact(work);
    OutSystemErrorCode(real, code);
  }
}

// The refusal of an object that holds its old bytes already (an undo before, cut short or not):
// only its list flags may be left to put back.
const char* const kAlreadyBack = "=";

// Why an object of the batch cannot be put back; "" when it can, kAlreadyBack when it is.
std::string RefusalOf(const TBatchInfo& b, const TBatchEntry& e) {
  if (e.Result != kResChanged && e.Result != kResWarning)
    return ByIface("пакет не изменял объект", "пакет не змінював об'єкт");
  std::string kept = BatchDir(b.Id) + e.Backup;
  if (!sysio::FileExistsExact(kept) || FileSha256(kept) != e.ShaBefore)
    return ByIface("сохраненная копия удалена или повреждена",
                   "збережену копію видалено або пошкоджено");
  std::string real = GetRealName(e.File);
  if (!sysio::FileExists(real)) return ByIface("файл объекта удален", "файл об'єкта видалено");
  std::string now = FileSha256(real);
  if (now == e.ShaBefore) return kAlreadyBack;
  if (e.ShaAfter.empty() || now != e.ShaAfter)
    return ByIface("файл изменен после пакета", "файл змінено після пакета");
  return "";
}

std::vector<TUndoItem> UndoCandidates(const TBatchInfo& b, const std::vector<uint32_t>& numbers) {
  std::vector<TUndoItem> items;
  std::set<uint32_t> wanted(numbers.begin(), numbers.end()), seen;
  for (const TBatchEntry& e : b.Objects) {
    if (!wanted.empty() && !wanted.count(e.Number)) continue;
    if (wanted.empty() && e.Result != kResChanged && e.Result != kResWarning) continue;
    seen.insert(e.Number);
    TUndoItem it{e, "", ""};
    try {
      it.Reason = RefusalOf(b, e);
    } catch (const std::exception& x) {
      it.Reason = ErrorText(x);
    }
    it.Result = it.Reason.empty() || it.Reason == kAlreadyBack ? "restored" : "refused";
    items.push_back(std::move(it));
  }
  for (uint32_t n : wanted)
    if (!seen.count(n)) {
      TBatchEntry e;
      e.Number = n;
      items.push_back({e, "refused", ByIface("объекта нет в пакете", "об'єкта немає в пакеті")});
    }
  return items;
}

// The current list flags of the entry's record, for the undo's own intent.
int64_t CurrentFlags(WFile& list, const TBatchEntry& e) {
  if (e.FlagsBefore < 0) return -1;
  WRec rec;
  list.WRead(e.Adr, &rec);
  TRecImage image;
  image.Resize(ImageSize(*ListFields147));
  RecStruct(ListFields147, &rec, image);
  return image.Get<uint32_t>(kImgFlags);
}

void FlushDirsOf(const std::set<std::string>& files) {
  std::set<std::string> dirs;
  for (const std::string& f : files)
    if (dirs.insert(f.substr(0, f.find_last_of('/') + 1)).second && sysio::SyncDir(f) != 0)
      OutSystemErrorCode(f, errno);
}

// Objects back already: their list flags, and the reason that tells it.
void FlagsOfThoseBack(const TBatchInfo& b, std::vector<TUndoItem>& items, bool& any, WFile* open) {
  TBatchList list(b, open);
  for (TUndoItem& it : items) {
    if (it.Reason != kAlreadyBack) {
      any |= it.Result == "restored";
      continue;
    }
    it.Reason = ByIface("уже восстановлен", "вже відновлено");
    try {
      SetListFlags(list.File(), it.Entry, false, it.Entry.FlagsBefore);
    } catch (const std::exception& x) {
      it.Result = "failed";
      it.Reason = ErrorText(x);
    }
  }
  list.Flush();
}

} // namespace

TUndoResult UndoBatch(const TBatchInfo& b, const std::vector<uint32_t>& numbers, WFile* open,
                      const TUndoProgress& progress) {
  TUndoResult out;
  out.Items = UndoCandidates(b, numbers);
  bool any = false;
  FlagsOfThoseBack(b, out.Items, any, open);
  if (!any) return out;
  TBatchList list(b, open);
  TBatchRecorder rec("undo", b.ListInfo(), b.DocRussian(), b.List, b.Id);
  out.Batch = rec.Id();
  std::vector<size_t> entryOf(out.Items.size(), SIZE_MAX);
  for (size_t i = 0; i < out.Items.size(); ++i) {
    if (out.Items[i].Result != "restored" || !out.Items[i].Reason.empty()) continue;
    TBatchEntry mine = out.Items[i].Entry;
    mine.FlagsBefore = CurrentFlags(list.File(), mine);
    mine.State = "changed";
    mine.Restores = b.Id;
    mine.ShaBefore = out.Items[i].Entry.ShaAfter; // the current bytes, as the refusal check found
    entryOf[i] = rec.Keep(mine, GetRealName(mine.File));
  }
  rec.Commit();
  std::set<std::string> touched;
  const size_t total = rec.Entries().size();
  for (size_t i = 0, done = 0; i < out.Items.size(); ++i) {
    if (entryOf[i] == SIZE_MAX) continue;
    TUndoItem& it = out.Items[i];
    if (progress) progress(done++, total, it.Entry.File);
    std::string real = GetRealName(it.Entry.File);
    try {
      PutBack(BatchDir(b.Id) + it.Entry.Backup, real);
      touched.insert(real);
      SetListFlags(list.File(), it.Entry, false, it.Entry.FlagsBefore);
      rec.Outcome(entryOf[i], kResChanged, "", real, it.Entry.ShaBefore);
    } catch (const std::exception& x) {
      it.Result = "failed";
      it.Reason = ErrorText(x);
      rec.Outcome(entryOf[i], kResFailed, it.Reason, real);
    }
  }
  list.Flush();
  FlushDirsOf(touched);
  rec.Finish();
  return out;
}

namespace {

// The entry of the batch an undo entry puts back.
const TBatchEntry* RestoredEntry(const TBatchInfo& undone, const TBatchEntry& e) {
  for (const TBatchEntry& o : undone.Objects)
    if (o.Number == e.Number && o.File == e.File) return &o;
  return nullptr;
}

// Finds the outcome of one entry without one from its file, and makes its list flags match.
void RecoverEntry(const TBatchInfo& b, TBatchEntry& e, WFile& list) {
  std::string real = GetRealName(e.File);
  if (!sysio::FileExists(real)) {
    e.Result = kResFailed;
    e.Message = ByIface("файл объекта удален", "файл об'єкта видалено");
    return;
  }
  // A change journals the digest before with the outcome; until then the kept file holds it.
  std::string kept = BatchDir(b.Id) + e.Backup;
  if (e.ShaBefore.empty() && sysio::FileExistsExact(kept)) e.ShaBefore = FileSha256(kept);
  if (e.ShaBefore.empty()) { // nothing tells whether the object was replaced: left as it is
    e.Result = kResFailed;
    e.Message = ByIface("сохраненная копия удалена или повреждена",
                        "збережену копію видалено або пошкоджено");
    return;
  }
  std::string now = FileSha256(real);
  bool changed = now != e.ShaBefore;
  e.Result = changed ? kResChanged : kResSkipped;
  e.ShaAfter = changed ? now : "";
  if (b.Kind == "change") {
    SetListFlags(list, e, changed, e.FlagsBefore);
  } else if (changed) {
    TBatchInfo undone = ReadBatch(e.Restores);
    const TBatchEntry* o = RestoredEntry(undone, e);
    if (o) SetListFlags(list, e, false, o->FlagsBefore);
  } else {
    SetListFlags(list, e, true, 0); // not put back: the object still carries the change
  }
}

void RecoverBatch(const std::string& id, WFile* open) {
  TBatchInfo b = ReadBatch(id);
  TJournalText text = ReadJournalFile(JournalPath(id));
  TBatchList list(b, open);
  TJournalWriter journal(JournalPath(id), true, text.GoodSize);
  for (TBatchEntry& e : b.Objects) {
    if (e.Done) continue;
    bool intentSha = !e.ShaBefore.empty();
    RecoverEntry(b, e, list.File());
    TJsonLine l;
    l.Put("rec", "outcome").Put("n", e.N).Put("result", e.Result).Put("sha_after", e.ShaAfter);
    if (!e.ShaBefore.empty() && !intentSha) l.Put("sha_before", e.ShaBefore);
    l.Put("message", e.Message);
    journal.Add(l);
  }
  list.Flush();
  TJsonLine end;
  end.Put("rec", "end").Put("ended", HistoryNow()).Put("recovered", int64_t(1));
  journal.Add(end);
  journal.Flush();
}

} // namespace

std::vector<std::string> RecoverBatches(WFile* open) {
  std::vector<std::string> done;
  for (const std::string& id : ListBatches()) {
    if (JournalEnded(id)) continue;
    if (ReadJournalFile(JournalPath(id)).Lines.empty()) { // cut short before any intent
      RemoveBatch(id);
      continue;
    }
    if (ReadBatch(id).Finished) continue;
    RecoverBatch(id, open);
    done.push_back(id);
  }
  return done;
}

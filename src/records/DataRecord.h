#pragma once
// The versioned record framework under every data file of a project.
//
// A record class does not serialise its members by hand: its RegisterFields
// lists, for one file version, which members are stored and in which order,
// and the base class moves their bytes. Each class writes its RegisterFields
// as one list in file order; a member that version V introduced is added with
// `from = V`, and bytes that old versions stored but nothing keeps now are
// added as scratch (`AddScratch4(count, below)`), so that one class reads every
// version that ever existed and always writes the current one.
//
// Body layout (little-endian): u32 N, the N fields' raw bytes in registration
// order, u32 S, then each string as u32 L (text length + 1) and, unless L is 1,
// the text and its NUL. A class writes its lists after the body itself.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "library/util/CheckedVector.h"
#include "records/LoadContext.h"
#include "records/RecordIo.h"

// The data version this program writes; every file is saved in it.
constexpr int nCurVersion = 696;
// The version word of the data file opened last for reading. Loads read the
// version from their reader; this copy serves code that asks after the load.
extern std::atomic<int> nFileVersion;
// When set, loading removes every carriage return from string members. The
// player sets it at start-up and never clears it, so it starts set here.
extern std::atomic<bool> bStripCR;

class cDataRecord;

struct FIELDDATA {
  cDataRecord* lpOwner = nullptr;
  void* lpData = nullptr;
  int nCount = 0;
  signed char bySize = 0;
  std::size_t Bytes() const { return static_cast<std::size_t>(nCount) * static_cast<std::size_t>(bySize); }
};

struct STRFIELDDATA {
  cDataRecord* lpOwner = nullptr;
  std::string* lpStr = nullptr;
};

class cDataRecord {
 public:
  cDataRecord() = default;
  // The descriptor lists point into their own record, so copies start without
  // them; every operation that walks the lists registers first and releases
  // them when done, so that a loaded record costs no more than its members.
  // They never throw, so that lists of records move their entries when they grow.
  cDataRecord(const cDataRecord&) noexcept {}
  cDataRecord& operator=(const cDataRecord&) noexcept { return *this; }
  virtual ~cDataRecord() = default;

  virtual void RegisterFieldsConst(int /*nVersion*/) {}
  // The base registers nothing: records whose whole content is their lists.
  virtual void RegisterFields(int nVersion) { ClearFields(nVersion); }
  // Reads the record body; classes with lists or version fixes override it and
  // call the base first. Throws cLoadError on damaged data.
  virtual void Load(cRecordReader& in, const cLoadContext& ctx);
  // Writes the record body in the current version; classes with lists override
  // it and call the base first.
  virtual void Save(cRecordWriter& out, const cLoadContext& ctx);

  void LoadStrFields(cRecordReader& in);
  void SaveStrFields(cRecordWriter& out);
  // Registers for the current version and clears every registered member.
  void ResetFields();
  // Copies every registered member of a record of the same class.
  void CopyFields(const cDataRecord& other);
  void StripStrCR();

  // Whole files: the version word, then this record through its virtual Load or
  // Save. Load failures are logged (file, offset, reason) and return 0; saves
  // go through a temporary file, so a failed save leaves the old file whole.
  int LoadFromFile(std::string_view path, const cLoadContext& ctx);
  int SaveToFile(std::string_view path, const cLoadContext& ctx);

  const cCheckedVector<FIELDDATA>& Fields() const { return m_Field; }
  const cCheckedVector<STRFIELDDATA>& StrFields() const { return m_StrField; }
  // Bytes of the registered numeric fields (the body without counts and strings).
  std::size_t FieldBytes() const;
  // Gives back the descriptor lists once a walk over them is done, so that a
  // record costs no more than its members.
  void ReleaseFields();

 protected:
  // Starts a registration for nVersion: empties both lists.
  void ClearFields(int nVersion);

  template <typename T>
  void AddField1(T& member, int from = 0) {
    AddSized<1>(&member, 1, from);
  }
  template <typename T>
  void AddField2(T& member, int from = 0) {
    AddSized<2>(&member, 1, from);
  }
  template <typename T>
  void AddField4(T& member, int from = 0) {
    AddSized<4>(&member, 1, from);
  }
  template <typename T>
  void AddField8(T& member, int from = 0) {
    AddSized<8>(&member, 1, from);
  }
  template <typename T, std::size_t N>
  void AddField1(T (&array)[N], int from = 0) {
    AddSized<1>(array, N, from);
  }
  template <typename T, std::size_t N>
  void AddField2(T (&array)[N], int from = 0) {
    AddSized<2>(array, N, from);
  }
  template <typename T, std::size_t N>
  void AddField4(T (&array)[N], int from = 0) {
    AddSized<4>(array, N, from);
  }
  template <typename T, std::size_t N>
  void AddField8(T (&array)[N], int from = 0) {
    AddSized<8>(array, N, from);
  }
  void AddStrField(std::string& member, int from = 0);

  // Bytes that files below version `below` store and nothing keeps now: read
  // and dropped.
  void AddScratch1(int count, int below) { AddScratch(1, count, below); }
  void AddScratch2(int count, int below) { AddScratch(2, count, below); }
  void AddScratch4(int count, int below) { AddScratch(4, count, below); }
  void AddScratch8(int count, int below) { AddScratch(8, count, below); }

 private:
  template <int Size, typename T>
  void AddSized(T* data, std::size_t count, int from) {
    static_assert(sizeof(T) == Size, "field width differs from the member's size");
    static_assert(std::is_trivially_copyable_v<T>);
    if (m_nRegVersion >= from) AddRaw(data, static_cast<int>(count), Size);
  }
  void AddRaw(void* data, int count, int size);
  void AddScratch(int size, int count, int below);
  void LoadNumericFields(cRecordReader& in);

  cCheckedVector<FIELDDATA> m_Field;
  cCheckedVector<STRFIELDDATA> m_StrField;
  int m_nRegVersion = nCurVersion;
};

// Makes room in a full list of `count` entries for as many more as the bytes
// left could hold at the size its entries read so far took (`bytesRead` in
// all; before the first, at the entry's size in memory). A count the file does
// not hold costs only what it does hold, and a list of like entries is reserved
// nearly to its length at its second step.
template <typename Record>
void ReserveAhead(cCheckedVector<Record>& list, std::size_t count, std::size_t bytesRead, std::size_t bytesLeft) {
  const std::size_t held = list.size();
  if (held < list.capacity()) return;
  const std::size_t entryBytes = held ? std::max<std::size_t>(bytesRead / held, 1) : sizeof(Record);
  list.reserve(held + std::clamp<std::size_t>(bytesLeft / entryBytes, 1, count - held));
}

// Reads `count` entries into `list`, each a copy of `prototype` that then
// loads itself through `loadEntry`. The list grows as entries are read (see
// ReserveAhead); the storage of what it held before is given back first.
template <typename Record, typename LoadEntry>
void ReadRecordEntries(cRecordReader& in, cCheckedVector<Record>& list, std::uint32_t count, const Record& prototype,
                       LoadEntry loadEntry) {
  cCheckedVector<Record>().swap(list);
  const std::size_t start = in.Offset();
  for (std::uint32_t i = 0; i < count; ++i) {
    ReserveAhead(list, count, in.Offset() - start, in.Remaining());
    list.push_back(prototype);
    loadEntry(list.back());
  }
}

// Reads a list written as a u32 count and that many record bodies, each entry
// a copy of `prototype` that loads itself. minEntryBytes is the fewest bytes an
// entry can take in the file; a count the rest of the file cannot hold fails
// the load before anything is read.
template <typename Record>
void LoadRecordList(cRecordReader& in, const cLoadContext& ctx, cCheckedVector<Record>& list, const Record& prototype,
                    std::size_t minEntryBytes, const char* what) {
  std::uint32_t count = in.ReadCount(minEntryBytes, what);
  ReadRecordEntries(in, list, count, prototype, [&](Record& entry) { entry.Load(in, ctx); });
}

// Loads a whole file into a copy of `live` and takes it over only when the
// load succeeds, so that a damaged file leaves every value as it was.
template <typename Record>
int LoadFromFileOrKeep(Record& live, std::string_view path, const cLoadContext& ctx) {
  Record loaded = live;
  if (!loaded.LoadFromFile(path, ctx)) return 0;
  live = std::move(loaded);
  return 1;
}

template <typename Record>
void SaveRecordList(cRecordWriter& out, const cLoadContext& ctx, cCheckedVector<Record>& list) {
  out.WriteCount(list.size());
  for (auto& entry : list) entry.Save(out, ctx);
}

#include "records/DataRecord.h"

#include <algorithm>
#include <array>
#include <cstring>

std::atomic<int> nFileVersion{0};
std::atomic<bool> bStripCR{true};

namespace {

// Where bytes that no member keeps any more are read to and dropped. One per
// thread, so that loads on different threads never share it.
constexpr int kScratchBytes = 256;
thread_local std::array<std::byte, kScratchBytes> scratch;

void EraseCR(std::string& text) { std::erase(text, '\r'); }

}  // namespace

void cDataRecord::ClearFields(int nVersion) {
  m_Field.clear();
  m_StrField.clear();
  m_nRegVersion = nVersion;
}

void cDataRecord::ReleaseFields() {
  cCheckedVector<FIELDDATA>().swap(m_Field);
  cCheckedVector<STRFIELDDATA>().swap(m_StrField);
  m_nRegVersion = nCurVersion;
}

void cDataRecord::AddRaw(void* data, int count, int size) {
  m_Field.push_back(FIELDDATA{this, data, count, static_cast<signed char>(size)});
}

void cDataRecord::AddScratch(int size, int count, int below) {
  if (m_nRegVersion >= below) return;
  // A registration error, not a file error: the scratch area fits every use.
  if (size > kScratchBytes) std::abort();
  // Each old value was a field of its own in the file, so each is registered
  // alone: the stored field count counts them one by one.
  for (int i = 0; i < count; ++i) AddRaw(scratch.data(), 1, size);
}

void cDataRecord::AddStrField(std::string& member, int from) {
  if (m_nRegVersion >= from) m_StrField.push_back(STRFIELDDATA{this, &member});
}

std::size_t cDataRecord::FieldBytes() const {
  std::size_t bytes = 0;
  for (const auto& field : m_Field) bytes += field.Bytes();
  return bytes;
}

void cDataRecord::LoadNumericFields(cRecordReader& in) {
  std::uint32_t count = in.ReadU32();
  // More fields than this version registers cannot be held by any member.
  if (count > m_Field.size()) in.FailF("%u fields where version %d stores %zu", count, in.Version(), m_Field.size());
  for (std::uint32_t i = 0; i < count; ++i) {
    const FIELDDATA& field = m_Field[i];
    in.ReadBytes(field.lpData, field.Bytes());
  }
}

void cDataRecord::LoadStrFields(cRecordReader& in) {
  std::uint32_t count = in.ReadU32();
  if (count > m_StrField.size())
    in.FailF("%u strings where version %d stores %zu", count, in.Version(), m_StrField.size());
  for (std::uint32_t i = 0; i < count; ++i) *m_StrField[i].lpStr = in.ReadString();
  if (bStripCR)
    for (const auto& field : m_StrField) EraseCR(*field.lpStr);
}

void cDataRecord::Load(cRecordReader& in, const cLoadContext& /*ctx*/) {
  RegisterFields(in.Version());
  LoadNumericFields(in);
  LoadStrFields(in);
  ReleaseFields();
}

void cDataRecord::SaveStrFields(cRecordWriter& out) {
  out.WriteCount(m_StrField.size());
  for (const auto& field : m_StrField) {
    std::string& text = *field.lpStr;
    // A string ends at its first NUL, in memory as in the file.
    text.resize(std::strlen(text.c_str()));
    out.WriteString(text);
  }
}

void cDataRecord::Save(cRecordWriter& out, const cLoadContext& /*ctx*/) {
  RegisterFields(nCurVersion);
  out.WriteCount(m_Field.size());
  for (const auto& field : m_Field) out.WriteBytes(field.lpData, field.Bytes());
  SaveStrFields(out);
  ReleaseFields();
}

void cDataRecord::ResetFields() {
  RegisterFields(nCurVersion);
  for (const auto& field : m_Field) std::memset(field.lpData, 0, field.Bytes());
  for (const auto& field : m_StrField) field.lpStr->clear();
  ReleaseFields();
}

void cDataRecord::CopyFields(const cDataRecord& other) {
  // Registering changes no value of the other record, only its descriptors.
  auto& source = const_cast<cDataRecord&>(other);
  RegisterFields(nCurVersion);
  source.RegisterFields(nCurVersion);
  std::size_t fields = std::min(m_Field.size(), source.m_Field.size());
  for (std::size_t i = 0; i < fields; ++i)
    std::memmove(m_Field[i].lpData, source.m_Field[i].lpData, m_Field[i].Bytes());
  std::size_t strings = std::min(m_StrField.size(), source.m_StrField.size());
  for (std::size_t i = 0; i < strings; ++i) *m_StrField[i].lpStr = *source.m_StrField[i].lpStr;
  ReleaseFields();
  source.ReleaseFields();
}

void cDataRecord::StripStrCR() {
  RegisterFields(nCurVersion);
  for (const auto& field : m_StrField) EraseCR(*field.lpStr);
  ReleaseFields();
}

int cDataRecord::LoadFromFile(std::string_view path, const cLoadContext& ctx) {
  return LoadDataFile(path, [&](cRecordReader& in) { Load(in, ctx); }) ? 1 : 0;
}

int cDataRecord::SaveToFile(std::string_view path, const cLoadContext& ctx) {
  return SaveDataFile(path, [&](cRecordWriter& out) { Save(out, ctx); }) ? 1 : 0;
}

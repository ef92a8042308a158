#pragma once
// Containers that do not trust their indices: a bad index is reported to both
// logs, the main window is asked to close, and a stand-in element is handed
// back so the caller runs on harmlessly until the program closes in order.
#include <algorithm>
#include <cstddef>
#include <list>
#include <memory>
#include <optional>
#include <vector>

// Writes "err V[i] ( size , elementSize )" (or L for lists) to both logs and
// posts WM_CLOSE to the main window.
void ReportBadIndex(char kind, int index, int size, int elementSize);

template <typename T>
class cCheckedVector : public std::vector<T> {
 public:
  using std::vector<T>::vector;

  T& VecAt(int index) {
    if (index >= 0 && static_cast<size_t>(index) < this->size()) [[likely]]
      return (*this)[static_cast<size_t>(index)];
    return BadIndex(index);
  }
  const T& VecAt(int index) const { return const_cast<cCheckedVector*>(this)->VecAt(index); }

  void Fill(const T& value) {
    for (int i = 0; i < static_cast<int>(this->size()); ++i) VecAt(i) = value;
  }

  // Removes every element equal to value, keeping the order of the rest.
  bool RemoveAll(const T& value) {
    auto end = std::remove(this->begin(), this->end(), value);
    bool removed = end != this->end();
    this->erase(end, this->end());
    return removed;
  }

 private:
  [[gnu::noinline]] T& BadIndex(int index) {
    ReportBadIndex('V', index, static_cast<int>(this->size()), static_cast<int>(sizeof(T)));
    if (!this->empty()) return this->front();
    // An empty vector has no element 0: hand back a scratch element outside
    // the vector, made afresh in the same place each time, so nothing of the
    // vector is touched and a reference from an earlier bad access never
    // dangles.
    thread_local std::optional<T> scratch;
    scratch.emplace();
    return *scratch;
  }
};

template <typename T>
class cCheckedList : public std::list<T> {
 public:
  using std::list<T>::list;
  cCheckedList(const cCheckedList& other) : std::list<T>(other) {}
  cCheckedList& operator=(const cCheckedList& other) {
    std::list<T>::operator=(other);
    return *this;
  }
  cCheckedList(cCheckedList&&) = default;
  cCheckedList& operator=(cCheckedList&&) = default;

  T& ListAt(int index) {
    if (index >= 0 && static_cast<size_t>(index) < this->size()) {
      auto it = this->begin();
      std::advance(it, index);
      return *it;
    }
    ReportBadIndex('L', index, static_cast<int>(this->size()), static_cast<int>(sizeof(T)));
    // The same stand-in serves every bad access of this list, as its users left it.
    if (!m_default) m_default = std::make_unique<T>();
    return *m_default;
  }

 private:
  std::unique_ptr<T> m_default;
};

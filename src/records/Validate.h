#pragma once
// The one way validation resets a stored index that names no entry.
#include <string_view>

#include "records/LoadContext.h"

// Sets `value` to `reset` when it is not an index below `count` (a negative
// value never is), telling the context of the change.
template <typename T>
void ResetIndexIfOutside(T& value, int count, int reset, std::string_view field, const cLoadContext& ctx) {
  if (value >= 0 && value < count) return;
  ctx.NoteReset(field, value, reset);
  value = static_cast<T>(reset);
}

// Sets `value` to `reset` when it is below `minimum`, telling the context.
template <typename T>
void RaiseIfBelow(T& value, int minimum, int reset, std::string_view field, const cLoadContext& ctx) {
  if (value >= minimum) return;
  ctx.NoteReset(field, value, reset);
  value = static_cast<T>(reset);
}

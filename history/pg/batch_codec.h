// A batch as bytes, for the local spool that keeps batches the server could
// not take yet.
//
//   std::string bytes = history::EncodeBatch(batch);
//   std::optional<history::Batch> back = history::DecodeBatch(bytes);  // == batch
//
// The bytes are the spool's own (host byte order, a version byte first); a
// damaged or cut record decodes to nullopt, never to a partial batch.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "history/history_store.h"

namespace history {

std::string EncodeBatch(const Batch& batch);
std::optional<Batch> DecodeBatch(std::string_view bytes);
size_t RowCount(const Batch& batch);

}  // namespace history

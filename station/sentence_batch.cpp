#include "station/sentence_batch.h"

#include <type_traits>

namespace app {

void SentenceBatch::addMessage(int type, const ais::AISMessageRecord& decoded, input::SentenceKind kind, char channel,
                               std::string_view source, int64_t time, base::DateTime now, double monotonic,
                               int input) {
    BatchItem item;
    item.message = true;
    item.input = static_cast<int16_t>(input);
    item.type = type;
    item.kind = kind;
    item.channel = channel;
    item.time = time;
    item.sourceAt = static_cast<uint32_t>(sources_.size());
    item.sourceLength = static_cast<uint32_t>(source.size());
    sources_.append(source);
    WithSubRecord(type, decoded, [&](const auto& sub) {
        auto& pool = std::get<Pool<std::decay_t<decltype(sub)>>>(pools_);
        if (pool.used == pool.entries.size()) pool.entries.emplace_back();
        pool.entries[pool.used] = sub;
        item.record = static_cast<uint32_t>(pool.used++);
    });
    item.now = now;
    item.monotonic = monotonic;
    items_.push_back(item);
}

void SentenceBatch::loadMessage(const BatchItem& item, ais::AISMessageRecord& to) const {
    WithSubRecord(item.type, to, [&](auto& sub) {
        sub = std::get<Pool<std::decay_t<decltype(sub)>>>(pools_).entries[item.record];
    });
}

void SentenceBatch::clear() {
    items_.clear();
    sources_.clear();
    std::apply([](auto&... pool) { ((pool.used = 0), ...); }, pools_);
}

void SentenceBatch::swap(SentenceBatch& other) {
    items_.swap(other.items_);
    sources_.swap(other.sources_);
    std::apply(
        [&other](auto&... mine) {
            (([&other](auto& pool) {
                 auto& theirs = std::get<std::decay_t<decltype(pool)>>(other.pools_);
                 pool.entries.swap(theirs.entries);
                 std::swap(pool.used, theirs.used);
             }(mine)),
             ...);
        },
        pools_);
}

}  // namespace app

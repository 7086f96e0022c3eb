// StationSlots: a small open-addressing table from MMSI to a value, for
// state looked up on every report. The keys sit next to each other in one
// array, so a look-up costs about one cache line, where a node-based map
// walks a chain of separately allocated nodes (which showed up as the
// feed's largest single cost).
//
//   StationSlots<State> slots;
//   State& s = slots[mmsi];                 // made when missing
//   slots.eraseIf([](int32_t mmsi, const State& s) { return old(s); });
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace history {

template <typename T>
class StationSlots {
public:
    T& operator[](int32_t mmsi) {
        if ((used_ + 1) * 2 > slots_.size()) grow();
        size_t i = home(mmsi);
        while (slots_[i].used) {
            if (slots_[i].mmsi == mmsi) return slots_[i].value;
            i = (i + 1) & (slots_.size() - 1);
        }
        slots_[i].used = true;
        slots_[i].mmsi = mmsi;
        ++used_;
        return slots_[i].value;
    }
    size_t size() const { return used_; }

    // Drops the stations for which drop(mmsi, value) is true (called once
    // each); the table is made anew, smaller when many went.
    template <typename Drop>
    void eraseIf(Drop&& drop) {
        std::vector<Slot> old;
        old.swap(slots_);
        std::vector<Slot*> keep;
        for (Slot& s : old) {
            if (s.used && !drop(s.mmsi, std::as_const(s.value))) keep.push_back(&s);
        }
        size_t n = 16;
        while (n < keep.size() * 2 + 2) n *= 2;
        reset(n);
        for (Slot* s : keep) (*this)[s->mmsi] = std::move(s->value);
    }

private:
    struct Slot {
        int32_t mmsi = 0;
        bool used = false;
        T value{};
    };
    size_t home(int32_t mmsi) const {
        // Fibonacci hashing: neighbouring MMSIs land far apart.
        return static_cast<size_t>((static_cast<uint64_t>(static_cast<uint32_t>(mmsi)) * 0x9E3779B97F4A7C15ull) >>
                                   shift_);
    }
    void reset(size_t n) {
        slots_.clear();
        slots_.resize(n);
        shift_ = 64;
        for (; n > 1; n >>= 1) --shift_;
        used_ = 0;
    }
    void grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        reset(old.empty() ? 16 : old.size() * 2);
        for (Slot& s : old) {
            if (s.used) (*this)[s.mmsi] = std::move(s.value);
        }
    }

    std::vector<Slot> slots_;
    size_t used_ = 0;
    int shift_ = 64;
};

}  // namespace history

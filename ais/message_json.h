// JsonFields: writes the fields a walk of a decoded message visits
// (ais/message_fields_walk.h) as members of one JSON object, under the
// record's field names. `orvanta-cli decode` prints messages with it, the
// history stores text and binary messages with it, so both read alike.
//
//   base::OutputBuffer out;
//   base::JsonObjectWriter json(out);
//   ais::JsonFields visitor(json);
//   if (ais::VisitDecodedFieldsWith(record, type, visitor, false) && visitor.fields > 0) json.end();
//
// Dates are local times "yyyy-mm-ddThh:mm" (TimeReceived with ":ss"), or null.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "ais/message_fields.h"
#include "base/date_time.h"
#include "base/json_writer.h"

namespace ais {

// Writes visited fields as JSON object members. Layout rows come with their
// key text made at compile time (JsonKey); the few names made at run time
// (binary application fields) are escaped like any text.
class JsonFields final : public FieldVisitor {
public:
    explicit JsonFields(base::JsonObjectWriter& json) : json_(json) {}

    [[gnu::always_inline]] void integer(const base::JsonKey& name, int64_t v) {
        ++fields;
        json_.field(name, v);
    }
    void integer(std::string_view name, int64_t v) override { field(name, v); }
    [[gnu::always_inline]] void single(const base::JsonKey& name, float v) { field(name, v); }
    void single(std::string_view name, float v) override { field(name, v); }
    [[gnu::always_inline]] void real(const base::JsonKey& name, double v) { field(name, v); }
    void real(std::string_view name, double v) override { field(name, v); }
    [[gnu::always_inline]] void text(const base::JsonKey& name, std::string_view v) { field(name, v); }
    void text(std::string_view name, std::string_view v) override { field(name, v); }
    void dateTime(std::string_view name, base::DateTime v) override {
        const bool seconds = name == "TimeReceived";
        if (!seconds) ++fields;
        json_.key(name);
        if (v.isNull()) {
            json_.null();
            return;
        }
        // Written from the calendar fields into a local buffer: no string per message.
        const base::CalendarTime c = v.toCalendar();
        char text[40];
        const int n = std::snprintf(text, sizeof text, seconds ? "%04d-%02d-%02dT%02d:%02d:%02d" : "%04d-%02d-%02dT%02d:%02d",
                                    c.year, c.month, c.day, c.hour, c.minute, c.second);
        json_.value(std::string_view(text, static_cast<size_t>(std::clamp(n, 0, 39))));
    }

    // Fields of the message itself written (the reception time is not one).
    int fields = 0;

private:
    template <class Key, class T>
    [[gnu::always_inline]] void field(const Key& name, T v) {
        ++fields;
        json_.key(name);
        json_.value(v);
    }

    base::JsonObjectWriter& json_;
};

}  // namespace ais

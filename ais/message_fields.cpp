#include "ais/message_fields.h"

#include "ais/message_fields_walk.h"

namespace ais {

bool VisitDecodedFields(const AISMessageRecord& rec, int type, FieldVisitor& visitor, bool withTime) {
    return VisitDecodedFieldsWith(rec, type, visitor, withTime);
}

}  // namespace ais

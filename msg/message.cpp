#include "msg/message.hpp"

namespace ferrowick::msg {

bool Attachment::operator==(const Attachment& other) const {
    if (!(properties == other.properties) || customStorage != other.customStorage) return false;
    if (!embedded || !other.embedded) return !embedded && !other.embedded;
    return *embedded == *other.embedded;
}

}  // namespace ferrowick::msg

#include "engine/creation_stamp.hpp"

#include "fs/text.hpp"

namespace ferrowick {

std::u16string CreationStamp(const LocalDateTime& time) {
    const auto twoDigits = [](int value) {
        std::u16string text = DecimalText(value % 100);
        return text.size() < 2 ? u"0" + text : text;
    };
    return DecimalText(time.day) + u"." + DecimalText(time.month) + u"." + twoDigits(time.year) + u" " +
           DecimalText(time.hour) + u"." + DecimalText(time.minute) + u"." + twoDigits(time.second);
}

}  // namespace ferrowick

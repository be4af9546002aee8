#pragma once
// The local date and time, read where the engine stamps a new output store. Front ends
// use the system clock; tests fix the time.
namespace ferrowick {

struct LocalDateTime {
    int year = 2000;  // four digits
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;     // 0..23
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() const = 0;
};

class SystemClock : public Clock {
public:
    LocalDateTime Now() const override;
};

}  // namespace ferrowick

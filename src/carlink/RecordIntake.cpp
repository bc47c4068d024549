#include "RecordIntake.h"

#include <cstdio>

RecordIntake::RecordIntake(Clock clock) : clock(clock)
{
}

void RecordIntake::addLive(const unsigned char* bytes, int count)
{
    framer.add(bytes, count);
}

IntakeResult RecordIntake::nextLive(bool lineQuiet)
{
    IntakeResult result;
    Data raw;
    switch (framer.next(raw, result.bytes, result.magic, lineQuiet)) {
    case RecordFramer::Step::Record:
        return whole(raw);
    case RecordFramer::Step::Broken:
        result.kind = IntakeResult::Kind::Broken;
        return result;
    case RecordFramer::Step::NeedMore:
        break;
    }
    return IntakeResult();
}

IntakeResult RecordIntake::nextAtLineEnd()
{
    // Nothing more can follow what waits: a record that waited for its
    // follower is whole, and a record's beginning will never be finished.
    IntakeResult result = nextLive(true);
    if (result.kind == IntakeResult::Kind::Nothing)
        framer.clear();
    return result;
}

IntakeResult RecordIntake::takeRead(const Data& raw, int received)
{
    IntakeResult result;
    if (received <= 0) {
        result.bytes = received;
        return result;
    }
    if (received != carlink::dataRecordSize || raw.magic() != carlink::recordMagic) {
        result.kind = IntakeResult::Kind::Broken;
        result.bytes = received;
        result.magic = raw.magic();
        return result;
    }
    return whole(raw);
}

IntakeResult RecordIntake::whole(const Data& raw)
{
    const std::time_t now = clock ? clock() : std::time(nullptr);
    struct tm presentMoment;
    localtime_r(&now, &presentMoment);

    IntakeResult result;
    result.kind = IntakeResult::Kind::Whole;
    result.record = raw;
    result.stamp = result.record.decode(presentMoment);
    return result;
}

void reportBroken(const IntakeResult& broken)
{
    std::fprintf(stderr, "Error in packet received: Num: %d Magic: %x\n", broken.bytes, unsigned(broken.magic));
}

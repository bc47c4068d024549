#include "SendLedger.h"

namespace carsim {

std::uint64_t recordDigest(const std::uint8_t* record)
{
    std::uint64_t h = 14695981039346656037ULL;
    for (int i = 0; i < dataRecordBytes; ++i)
        h = (h ^ record[i]) * 1099511628211ULL;
    return h;
}

void SendLedger::add(const SentRecord& record, std::uint64_t streamEnd)
{
    sent.push_back({record, streamEnd});
}

void SendLedger::markLost(std::uint64_t deliveredUpTo)
{
    for (std::size_t i = sent.size(); i-- > lineFirst && sent[i].streamEnd > deliveredUpTo;)
        sent[i].record.lostOnLine = true;
}

SendLog SendLedger::log() const
{
    SendLog log;
    log.records.reserve(sent.size());
    for (const Entry& e : sent)
        log.records.push_back(e.record);
    log.garbageBytes = garbageBytes;
    log.silences = silences;
    log.unplugs = unplugs;
    log.reopens = reopens;
    return log;
}

} // namespace carsim

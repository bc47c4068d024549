#include "LineFaults.h"

#include <algorithm>

namespace carsim {

void LineFaults::set(const Faults& faults)
{
    chosen = faults;
    random.seed(faults.seed);
}

ChaosDraw LineFaults::drawChaos()
{
    const Chaos& c = chosen.chaos;
    std::uniform_real_distribution<double> unit(0, 1);
    auto between = [this](int low, int high) {
        return std::uniform_int_distribution<int>(low, std::max(low, high))(random);
    };
    ChaosDraw d;
    d.wrongMagic = unit(random) < c.wrongMagic;
    if (unit(random) < c.shortRecord)
        d.shortBytes = between(1, dataRecordBytes - 1);
    if (unit(random) < c.garbage)
        d.garbageBytes = between(1, c.garbageBytes);
    if (unit(random) < c.silence)
        d.silenceMs = std::max(between(c.silenceMinMs, c.silenceMaxMs), 1);
    if (unit(random) < c.unplug) {
        d.unplug = true;
        d.reopenMs = std::max(between(c.reopenMinMs, c.reopenMaxMs), 0);
    }
    return d;
}

Damage LineFaults::damageNext(const ChaosDraw* chaos)
{
    ++records;
    Damage d;
    if (chosen.garbageProbability > 0 &&
        std::uniform_real_distribution<double>(0, 1)(random) < chosen.garbageProbability)
        d.garbage = garbage(1);
    if (chaos && chaos->garbageBytes > 0) {
        const std::vector<std::uint8_t> burst = garbage(chaos->garbageBytes);
        d.garbage.insert(d.garbage.end(), burst.begin(), burst.end());
    }
    d.wrongMagic = chosen.wrongMagicEvery > 0 && records % chosen.wrongMagicEvery == 0;
    if (chosen.shortRecordEvery > 0 && records % chosen.shortRecordEvery == 0)
        d.bytes = std::size_t(std::clamp(chosen.shortRecordBytes, 0, dataRecordBytes));
    if (chaos) {
        d.wrongMagic = d.wrongMagic || chaos->wrongMagic;
        if (chaos->shortBytes > 0)
            d.bytes = std::min(d.bytes, std::size_t(chaos->shortBytes));
    }
    d.silentAfter = chosen.silentAfter > 0 && records >= chosen.silentAfter;
    d.unplugAfter = (chosen.unplugAfter > 0 && records >= chosen.unplugAfter) ||
                    (chaos && chaos->unplug);
    return d;
}

// Never the magic's byte: see Faults.
std::vector<std::uint8_t> LineFaults::garbage(int count)
{
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        auto b = std::uint8_t(std::uniform_int_distribution<int>(0, 254)(random));
        if (b >= magicByte)
            ++b;
        bytes.push_back(b);
    }
    return bytes;
}

} // namespace carsim

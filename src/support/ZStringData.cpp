#include "ZStringData.h"

#include <cstdlib>
#include <cstring>
#include <new>

ZStringData::ZStringData(int size)
    : data(nullptr), used(0), allocated(0), refs(1)
{
    setUsed(size);
}

ZStringData::ZStringData(const ZStringData& other)
    : data(nullptr), used(other.used), allocated(other.allocated), refs(1)
{
    if (allocated > 0) {
        data = static_cast<char*>(std::malloc(allocated));
        if (!data)
            throw std::bad_alloc();
        std::memcpy(data, other.data, used);
    }
}

ZStringData::~ZStringData()
{
    std::free(data);
}

void ZStringData::setUsed(int n)
{
    if (allocated < n) {
        const int wanted = (n + growthStep - 1) / growthStep * growthStep;
        void* grown = std::realloc(data, wanted);
        if (!grown)
            throw std::bad_alloc();
        data = static_cast<char*>(grown);
        allocated = wanted;
    }
    used = n;
}

ZStringData* ZStringData::unshare()
{
    if (refs == 1)
        return this;
    ZStringData* copy = new ZStringData(*this);
    release();
    return copy;
}

int ZStringData::release()
{
    if (--refs == 0) {
        std::free(data);
        data = nullptr;
        used = 0;
        allocated = 0;
    }
    return refs;
}

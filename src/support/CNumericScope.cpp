#include "CNumericScope.h"

namespace {

locale_t cLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

} // namespace

CNumericScope::CNumericScope() : previous(uselocale(cLocale())) {}

CNumericScope::~CNumericScope()
{
    uselocale(previous);
}

#pragma once
// Numbers formatted while a CNumericScope lives use the C locale's decimal
// point on this thread. QApplication takes the user's locale from the
// environment at start-up, and a German desktop would otherwise turn 12.5
// into 12,5 wherever printf-style formatting writes a number.

#include <locale.h>

class CNumericScope
{
public:
    CNumericScope();
    ~CNumericScope();
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;

private:
    locale_t previous;
};

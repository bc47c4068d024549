#pragma once
// An error number (0 for success) with a readable text, passed by value so
// that callers can assign and test at once: `if (err = file.open(name, mode))`.

#include "ZString.h"

class ZError
{
public:
    ZError(int number = 0, ZString string = ZString());
    // A failure described by its text: number 1.
    ZError(ZString string);

    ZError& set(int number, ZString string);
    ZError& set(ZString string);  // number 1

    int getNumber() const { return number; }
    operator int() const { return number; }
    ZString getString() const { return string; }

    // Same number, and a text that shares no buffer with this one.
    ZError copy() const;

    // Every failure the support library reports itself carries this number.
    static constexpr int failure = 1;

private:
    int number;
    ZString string;
};

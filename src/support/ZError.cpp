#include "ZError.h"

ZError::ZError(int number, ZString string) : number(number), string(string) {}

ZError::ZError(ZString string) : number(failure), string(string) {}

ZError& ZError::set(int newNumber, ZString newString)
{
    number = newNumber;
    string = newString;
    return *this;
}

ZError& ZError::set(ZString newString)
{
    return set(failure, newString);
}

ZError ZError::copy() const
{
    return ZError(number, string.deepCopy());
}

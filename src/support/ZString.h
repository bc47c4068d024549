#pragma once
// The program's string of 8-bit characters. Copies share one reference-counted
// buffer; a string that changes first takes a private copy of it, so copying
// and assigning cost a count increment and never a buffer copy.
//
// Strings are not thread-safe: strings that share a buffer belong to one thread.

#include "WildcardMatch.h"
#include "ZList.h"

#include <iosfwd>

class ZStringData;

class ZString
{
public:
    ZString();
    ZString(const ZString& s);
    ZString(const char* s);  // null or "" give the empty string
    ZString(char c);         // exactly one character, even '\0'
    ZString(int v);
    ZString(unsigned int v);
    ZString(long v);
    ZString(long long v);
    ZString(double v);       // six decimals
    virtual ~ZString();

    static ZString fromNumber(char c);  // '\0' gives the empty string
    static ZString fromNumber(int v);
    static ZString fromNumber(unsigned int v);
    static ZString fromNumber(long v);
    static ZString fromNumber(double v);
    static ZString fromNumber(long long v);
    static ZString fromNumberHex(int v);  // "0xff"

    // A string with a buffer of its own, shared with nobody.
    ZString deepCopy() const;

    ZString& operator=(const ZString& s);

    // Never null: the empty string gives "".
    const char* cStr() const;
    operator const char*() const { return cStr(); }
    int length() const;

    // The index is not checked against the length (0 <= i <= length() is the
    // caller's part); indexing an empty string ends the process.
    char& operator[](int i);
    char operator[](int i) const;

    int compare(const ZString& s) const;
    int operator!=(const char* s) const;
    int operator==(const char* s) const;
    ZString operator+(const ZString& s) const;
    ZString operator+(const char* s) const;

    // A malloc'ed copy of the text for the caller to free().
    char* dupCStr() const;
    // strtol with base 0 / strtod; text that is no number gives 0.
    int toInt() const;
    double toDouble() const;

    int isValidPos(int pos) const;  // 0 <= pos <= length()
    int indexOf(char c) const;      // -1 when absent
    int lastIndexOf(char c) const;
    // From pos on, at most len characters (len < 0: to the end).
    ZString substring(int pos, int len) const;

    ZString& truncate(int len);
    ZString& padTo(int width);
    ZString& toUpper();
    ZString& toLower();
    void chopNewline();  // one trailing "\n" at most
    int erase(int pos, int len);
    int insertAt(int pos, const ZString& s);

    // Replaces the text with the formatted one, however long; a formatting
    // error leaves the string empty.
    void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // Fields: runs of tab, line feed, carriage return, space or comma separate
    // them; double quotes and parentheses group. Counted from 0.
    int isFieldSeparator(char c) const;
    ZString fieldAt(int n) const;
    // Up to maxFields copies of the fields before the first empty one and a
    // NULL; the array and each text are the caller's to delete[].
    char** fieldArray() const;
    static constexpr int maxFields = 64;

    // Tokens: runs of the characters in `separators`, no grouping.
    ZList<ZString> split(const ZString& separators) const;
    ZString takeToken(const ZString& separators);
    ZString takeLeading(const ZString& chars);
    ZString trimmed(const ZString& chars) const;
    ZString takeWord();
    ZString takeLine();

    int matches(const ZString& pattern) const;
    // Patterns are fields; "!pattern" excludes. The first pattern that decides wins.
    int matchesList(const ZString& patterns) const;

protected:
    // Called after each change made by truncate, padTo, erase, insertAt and
    // assignment (and so by everything that assigns internally).
    virtual void changed();

private:
    void release();
    void unshare();

    ZStringData* d;
};

std::ostream& operator<<(std::ostream& out, const ZString& s);
// One whitespace-delimited word, however long.
std::istream& operator>>(std::istream& in, ZString& s);

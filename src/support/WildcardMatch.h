#pragma once
// Shell-style matching: ?, *, [set], [!set], \x, and ! to negate the rest of
// the pattern. Characters are compared on their low seven bits.

// 1 when `text` matches `pattern`, else 0.
int wildcardMatch(const char* text, const char* pattern);

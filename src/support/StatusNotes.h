#pragma once
// How long a note stays in the window's status bar: a remark in passing, and
// the outcome of something the user waited for.

constexpr int remarkMs = 5000;
constexpr int outcomeMs = 10000;
